// Plays runs on the web edition's page, opened from disk, in each browser
// engine asked for, and holds each to what the Linux program does with the
// same input: the transcript byte for byte (the program's output, with each
// entered line echoed where it was entered, as a terminal shows it), the
// downloaded Results.txt, and the report the page shows. axe-core looks at
// the page at the start, mid-run, at the final wait and at the end, in the
// light scheme and, in Chromium, the dark. One run in each engine is served
// over HTTP, where the page may make no request but for itself.
//
//   node tests/web/page_test.js PAGE LINUX-PROGRAM [ENGINE...]
//
// ENGINE is chromium, firefox or webkit (all three unless named); needs
// `npm ci` here, and the browsers from `tools/setup web`.
'use strict';
const assert = require('assert/strict');
const childProcess = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const {after, before, describe, test} = require('node:test');
const {ENGINES, launch, dispatchPaste} = require('./browsers');

const [pagePath, linuxProgram] = process.argv.slice(2, 4).map((p) => path.resolve(p));
const engines = process.argv.length > 4 ? process.argv.slice(4) : ENGINES;
if (!pagePath || !linuxProgram) {
  console.error('usage: node page_test.js PAGE LINUX-PROGRAM [ENGINE...]');
  process.exit(2);
}
const PROMPT_END = '*** then press Enter\n\n';
const WAIT_PROMPT = 'Press any key to continue . . .';
const AXE = fs.readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

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

// A page that is busy answers late, so the time is judged after the answer
// too: a condition met only after 10 s of a frozen tab is a failure.
async function waitFor(page, what, fn, ...args) {
  const started = Date.now();
  for (;;) {
    const met = await page.eval(fn, ...args);
    assert.ok(Date.now() - started < 10000, `waited over 10 s for ${what}`);
    if (met) {
      return;
    }
    await sleep(20);
  }
}
const shown = (page, id) => page.eval((i) => !document.getElementById(i).hidden, id);
const text = (page, id) => page.eval((i) => document.getElementById(i).textContent, id);
const promptsShown = (page) => page.eval((end) =>
  document.getElementById('transcript').textContent.split(end).length - 1, PROMPT_END);
const waitForPrompts = (page, n) => waitFor(page, `prompt ${n}`, (end, count) =>
  document.getElementById('transcript').textContent.split(end).length - 1 >= count,
PROMPT_END, n);

const transcriptAtEnd = () => {
  const t = document.getElementById('transcript');
  return t.scrollTop > 0 && t.scrollTop + t.clientHeight >= t.scrollHeight - 1;
};

// What a phone player must see without scrolling the page, at `stage`: each
// of `selectors` wholly on the screen, and the transcript's last line.
async function expectInReach(page, stage, selectors) {
  const missing = () => page.eval((wanted) => {
    const off = wanted.filter((selector) => {
      const box = document.querySelector(selector).getBoundingClientRect();
      return box.width === 0 || box.top < 0 || box.left < 0 ||
        box.bottom > innerHeight + 0.5 || box.right > innerWidth + 0.5;
    });
    const t = document.getElementById('transcript');
    return t.scrollTop + t.clientHeight < t.scrollHeight - 2 ?
      [...off, 'the last line'] : off;
  }, selectors);
  for (let i = 0; i < 50 && (await missing()).length > 0; ++i) {
    await sleep(40);
  }
  assert.deepEqual(await missing(), [], `out of reach ${stage} in a page of ` +
    await page.eval(() => `${innerWidth}x${innerHeight}`));
}
// Whether leaving the page now would ask the player first.
const asksBeforeLeaving = (page) => page.eval(() => {
  const event = new Event('beforeunload', {cancelable: true});
  window.dispatchEvent(event);
  return event.defaultPrevented;
});

