// The page's console without a browser, on the real program built for
// Node.js (the web-node preset's factory): what it hands the program, held
// to what the Linux program makes of the same lines; the run it records;
// and a fresh program given that run, which must show it all again.
//
//   node tests/web/program_test.js FACTORY LINUX-PROGRAM
'use strict';
const assert = require('assert/strict');
const childProcess = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const {test} = require('node:test');

const [factory, linuxProgram] = process.argv.slice(2, 4).map((p) => path.resolve(p));
// Under Node.js a program that ends would end the process, tests and all;
// in a page it only stops running.
const make = require(factory);
global.createCogmarrow = (module) => make(Object.assign(module, {quit: (status, toThrow) => {
  throw toThrow;
}}));
const Program = require('../../web/program.js');
const WAIT_PROMPT = 'Press any key to continue . . .';

function linuxRun(lines) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'cogmarrow-linux-'));
  try {
    const run = childProcess.spawnSync(linuxProgram, [], {
      cwd: dir, input: lines.map((l) => `${l}\n`).join('')});
    assert.equal(run.status, 0, 'the Linux program failed');
    return {out: run.stdout.toString(), report: fs.readFileSync(path.join(dir, 'Results.txt'))};
  } finally {
    fs.rmSync(dir, {recursive: true, force: true});
  }
}

// A program on `run`, with what it told the page so far.
function started(run) {
  const seen = {transcript: '', output: '', reports: [], caughtUp: 0};
  seen.program = Program.start(run, (event, detail) => {
    if (event === 'output' || event === 'echo') {
      seen.transcript += detail;
    }
    seen.output += event === 'output' ? detail : '';
    seen.reports.push(...event === 'report' ? [detail] : []);
    seen.caughtUp += event === 'caught-up' ? 1 : 0;
  });
  return seen;
}
// Until the program waits for the player with nothing in hand.
const idle = async (program) => {
  while (!program.idle) {
    await new Promise((resolve) => setTimeout(resolve, 1));
  }
};

const times = Array.from({length: 42}, (_, i) => String((i * 37) % 1000));

test('a run played, recorded, and shown again by a fresh program', async () => {
  // Lines that enter no time, a column, and a split key's text.
  const batches = [['abc'], ['', ...times.slice(0, 30)], ['56abc'],
    ...times.slice(31).map((time) => [time])];
  const live = started([]);
  for (const batch of batches) {
    await idle(live.program);
    assert.equal(live.program.levelsLeft, 42 - live.program.run.flat().filter((l) => /[0-9]/.test(l)).length);
    live.program.enter(batch);
  }
  await idle(live.program);
  const linux = linuxRun(batches.flat());
  assert.equal(live.output, linux.out + WAIT_PROMPT, 'the program was handed something else');
  assert.deepEqual(live.program.run, batches);
  assert.deepEqual([live.program.phase, live.reports.length, live.reports[0].fresh],
      ['final-wait', 1, true]);
  assert.ok(Buffer.from(live.reports[0].bytes).equals(linux.report), 'Results.txt differs');

  const again = started(live.program.run);
  assert.equal(again.program.levelsLeft, 0, 'the levels left not known from the kept run');
  await idle(again.program);
  assert.deepEqual([again.transcript, again.program.run, again.caughtUp, again.reports[0].fresh],
      [live.transcript, batches, 1, false], 'the fresh program showed the run otherwise');
  again.program.pressKey();
  await new Promise((resolve) => setImmediate(resolve));
  assert.equal(again.program.phase, 'over');
});

test('lines entered before the program reads wait for it, and unread ones are no part of the run',
    async () => {
      const early = started([['56']]);
      // Before the program has started, then behind the kept run.
      early.program.enter(['x']);
      early.program.enter(times.slice(0, 41));
      assert.equal(early.program.levelsLeft, 0);
      early.program.enter(['never read']);
      await idle(early.program);
      assert.deepEqual([early.program.phase, early.program.run],
          ['final-wait', [['56'], ['x'], times.slice(0, 41)]]);
      assert.equal(early.reports[0].fresh, true, 'a report made by lines the player entered');
      const view = started(early.program.run);
      await idle(view.program);
      assert.equal(view.transcript, early.transcript);
    });
