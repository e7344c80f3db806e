// ESLint for the web edition's JavaScript, as clang-tidy is for its C++:
// the page's script files, the program's browser half (an emscripten library),
// its Node.js home for the end-to-end tests, and the page's tests and benchmark.
// tools/check web runs it from the project's root.
'use strict';
const js = require('@eslint/js');
const globals = require('globals');

// What emscripten's generated code provides to the files built into it.
const emscripten = {Module: 'writable', FS: 'readonly', Asyncify: 'readonly',
  ExitStatus: 'readonly', HEAPU8: 'readonly', UTF8ToString: 'readonly',
  LibraryManager: 'readonly', mergeInto: 'readonly', webResumeWhenKept: 'readonly',
  createCogmarrow: 'readonly'};

module.exports = [
  js.configs.recommended,
  {
    rules: {'no-var': 'error', 'prefer-const': 'error', eqeqeq: 'error',
      strict: ['error', 'function']},
  },
  {
    // Each file of the page's script is a script of its own on the page;
    // page.js uses what the others define. entries.js and program.js also
    // load under Node.js, for the tests.
    files: ['web/*.js'],
    languageOptions: {sourceType: 'script', ecmaVersion: 2022,
      globals: {...globals.browser, createCogmarrow: 'readonly', module: 'readonly'}},
    rules: {'no-shadow': 'error'},
  },
  {
    files: ['web/page.js'],
    languageOptions: {globals: {CogmarrowEntries: 'readonly', CogmarrowProgram: 'readonly',
      CogmarrowTranscript: 'readonly', CogmarrowReport: 'readonly'}},
  },
  {
    files: ['src/run/console-web.js'],
    languageOptions: {sourceType: 'script', ecmaVersion: 2020,
      globals: {...globals.browser, ...emscripten}},
    rules: {strict: 'off', 'no-var': 'off'},
  },
  {
    files: ['tests/e2e/web-node.js'],
    languageOptions: {sourceType: 'script', ecmaVersion: 2022,
      globals: {...globals.node, ...emscripten}},
    rules: {strict: 'off'},
  },
  {
    files: ['tests/web/*.js', 'bench/*.js'],
    languageOptions: {sourceType: 'commonjs', ecmaVersion: 2022,
      globals: {...globals.node, ...globals.browser, axe: 'readonly', abort: 'readonly'}},
    rules: {strict: ['error', 'global']},
  },
];