async function checkAccessible(page, stage) {
  if (!await page.eval(() => typeof axe !== 'undefined')) {
    await page.eval((source) => {
      const script = document.createElement('script');
      script.textContent = source;
      document.head.appendChild(script);
    }, AXE);
  }
  const found = await page.eval(() => axe.run(document, {resultTypes: ['violations']})
      .then((r) => r.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`)));
  assert.deepEqual(found, [], `axe-core at ${stage}`);
  // Enter, Undo and Start over are targets a finger can hit.
  assert.deepEqual(await page.eval(() => ['#entry button', '#undo', '#start-over']
      .filter((selector) => {
        const box = document.querySelector(selector).getBoundingClientRect();
        return box.width < 24 || box.height < 24;
      })), [], `a button under 24 px at ${stage}`);
  // Every notice shown is one a screen reader hears.
  assert.deepEqual(await page.eval(() => [...document.querySelectorAll('#notes > *')]
      .filter((note) => !note.hidden && note.textContent.trim() !== '' &&
        !['status', 'alert'].includes(note.getAttribute('role')))
      .map((note) => note.id)), [], `a notice in no live region at ${stage}`);
  // The field is described by what it is asked for now: the level's
  // prompt, or the final wait.
  const [described, shownText] = await page.eval(() => [document.getElementById(
      document.getElementById('line').getAttribute('aria-describedby')).textContent,
  document.getElementById('transcript').textContent]);
  const asked = /\*\*\*(.*)\*\*\* then press Enter\n\n$/.exec(shownText);
  assert.equal(described, asked ? `Enter the IGT for ${asked[1]} then press Enter` :
    shownText.endsWith(WAIT_PROMPT) ? WAIT_PROMPT : '', `the field's description at ${stage}`);
}

// A download is read once the browser has finished writing it: no partial
// file of its (Firefox's .part, Chromium's .crdownload) is left beside it,
// and its size has held still for four readings.
async function downloaded(dir) {
  const file = path.join(dir, 'Results.txt');
  const size = () => (fs.existsSync(file) && !fs.readdirSync(dir).some((name) =>
    /\.(part|crdownload)$/.test(name)) ? fs.statSync(file).size : -1);
  for (let i = 0, held = 0, last = -1; i < 400 && held < 4; ++i) {
    await sleep(50);
    const now = size();
    held = now === last && now >= 0 ? held + 1 : 0;
    last = now;
  }
  assert.ok(fs.existsSync(file), 'Results.txt was not downloaded');
  const bytes = fs.readFileSync(file);
  fs.rmSync(file);
  return bytes;
}

// Runs first in each document (where the engine can): Undo and Start over
// may be on only while the program waits for the player, at a read or the
// final wait that the page has not answered; never while the page loads,
// a run comes back or a column goes in.
function watchActions() {
  window.actionsOnEarly = [];
  let waits = {pending: 0};
  let factory;
  Object.defineProperty(window, 'createCogmarrow', {configurable: true, get: () => factory,
    set: (made) => {
      factory = (module) => {
        const mine = {pending: 0};
        waits = mine;
        // The program's module, for a test to plant a fault through.
        window.program = module;
        for (const name of ['readInput', 'waitForKey']) {
          const ask = module.webConsole[name];
          module.webConsole[name] = (...args) => {
            mine.pending += 1;
            return ask(...args).then((value) => {
              mine.pending -= 1;
              return value;
            });
          };
        }
        return made(module);
      };
    }});
  new MutationObserver(() => {
    const undo = document.getElementById('undo');
    if (undo && !undo.disabled && waits.pending === 0) {
      window.actionsOnEarly.push(document.getElementById('transcript').textContent.slice(-40));
    }
  }).observe(document, {subtree: true, attributes: true, attributeFilter: ['disabled']});
}
const actionsOnEarly = (page) => page.eval(() => window.actionsOnEarly ?? []);

// Opens the page afresh; the entry field must have the focus.
async function openPage(browser, options = {}) {
  const page = await browser.open(options.url || 'file://' + pagePath,
      {...options, beforeLoad: watchActions});
  await loaded(page);
  return page;
}
// A page just (re)loaded shows a prompt, with the focus in the field.
async function loaded(page) {
  // WebDriver reports no errors of the page's own, so the page counts them.
  await page.eval(() => {
    window.uncaught = [];
    window.addEventListener('error', (event) => window.uncaught.push(event.message));
    window.addEventListener('unhandledrejection', (event) =>
      window.uncaught.push(String(event.reason)));
  });
  await waitForPrompts(page, 1);
  await waitFor(page, 'the entry field to have the focus',
      () => document.activeElement.id === 'line');
}
// Reloads, with the question before leaving answered yes; the page must
// bring the run back, in the transcript and the field, and say how many of
// the times it holds.
async function broughtBack(page, times, lost = () => page.reload()) {
  assert.deepEqual(await actionsOnEarly(page), [], 'Undo was on while the program was busy');
  const before = await page.eval(() => [document.getElementById('transcript').textContent,
    document.getElementById('line').value]);
  await lost();
  await loaded(page);
  await waitFor(page, 'the run to be brought back', () =>
    document.getElementById('notice').textContent.includes('brought back'));
  assert.deepEqual(await page.eval(() => [document.getElementById('transcript').textContent,
    document.getElementById('line').value]), before, 'the run came back otherwise');
  assert.match(await text(page, 'notice'), new RegExp(times), 'the notice of a run brought back');
  assert.equal(await asksBeforeLeaving(page), true, 'a run brought back does not ask before leaving');
}
// Where Enter, Undo and Start over are: a notice must not move them.
const places = (page) => page.eval(() => ['#entry button', '#undo', '#start-over']
    .map((selector) => {
      const box = document.querySelector(selector).getBoundingClientRect();
      return `${Math.round(box.left)},${Math.round(box.top)}`;
    }).join(' '));
// Undo, clicked or pressed with Enter: `line` is back in the field, with
// the focus, whose description names the level asked as it comes back, and
// `asked` prompts are shown. The transcript, rebuilt, is no news to a
// screen reader: little of it reaches its live region. Returns where the
// buttons were, for after the notice has gone.
async function takenBack(page, line, asked, {byKey} = {}) {
  const reported = await shown(page, 'report');
  const before = await places(page);
  await page.eval(() => {
    const transcript = document.getElementById('transcript');
    window.heard = 0;
    window.describedAtFocus = null;
    document.getElementById('line').addEventListener('focus', () => {
      window.describedAtFocus = document.getElementById('asked').textContent;
    }, {once: true});
    // An attribute's record holds its old value: the new one is the next
    // record's old value, or what it is now.
    window.hear = (records) => records.forEach((record, i) => {
      if (record.type === 'attributes') {
        const next = records.slice(i + 1).find((later) => later.type === 'attributes');
        window.liveNow = (next ? next.oldValue : transcript.getAttribute('aria-live')) !== 'off';
      } else if (window.liveNow) {
        record.addedNodes.forEach((node) => { window.heard += node.textContent.length; });
      }
    });
    window.live = new MutationObserver(window.hear);
    window.liveNow = transcript.getAttribute('aria-live') !== 'off';
    window.live.observe(transcript, {childList: true, attributeOldValue: true,
      attributeFilter: ['aria-live']});
  });
  if (byKey) {
    await page.eval(() => document.getElementById('undo').focus());
    await page.press('Enter');
  } else {
    await page.click('#undo');
  }
  await waitFor(page, `"${line}" to be taken back`, (l, n, end) =>
    document.getElementById('line').value === l && document.activeElement.id === 'line' &&
    document.getElementById('transcript').textContent.split(end).length - 1 === n &&
    document.getElementById('notice').textContent.includes('Took back'), line, asked, PROMPT_END);
  await settled(page);
  await settled(page);
  assert.deepEqual(await page.eval(() => {
    window.hear(window.live.takeRecords());
    window.live.disconnect();
    // A field that kept the focus throughout is described as it is now.
    const described = window.describedAtFocus ?? document.getElementById('asked').textContent;
    return [window.heard <= 300, /^Enter the IGT for .* then press Enter$/.test(described),
      document.getElementById('entry-note').hidden];
  }), [true, true, true], 'the live region heard the rebuilt transcript, the field came back ' +
    'undescribed, or a refused paste\'s note stayed');
  // The report going is not a notice, and takes its room back.
  if (!reported) {
    assert.equal(await places(page), before, 'the notice moved the buttons');
  }
  return before;
}

// The text that a Ctrl+C copies, pressed where the focus is: a copy that
// the page cancelled, or whose key it took for its own, copies nothing.
async function copiedWithKeys(page) {
  await page.eval(() => {
    window.copied = null;
    document.addEventListener('copy', () => {
      const box = document.activeElement;
      window.copied = box.value.slice(box.selectionStart, box.selectionEnd);
    }, {once: true});
  });
  await page.ctrl('c');
  await waitFor(page, 'the copy', () => window.copied !== null);
  return page.eval(() => window.copied);
}

const finalWait = (page) => waitFor(page, 'the final wait', (end) =>
  document.getElementById('transcript').textContent.endsWith(end), WAIT_PROMPT);
// Two frames: whatever the page does on a key, a paste or a resize is done.
const settled = (page) => page.eval(() => new Promise((resolve) =>
  requestAnimationFrame(() => requestAnimationFrame(resolve))));

// Waits for the final wait, checks that it holds, ends it with `endWait`,
// and holds the transcript, the download and the report shown to Linux.
// With `again`, the 42nd time is first taken back and entered again, which
// saves a second Results.txt, or the page is reloaded, which saves none.
async function finishRun(browser, page, echoes, lines,
    {downloads, endWait, scheme, phone, again}) {
  await finalWait(page);
  assert.deepEqual(await actionsOnEarly(page), [], 'Undo was on while the program was busy');
  assert.equal(await page.eval(() => document.activeElement.id), 'line',
      'the focus left the field when the report appeared');
  const linux = linuxRun(lines);
  if (downloads === 'deny') {
    await sleep(500);
    assert.deepEqual(fs.readdirSync(browser.downloads), [], 'a denied download arrived');
  } else {
    assert.equal((await downloaded(browser.downloads)).toString('latin1'),
        linux.report.toString('latin1'), 'the downloaded Results.txt differs from Linux');
  }
  // A screen reader hears the transcript's "saved"; the page says what it
  // asked of the browser, and what to do if nothing came.
  assert.match(await text(page, 'notice'), /asked to save Results\.txt; if none arrived, copy/);
  const report = linux.report.toString('latin1');
  // Copy puts the report on the clipboard or, where that is refused (as
  // here when the download was too), selects all of it, and then Ctrl+C
  // copies it: the wait is still on, and the shortcut is the browser's.
  await page.eval((deny) => {
    const write = navigator.clipboard && navigator.clipboard.writeText.bind(navigator.clipboard);
    window.clipboardText = null;
    navigator.clipboard.writeText = (copy) => {
      window.clipboardText = copy;
      return deny ? Promise.reject(new Error('refused')) : write(copy);
    };
  }, downloads === 'deny');
  await page.click('#copy');
  await waitFor(page, 'Copy to answer', () => document.getElementById('copied').textContent);
  if (await text(page, 'copied') === 'Copied.') {
    assert.equal(await page.eval(() => window.clipboardText), report, 'Copy copied something else');
  } else {
    assert.equal(await copiedWithKeys(page), report, 'Copy neither copied nor selected the report');
  }
  assert.ok(!await shown(page, 'over'), 'Copy ended the final wait');
  if (again === 'undo') {
    // One Undo, pressed on the focused button, takes back the 42nd time
    // whatever the column held after it, and the report and its "Copied."
    // with it; entered again, it makes them anew. (Headless Firefox, once
    // it has saved a download, activates no button from the keyboard.)
    await takenBack(page, lines[lines.length - 1], 42, {byKey: browser.engine !== 'firefox'});
    assert.ok(!await shown(page, 'report'), 'the report stayed after its last time was taken back');
    await page.press('Enter');
    await finalWait(page);
    assert.ok((await downloaded(browser.downloads)).equals(linux.report),
        'the second Results.txt differs from Linux');
    assert.equal(await text(page, 'copied'), '', 'a new report says it was copied');
  } else if (again === 'reload') {
    await broughtBack(page, 'all 42 times');
  }
  assert.equal(await page.eval(() => document.getElementById('report-text').value),
      report, 'the report on the page differs from Linux');
  assert.ok(await shown(page, 'report'), 'the report is not shown');
  if (phone) {
    // MiniBrowser's download bar takes its height from the page.
    await page.resize(...phone);
  }
  await expectInReach(page, 'at the final wait',
      ['#transcript', '#line', '#entry button', '#copy', '#save-link']);
  if (phone) {
    // A phone's keyboard, open at the end, leaves a short screen.
    for (const [width, height] of [[360, 330], [375, 360]]) {
      await page.resize(width, height);
      await expectInReach(page, 'with a keyboard open', ['#line', '#copy', '#save-link']);
    }
    await page.resize(...phone);
  }
  await checkAccessible(page, 'the final wait');
  if (scheme === 'dark') {
    // On paper: the whole transcript and the whole report.
    await page.media('print');
    assert.ok(await page.eval(() => {
      const t = document.getElementById('transcript');
      const box = document.getElementById('report-text');
      return getComputedStyle(t).overflowY === 'visible' && t.scrollHeight <= t.clientHeight &&
        box.offsetHeight > 0 && box.scrollHeight <= box.clientHeight + 1;
    }), 'a printed page cuts the transcript or the report');
    await page.media(null);
  }
  await endWait(report);
  await waitFor(page, 'the end of the run', () => !document.getElementById('over').hidden);
  assert.equal(await text(page, 'transcript'), terminalView(linux.out, echoes));
  assert.ok(await page.eval(() => ['line', 'undo', 'start-over'].every((id) =>
    document.getElementById(id).disabled) && document.getElementById('line').value === '' &&
    document.activeElement !== document.body && !document.activeElement.disabled),
  'the field, Undo or Start over is not off at the end, or the focus is on nothing');
  await checkAccessible(page, 'the end');
  assert.equal(await asksBeforeLeaving(page), false, 'a reload after the run asks first');
  if (phone) {
    await expectInReach(page, 'at the end', ['#over', '#copy']);
  }
  // At 320 px, every report line reads whole, without sideways scrolling.
  await page.resize(320, 568);
  await waitFor(page, 'the report to fit 320 px', () => {
    const box = document.getElementById('report-text');
    return box.clientWidth > 0 && box.scrollWidth <= box.clientWidth &&
      document.documentElement.scrollWidth <= innerWidth;
  });
  assert.deepEqual(page.network, [], 'the page made network requests');
  // WebDriver shows no requests; the page's own record of them does.
  assert.deepEqual(await page.eval(() => performance.getEntriesByType('resource')
      .map((entry) => entry.name).filter((name) => !/^(data|blob|file):/.test(name))), [],
  'the page made network requests');
  assert.deepEqual([...page.errors, ...await page.eval(() => window.uncaught)], [],
      'the page threw');
  assert.deepEqual(fs.readdirSync(browser.downloads), [], 'Results.txt was saved once more');
  // A run that is over is kept no longer: a reload starts a new one.
  await page.reload();
  await loaded(page);
  assert.deepEqual([await promptsShown(page), await text(page, 'notice')], [1, ''],
      'a reload after the run did not start a new one');
  await page.close();
}

// A player types each time and waits for the next prompt; some levels get
// a line first that enters no time and shows no new prompt, and some a
// typo the page refuses: it stays in the field, with a note that says why,
// until the player mends it. Mid-run the window narrows and widens again,
// and the transcript must stay at its current prompt, or where the player
// scrolled it. At the final wait keys that type nothing, shortcuts, Escape
// on the Enter button and keys in the report do not end it, and a letter
// does.
async function typedRun(browser, engine) {
  const page = await openPage(browser);
  await checkAccessible(page, 'the start');
  assert.equal(await page.eval(() => document.getElementById('line').inputMode), 'numeric');
  const wrong = {0: ['x'], 1: ['abc'], 5: [''], 9: ['-'], 20: ['   ']};
  const refused = {5: ['1015', 'is above 999: type 975 for 10:15'],
    9: ['1:23', 'is a clock time: type 123'], 20: ['12 3', 'holds two numbers']};
  const echoes = {};
  const lines = [];
  for (let level = 0; level < 42; ++level) {
    const entered = [...(wrong[level] || []), level === 41 ? '56abc' : String(100 + level * 20)];
    echoes[level + 1] = entered;
    if (level === 0) {
      // What is typed is kept before any line is entered.
      await page.type('10');
      await page.reload();
      await loaded(page);
      assert.equal(await page.eval(() => document.getElementById('line').value), '10',
          'the field was not kept before the first line');
      await page.press('Backspace');
      await page.press('Backspace');
    }
    if (level === 1) {
      // Each line is kept as soon as the program has read it.
      await broughtBack(page, '1 of 42');
    }
    if (refused[level]) {
      const [typo, why] = refused[level];
      await page.type(typo);
      await page.press('Enter');
      await waitFor(page, `"${typo}" to be refused`, (t, w) =>
        document.getElementById('entry-note').textContent.startsWith(`Not entered: "${t}" ${w}`) &&
        document.getElementById('line').value === t, typo, why);
      assert.equal(await promptsShown(page), level + 1, `"${typo}" entered something`);
      for (let i = 0; i < typo.length; ++i) {
        await page.press('Backspace');
      }
    }
    if (level === 29) {
      // A wrong line taken back, with the next time half typed, which stays
      // in the field; the run kept through a reload (and a crashed
      // renderer).
      assert.equal(await asksBeforeLeaving(page), true, 'a reload mid-run does not ask first');
      await page.type('x');
      await page.press('Enter');
      await page.type(entered[0].slice(0, 2));
      const buttons = await takenBack(page, entered[0].slice(0, 2), 30);
      assert.match(await text(page, 'notice'), /"x"; what you typed stays in the field/);
      await broughtBack(page, '29 of 42');
      if (engine === 'chromium') {
        await broughtBack(page, '29 of 42', async () => {
          await page.crash();
          await page.reload();
        });
      }
      await page.type(entered[0].slice(2));
      await page.press('Enter');
      lines.push(...entered);
      await waitForPrompts(page, 31);
      assert.deepEqual([await places(page), await text(page, 'notice')], [buttons, ''],
          'the notice did not go, or its going moved the buttons');
    }
    // Typed where the focus is, which must stay in the field, also after a
    // wrong entry sent with a tap on the Enter button.
    for (const line of level === 29 ? [] : entered) {
      await page.type(line);
      if (line === entered[entered.length - 1]) {
        await page.press('Enter');
      } else {
        await page.click('button[type=submit]');
      }
      lines.push(line);
    }
    assert.equal(await promptsShown(page) >= level + 1, true);
    if (level < 41) {
      await waitForPrompts(page, level + 2);
    }
    if (level === 20) {
      // Settled at its end first, so that only the resize can move it; the
      // player's scroll is seen before the next resize.
      for (const [width, height] of [[800, 600], [480, 800], [1000, 800]]) {
        await page.resize(width, height);
        await waitFor(page, `the transcript at its end at ${width} px`, transcriptAtEnd);
        await settled(page);
      }
      await page.eval(() => document.getElementById('transcript').scrollTo(0, 0));
      await settled(page);
      await page.resize(480, 800);
      await settled(page);
      assert.equal(await page.eval(() => document.getElementById('transcript').scrollTop), 0,
          'a transcript the player scrolled up in jumped on a resize');
      // A 375 px phone zoomed to 200 % (WebKit's window is never so narrow).
      if (engine !== 'webkit') {
        await page.resize(187, 333);
        await page.eval(() => document.getElementById('transcript').scrollTo(0, 1e6));
        await expectInReach(page, 'at 187 px', ['#line', '#entry button']);
        assert.ok(await page.eval(() => document.querySelector('#entry button')
            .getBoundingClientRect().top < document.getElementById('line')
            .getBoundingClientRect().bottom), 'at 187 px Enter is not beside the field');
      }
      await page.resize(800, 600);
    }
    if (level === 30) {
      await waitFor(page, 'the transcript to scroll to its end', transcriptAtEnd);
      await checkAccessible(page, 'mid-run, scrolled');
    }
  }
  await finishRun(browser, page, echoes, lines, {endWait: async (report) => {
    await page.click('#transcript');
    // WebDriver has no lock keys; puppeteer has them only in Chromium.
    const silent = ['Shift', 'Control', 'Alt', 'Meta', 'Tab'];
    const locks = ['CapsLock', 'NumLock', 'ScrollLock', 'AltGraph'];
    for (const key of engine === 'chromium' ? [...silent, ...locks] : silent) {
      await page.press(key);
    }
    await page.ctrl('c');
    await page.ctrl('f', 'Alt');
    await page.eval(() => document.querySelector('#entry button').focus());
    await page.press('Escape');
    await page.eval(() => {
      const box = document.getElementById('report-text');
      box.focus();
      box.select();
    });
    assert.equal(await copiedWithKeys(page), report, 'Ctrl+C on the selected report copied nothing');
    await page.press('End');
    await settled(page);
    assert.ok(!await shown(page, 'over'), 'a key that types nothing, a shortcut, Escape on ' +
      'Enter or a key in the report ended the final wait');
    await page.click('#transcript');
    await page.press('x');
  }});
}

// Runs in the page: `text`, or a file of `bytes`, dropped on the field.
function dispatchDrop(text, bytes) {
  const data = new DataTransfer();
  if (bytes) {
    data.items.add(new File([new Uint8Array(bytes)], 'times.txt', {type: 'text/plain'}));
  } else {
    data.setData('text/plain', text);
  }
  document.getElementById('line').dispatchEvent(new DragEvent('drop',
      {dataTransfer: data, bubbles: true, cancelable: true}));
}

// A refused row is refused whichever way it comes: pasted as one row
// without a line end (a sheet's cell or row), then Enter, or in a column.
// Then a spreadsheet column of 10,000 rows, the times among empty ones,
// with CRLF, LF and bare CR line ends, pasted under the first prompt; in
// Chromium, in two pieces within one task, the first over 4 KB with times
// after its first 4 KB (WebKit lets the page act between two such pastes,
// and Firefox takes no made-up paste). Its last line has no line end, so
// it waits in the field; the 41st time, its last row with a line end, is
// taken back and entered again, and the 42nd typed. Or the column goes on
// past the 42nd time, and reaches the final wait. The final wait ends
// with a paste, which enters nothing, or with what a phone's keyboard
// sends instead of a key press, which must not stay in the field.
async function pastedRun(browser, engine, options = {}) {
  const page = await openPage(browser, options);
  const reach = ['#transcript', '#line', '#entry button'];
  const {phone} = options;
  if (phone) {
    await expectInReach(page, 'after load', reach);
  }
  await checkAccessible(page, 'the start');
  assert.equal(await asksBeforeLeaving(page), false, 'a reload before any time asks first');
  // A paste enters what was typed before the caret with its first row, and
  // leaves its last row, and what was after the caret, in the field; rows
  // without a time are not entered.
  await page.type('y');
  await page.press('Home');
  await page.type('x');
  if (phone) {
    await expectInReach(page, 'while typing', reach);
  }
  await page.paste('a\nb');
  await waitFor(page, 'a pasted row', () => document.getElementById('line').value === 'by');
  const clear = () => page.eval(() => {
    document.getElementById('line').value = '';
  });
  for (const [row, why] of [['0:56', 'is a clock time'], ['9.23', 'is not a whole number'],
    ['56\t1015\t923\t100', 'more than one cell'], ['56\t\t923', 'more than one cell']]) {
    await clear();
    await page.paste(row);
    await page.press('Enter');
    await waitFor(page, `"${row}" to be refused`, (r, w) =>
      document.getElementById('entry-note').textContent.includes(w) &&
      document.getElementById('line').value === r, row, why);
  }
  const times = Array.from({length: 42}, (_, i) => String(56 + (i * 37) % 900));
  await clear();
  await page.paste([...times.slice(0, 4), '1015', ...times.slice(5), ''].join('\n'));
  await waitFor(page, 'the refused column to be named', () => document.getElementById(
      'entry-note').textContent.startsWith('Nothing was entered: row 5 of the column, "1015"'));
  assert.equal(await promptsShown(page), 1, 'a refused paste entered something');
  const rows = Array(9999).fill('');
  // Spreadsheets add Tabs after a cell and empty cells; they cost nothing.
  times.slice(0, 41).forEach((time, k) => {
    rows[k < 40 ? 3 + 243 * k : rows.length - 1] = time + ['', '\t', '\t\t'][k % 3];
  });
  const timeRows = rows.filter((row) => row !== '');
  // A bare CR never comes right before an LF, where the two would be one.
  const column = rows.map((row, k) => row + ['\r\n', '\n', '\r'][k % 3]).join('');
  // Where the 42nd time is taken back at the end, the column goes on after
  // it with an empty row and a total, which the program never reads.
  const last = options.again === 'undo' ? `${times[41]}\r\n\r\nTotal\t6:34:06` : times[41];
  const pasted = Date.now();
  if (engine === 'chromium') {
    await page.eval(dispatchPaste, column.slice(0, 6500), column.slice(6500) + last);
  } else {
    await page.paste(column + last);
  }
  await (options.again === 'undo' ? finalWait(page) : waitForPrompts(page, 42));
  assert.ok(Date.now() - pasted < 10000, 'a pasted column froze the page');
  assert.ok(!await shown(page, 'entry-note'), 'a plain column is still called misread');
  if (phone) {
    await expectInReach(page, 'after a paste', reach);
  }
  await checkAccessible(page, 'mid-run');
  if (options.again !== 'undo') {
    // The 42nd time waits in the field; with the field emptied, the 41st
    // row taken back comes back to it.
    assert.equal(await page.eval(() => document.getElementById('line').value), times[41]);
    await clear();
    await takenBack(page, timeRows[40], 41);
    await page.press('Enter');
    await waitForPrompts(page, 42);
    await page.type(times[41]);
    await page.press('Enter');
  }
  const endWait = options.downloads === 'deny' ? () => page.eval(() => {
    const field = document.getElementById('line');
    field.value = 'k';
    field.dispatchEvent(new InputEvent('input', {data: 'k', inputType: 'insertText'}));
  }) : async () => {
    await page.eval(() => document.getElementById('line').focus());
    await page.eval(dispatchPaste, '1\n2\n');
  };
  // The second piece waits, echo and all, for the program to have read the
  // first: it is echoed at the prompt that follows the first piece's times.
  const split = engine === 'chromium' ? column.slice(0, 6500).split(/\r\n|\r|\n/).slice(0, -1)
      .filter((row) => row !== '').length : 0;
  const echoesOf = (entered) => (split === 0 ? {1: entered} :
    {1: entered.slice(0, split), [split + 1]: entered.slice(split)});
  // The 42nd time taken back at the final wait is entered again alone.
  await finishRun(browser, page, options.again === 'undo' ? {...echoesOf(timeRows), 42: [times[41]]} :
    {...echoesOf(timeRows.slice(0, -1)), 41: timeRows.slice(-1), 42: [times[41]]},
  [...timeRows, times[41]], {...options, endWait});
}

// A whole sheet column: 30 times, then empty rows to 1,048,576, enters 30
// lines, and what follows is as quick as ever; Enter held on Undo takes
// back one line. Reloaded, a column pasted as soon as the page takes input
// is checked against the levels the run has left. Then a column dropped
// as text, and a file of times saved as UTF-16 with CRLF, dropped.
async function columnsRun(browser, engine) {
  const page = await openPage(browser);
  const times = Array.from({length: 42}, (_, i) => String(100 + i * 21));
  await page.paste(times.slice(0, 30).join('\n') + '\n'.repeat(1048576 - 29));
  await waitForPrompts(page, 31);
  assert.equal(await page.eval(() => JSON.parse(sessionStorage.getItem('cogmarrow-igt run v3'))
      .flat().reduce((sum, [, count]) => sum + count, 0)), 30, 'the empty rows were kept');
  const started = Date.now();
  await page.type('7');
  await page.press('Enter');
  await waitForPrompts(page, 32);
  assert.ok(Date.now() - started < 2000, 'a typed time after the column was slow');
  const undone = Date.now();
  if (engine === 'chromium') {
    // Held: the first press and the key's repeats, for 1.5 s.
    await page.eval(() => document.getElementById('undo').focus());
    await page.hold('Enter', 1500);
  } else {
    await page.click('#undo');
  }
  await waitFor(page, 'the typed time taken back', () =>
    document.getElementById('line').value === '7');
  await settled(page);
  assert.equal(await promptsShown(page), 31, 'Enter held on Undo entered the line again');
  assert.ok(engine === 'chromium' || Date.now() - undone < 2000, 'Undo after the column was slow');
  await page.press('Backspace');
  await page.reload();
  await loaded(page);
  await page.paste(times.slice(30).join('\n') + '\n7\n' + times.slice(0, 7).join('\n') + '\n');
  await waitFor(page, 'the column too long to be refused', () => document.getElementById(
      'entry-note').textContent.includes('holds 20 times, but 12 levels are left'));
  assert.match(await text(page, 'notice'), /30 of 42 times/);
  await page.eval(dispatchDrop, `Time\r\n${times.slice(30, 41).join('\r\n')}\r\n`);
  await waitForPrompts(page, 42);
  const file = Buffer.from(`\ufeff${times[41]}\r\n`, 'utf16le');
  await page.eval(dispatchDrop, '', [...file]);
  await finishRun(browser, page, {1: times.slice(0, 30), 31: times.slice(30, 41), 42: [times[41]]},
      times, {endWait: async () => {
        await page.click('#transcript');
        await page.press('x');
      }});
}

// Served over HTTP, the page is its own only request, also when it is
// reloaded; the browser refuses even a fetch of the page's own address.
// Start over asks on the page, then begins again at level 1, and so does a
// reload after it. Then the tab's storage is all but full.
async function servedRun(browser) {
  const requests = [];
  const server = http.createServer((request, response) => {
    requests.push(request.url);
    response.setHeader('Content-Type', 'text/html; charset=utf-8');
    response.end(fs.readFileSync(pagePath));
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  try {
    const url = `http://127.0.0.1:${server.address().port}/page.html`;
    const page = await openPage(browser, {url});
    // Browsers that ask for /favicon.ico (not these, under automation) ask
    // only when the page names no icon of its own.
    assert.ok(await page.eval(() =>
      /^data:/.test(document.querySelector('link[rel~="icon"]').href)),
    'the page names no icon of its own');
    const fetched = await page.eval((address) => fetch(address).then(() => 'fetched',
        () => 'refused'), url);
    assert.equal(fetched, 'refused', 'a fetch from the page went through');
    const first = await text(page, 'transcript');
    const now = () => page.eval(() => [document.getElementById('transcript').textContent,
      document.getElementById('line').value]);
    await page.type('56');
    await page.press('Enter');
    await waitForPrompts(page, 2);
    await page.type('77');
    await page.paste('1\n0:56\n');
    await waitFor(page, 'the refusal', () => !document.getElementById('entry-note').hidden);
    // Start over asks on the page, where a browser that suppresses dialogs
    // cannot answer for the player; cancelled, it changes nothing.
    await page.eval(() => {
      window.confirm = () => false;
    });
    const during = await now();
    await page.click('#start-over');
    assert.equal(await page.eval(() => document.activeElement.id), 'keep-run',
        'Start over\'s question does not put the focus on Keep');
    await page.press('Escape');
    assert.deepEqual([await now(), await shown(page, 'confirm')], [during, false],
        'Escape did not close Start over\'s question, or changed the run');
    await page.click('#start-over');
    await page.click('#keep-run');
    assert.deepEqual([await now(), await shown(page, 'confirm')], [during, false],
        'a cancelled Start over changed the run');
    await page.click('#start-over');
    await page.click('#clear-run');
    await waitFor(page, 'the start over', () => /Started over/.test(
        document.getElementById('notice').textContent));
    assert.deepEqual([await now(), await shown(page, 'entry-note')], [[first, ''], false],
        'Start over did not begin again, or left a refusal\'s note');
    await page.reload();
    await loaded(page);
    assert.deepEqual(await now(), [first, ''], 'a reload after Start over brought a run back');
    // A tab whose storage is all but full: the page says it cannot keep the
    // run, and a reload brings back all of it or none.
    await page.eval(() => {
      sessionStorage.setItem('room', 'x'.repeat(300));
      for (let size = 1 << 23, n = 0; size > 0; size >>= 1) {
        try {
          sessionStorage.setItem(`filler ${n}`, 'x'.repeat(size));
          n += 1;
        } catch {
          // Too big for what is left: try half as much.
        }
      }
      sessionStorage.removeItem('room');
    });
    for (let level = 1; level <= 30; ++level) {
      await page.type(String(level));
      await page.press('Enter');
      await waitForPrompts(page, level + 1);
    }
    assert.ok(await shown(page, 'unkept'), 'the page did not say it cannot keep the run');
    await page.reload();
    await loaded(page);
    const back = await promptsShown(page);
    assert.ok(back === 1 || back === 31, `a reload brought back ${back - 1} of 30 times`);
    assert.deepEqual(await page.eval(() => window.uncaught), [], 'the page threw');
    await page.close();
    await sleep(300);
    assert.deepEqual(requests, ['/page.html', '/page.html', '/page.html'],
        'the page made requests of its own');
  } finally {
    server.close();
  }
}

// The program stopping unexpectedly is not the end of a run. The fault is
// planted through the program's module, which watchActions keeps.
async function stoppedRun(browser) {
  const page = await openPage(browser);
  await page.type('56');
  await page.press('Enter');
  await waitForPrompts(page, 2);
  await page.eval(() => window.program.onAbort('a planted fault'));
  await waitFor(page, 'the stopped notice', () => !document.getElementById('stopped').hidden);
  assert.ok(!await shown(page, 'over'), 'an aborted run says it is over');
  assert.ok(await page.eval(() => document.getElementById('undo').disabled &&
    document.getElementById('start-over').disabled), 'Undo or Start over on once stopped');
  await page.close();
}

async function withoutWebAssembly(scratch) {
  const browser = await launch('chromium', scratch, {args: ['--js-flags=--jitless']});
  try {
    const page = await browser.open('file://' + pagePath);
    await waitFor(page, 'the page to say it cannot run', () =>
      !document.getElementById('unsupported').hidden);
    assert.deepEqual(await page.eval(() => [document.getElementById('stopped').hidden,
      document.getElementById('line').disabled]), [true, true]);
    await page.close();
  } finally {
    await browser.close();
  }
}

// Each engine's runs are tests of their own, so that one failure does not
// hide how the rest fare, and one can be run alone by name
// (--test-name-pattern).
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'cogmarrow-page-'));
after(() => fs.rmSync(scratch, {recursive: true, force: true}));
test('the page file', () => {
  const size = fs.statSync(pagePath).size;
  console.log(`page ${size} bytes`);
  assert.ok(size <= 600 * 1024, 'the page is over 600 KB');
  // Browsers look for the encoding in the first 1,024 bytes only.
  assert.ok(fs.readFileSync(pagePath).subarray(0, 1024).includes('<meta charset="utf-8">'),
      'the page declares its charset too late');
});
const TIMEOUT = {timeout: 180 * 1000};
for (const engine of engines) {
  describe(engine, () => {
    let browser = null;
    before(async () => {
      browser = await launch(engine, scratch);
    });
    after(() => browser?.close());
    test('a typed run, kept through a reload, with a line taken back', TIMEOUT,
        () => typedRun(browser, engine));
    test('a pasted run on a phone held upright, reloaded at the final wait', TIMEOUT,
        () => pastedRun(browser, engine, {phone: [360, 640], again: 'reload'}));
    test('a pasted run on a phone turned, its last time taken back at the final wait',
        TIMEOUT, () => pastedRun(browser, engine, {phone: [667, 375], again: 'undo'}));
    test('the page over HTTP, started over', TIMEOUT, () => servedRun(browser));
    test('a whole sheet column, a paste as the run comes back, a dropped file', TIMEOUT,
        () => columnsRun(browser, engine));
    if (engine === 'chromium') {
      test('downloads denied in the dark scheme', TIMEOUT,
          () => pastedRun(browser, engine, {downloads: 'deny', scheme: 'dark'}));
      test('a stopped program', TIMEOUT, () => stoppedRun(browser));
      test('a browser without WebAssembly', TIMEOUT, () => withoutWebAssembly(scratch));
    }
  });
}
