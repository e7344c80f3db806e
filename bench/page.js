// The web page's timings, in each browser engine, from a copy of the page
// opened from disk with a few lines of timing put in ahead of its own; each
// is the median of its rounds, on the page's own clock, up to the frame
// that shows the result:
//   load     from the start of navigation to the first prompt (20 rounds),
//            and the same for its floor: a file of the page's size that
//            shows the first prompt as static text
//   paste    from pasting a spreadsheet's whole column (1,048,576 rows: the
//            42 times, then empty rows) to the final wait, and from Undo
//            there to the 42nd time back in the field (5 rounds)
//   restore  a kept run of 41 lines, reloaded: from the start of
//            navigation to the run brought back (5 rounds)
//   undo     with 41 times in, from Undo to the 41st back in the field
//            (5 rounds)
//
//   node bench/page.js load|paste|restore|undo PAGE [ENGINE...]
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const {ENGINES, launch} = require('../tests/web/browsers');

const [mode, page, ...asked] = process.argv.slice(2);
const ROUNDS = {load: 20, paste: 5, restore: 5, undo: 5}[mode];
if (!ROUNDS || !page) {
  console.error('usage: node bench/page.js load|paste|restore|undo PAGE [ENGINE...]');
  process.exit(2);
}

// Runs first in the page: notes when the first prompt, the final wait and
// the page's notices show, and when a paste or an Undo starts.
function timing() {
  const marks = {};
  window.marks = marks;
  document.addEventListener('paste', () => {
    marks.pasted = performance.now();
  }, true);
  document.addEventListener('click', (event) => {
    if (event.target.id === 'undo') {
      marks.undo = performance.now();
    }
  }, true);
  // A mark is taken once the frame that shows the change has been drawn.
  const seen = {};
  const shown = (name, met) => {
    if (!seen[name] && met()) {
      seen[name] = true;
      requestAnimationFrame(() => setTimeout(() => {
        marks[name] = performance.now();
      }));
    }
  };
  new MutationObserver(() => {
    const transcript = document.getElementById('transcript');
    const said = document.getElementById('notice')?.textContent || '';
    shown('firstPrompt', () => transcript?.textContent.includes('Enter the IGT for'));
    shown('finalWait', () => (transcript?.lastChild?.textContent || '')
        .endsWith('Press any key to continue . . .'));
    shown('restored', () => said.includes('brought back'));
    shown('tookBack', () => said.includes('Took back'));
  }).observe(document, {childList: true, subtree: true, characterData: true});
}

async function marked(tab, name) {
  for (;;) {
    const marks = await tab.eval(() => window.marks);
    if (marks && marks[name] !== undefined) {
      return marks;
    }
    await new Promise((resolve) => setTimeout(resolve, 5));
  }
}

const times = Array.from({length: 42}, (_, k) => String(100 + k));
const WHOLE_COLUMN = [...times, ...Array(1048576 - 42).fill('')].join('\r\n');
const FORTY_ONE = times.slice(0, 41).join('\n') + '\n';

// One round; returns its figures in ms.
async function measure(browser, url) {
  const tab = await browser.open(url);
  const figures = {};
  const opened = await marked(tab, 'firstPrompt');
  if (mode === 'load') {
    figures['first prompt after opening'] = opened.firstPrompt;
    const floor = await browser.open(url.replace(/\.html$/, '-floor.html'));
    figures['its floor, a static page of its size'] = (await marked(floor, 'firstPrompt')).firstPrompt;
    await floor.close();
  } else if (mode === 'paste') {
    await tab.paste(WHOLE_COLUMN);
    let marks = await marked(tab, 'finalWait');
    figures['1,048,576-row paste to the final wait'] = marks.finalWait - marks.pasted;
    await tab.click('#undo');
    marks = await marked(tab, 'tookBack');
    figures['Undo after it'] = marks.tookBack - marks.undo;
  } else {
    await tab.paste(FORTY_ONE);
    await tab.eval(() => new Promise((resolve) => setTimeout(resolve, 200)));
    if (mode === 'restore') {
      await tab.reload();
      figures['41 kept lines brought back'] = (await marked(tab, 'restored')).restored;
    } else {
      await tab.click('#undo');
      const marks = await marked(tab, 'tookBack');
      figures['Undo at level 42'] = marks.tookBack - marks.undo;
    }
  }
  await tab.close();
  return figures;
}

(async () => {
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'cogmarrow-bench-'));
  try {
    const timed = path.join(scratch, 'page.html');
    const source = fs.readFileSync(page, 'utf8');
    fs.writeFileSync(timed, source.replace('<head>', `<head>\n<script>(${timing})();</script>`));
    const shown = `<!doctype html>\n<meta charset="utf-8"><script>(${timing})();</script>\n` +
      '<pre id="transcript">Enter the IGT for ***Boot Camp Basics*** then press Enter\n</pre>\n<!--';
    fs.writeFileSync(timed.replace(/\.html$/, '-floor.html'),
        `${shown}${'x'.repeat(Math.max(0, source.length - shown.length - 3))}-->`);
    for (const engine of asked.length ? asked : ENGINES) {
      const browser = await launch(engine, scratch);
      const rounds = [];
      try {
        for (let i = 0; i < ROUNDS; ++i) {
          rounds.push(await measure(browser, 'file://' + timed));
        }
      } finally {
        await browser.close();
      }
      for (const name of Object.keys(rounds[0])) {
        const all = rounds.map((round) => round[name]).sort((a, b) => a - b);
        const ms = (t) => t.toFixed(0) + ' ms';
        console.log(`${engine}: ${name}: median ${ms(all[all.length >> 1])} of ` +
          `${all.length} (best ${ms(all[0])}, worst ${ms(all[all.length - 1])})`);
      }
    }
  } finally {
    fs.rmSync(scratch, {recursive: true, force: true});
  }
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
