// Plays two runs on the web edition's page, opened from disk in headless
// Chromium, and holds each to what the Linux program does with the same
// input: the transcript byte for byte (the program's output, with each
// entered line echoed where it was entered, as a terminal shows it) and the
// downloaded Results.txt.
//
//   node tests/web/page_test.js PAGE LINUX-PROGRAM
//
// Uses Debian's chromium (or the one CHROMIUM names); needs `npm ci` here.
'use strict';
const assert = require('assert/strict');
const childProcess = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const launchChromium = require('./chromium');

const [pagePath, linuxProgram] = process.argv.slice(2).map((p) => path.resolve(p));
if (!pagePath || !linuxProgram) {
  console.error('usage: node page_test.js PAGE LINUX-PROGRAM');
  process.exit(2);
}
const PROMPT_END = '*** then press Enter\n\n';
const WAIT_PROMPT = 'Press any key to continue . . .';

// The Linux program's output and Results.txt for the given lines.
function linuxRun(lines) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'cogmarrow-linux-'));
  try {
    const run = childProcess.spawnSync(linuxProgram, [], {
      cwd: dir, input: lines.map((l) => l + '\n').join(''),
    });
    assert.equal(run.status, 0, 'the Linux program failed');
    return {out: run.stdout.toString('latin1'),
            report: fs.readFileSync(path.join(dir, 'Results.txt'))};
  } finally {
    fs.rmSync(dir, {recursive: true, force: true});
  }
}

// What a terminal shows: the output up to the end of prompt k, then the
// lines entered while prompt k was the last one shown, and so on; after the
// last prompt, the rest of the output, and the final wait ended by a key.
function terminalView(out, echoes) {
  let view = '';
  let from = 0;
  for (let k = 1; k <= 42; ++k) {
    const end = out.indexOf(PROMPT_END, from) + PROMPT_END.length;
    assert.ok(end >= PROMPT_END.length, `prompt ${k} is missing`);
    view += out.slice(from, end) + (echoes[k] || []).map((l) => l + '\n').join('');
    from = end;
  }
  return view + out.slice(from) + WAIT_PROMPT + '\n';
}

const transcript = (page) => page.$eval('#transcript', (t) => t.textContent);
const promptsShown = (page) => page.$eval('#transcript',
    (t, end) => t.textContent.split(end).length - 1, PROMPT_END);

async function waitForPrompts(page, count) {
  await page.waitForFunction((end, n) =>
    document.getElementById('transcript').textContent.split(end).length - 1 >= n,
  {timeout: 10000}, PROMPT_END, count);
}

async function downloaded(dir) {
  const file = path.join(dir, 'Results.txt');
  for (let i = 0; i < 100 && !fs.existsSync(file); ++i) {
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
  assert.ok(fs.existsSync(file), 'Results.txt was not downloaded');
  return fs.readFileSync(file);
}

// Opens the page afresh, with downloads going into a new folder.
async function openPage(browser, state) {
  const page = await browser.newPage();
  page.on('request', (request) => {
    if (!/^(file|data|blob):/.test(request.url())) {
      state.network.push(request.url());
    }
  });
  page.on('pageerror', (error) => state.errors.push(String(error)));
  state.downloads = fs.mkdtempSync(path.join(state.scratch, 'downloads-'));
  const cdp = await page.createCDPSession();
  await cdp.send('Browser.setDownloadBehavior',
      {behavior: 'allow', downloadPath: state.downloads});
  const opened = Date.now();
  await page.goto('file://' + pagePath);
  await waitForPrompts(page, 1);
  console.log(`first prompt ${Date.now() - opened} ms after opening`);
  assert.equal(await page.evaluate(() => document.activeElement.id), 'line',
      'the entry field has no focus');
  return page;
}

// Ends the final wait with one key and checks what the page shows after it.
async function finishRun(page, state, echoes, lines) {
  await page.waitForFunction((text) =>
    document.getElementById('transcript').textContent.endsWith(text),
  {timeout: 10000}, WAIT_PROMPT);
  const report = await downloaded(state.downloads);
  assert.equal(await page.$eval('#save', (p) => p.hidden), false,
      'no link to save Results.txt again');
  await new Promise((resolve) => setTimeout(resolve, 200));
  assert.equal(await page.$eval('#over', (p) => p.hidden), true,
      'the run ended before a key was pressed');
  await page.keyboard.press('x');
  await page.waitForSelector('#over', {visible: true, timeout: 10000});
  const linux = linuxRun(lines);
  assert.equal(await transcript(page), terminalView(linux.out, echoes));
  assert.ok(report.equals(linux.report), 'Results.txt differs from Linux');
  assert.equal(await page.$eval('#line', (f) => f.disabled), true);
  await page.close();
}

// A player types each time and waits for the next prompt; some levels get
// a wrong entry first, which takes no time and shows no new prompt.
async function typedRun(browser, state) {
  const page = await openPage(browser, state);
  const wrong = {1: ['abc'], 5: ['1234', ''], 9: ['-5'], 20: ['x923', '   ']};
  const echoes = {};
  const lines = [];
  for (let level = 0; level < 42; ++level) {
    const entered = [...(wrong[level] || []), level === 41 ? '1:23' : String(100 + level * 20)];
    echoes[level + 1] = entered;
    // Typed where the focus is, which must stay in the field, also after a
    // wrong entry sent with a tap on the Enter button.
    for (const line of entered) {
      await page.keyboard.type(line);
      if (line === entered[entered.length - 1]) {
        await page.keyboard.press('Enter');
      } else {
        await page.click('button[type=submit]');
      }
      lines.push(line);
    }
    assert.equal(await promptsShown(page) >= level + 1, true);
    if (level < 41) {
      await waitForPrompts(page, level + 2);
    }
  }
  await finishRun(page, state, echoes, lines);
}

// A column of times copied from a spreadsheet (CRLF line ends), pasted
// under the first prompt; its last line has no line end, so it waits in
// the field until the player presses Enter under the last prompt.
async function pastedRun(browser, state) {
  const page = await openPage(browser, state);
  const times = Array.from({length: 42}, (_, i) => String(56 + (i * 37) % 900));
  const column = times.slice(0, 41).map((t) => t + '\r\n').join('') + times[41];
  await page.$eval('#line', (field, text) => {
    const data = new DataTransfer();
    data.setData('text/plain', text);
    field.dispatchEvent(new ClipboardEvent('paste',
        {clipboardData: data, bubbles: true, cancelable: true}));
  }, column);
  await waitForPrompts(page, 42);
  assert.equal(await page.$eval('#line', (f) => f.value), times[41]);
  await page.keyboard.press('Enter');
  await finishRun(page, state, {1: times.slice(0, 41), 42: [times[41]]}, times);
}

(async () => {
  const state = {network: [], errors: [],
    scratch: fs.mkdtempSync(path.join(os.tmpdir(), 'cogmarrow-page-'))};
  const size = fs.statSync(pagePath).size;
  console.log(`page ${size} bytes`);
  assert.ok(size <= 600 * 1024, 'the page is over 600 KB');
  const browser = await launchChromium(path.join(state.scratch, 'profile'));
  try {
    await typedRun(browser, state);
    await pastedRun(browser, state);
    assert.deepEqual(state.network, [], 'the page made network requests');
    assert.deepEqual(state.errors, [], 'the page threw');
    console.log('page test passed: a typed run and a pasted run');
  } finally {
    await browser.close();
    fs.rmSync(state.scratch, {recursive: true, force: true});
  }
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
