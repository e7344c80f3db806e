// The web page's two timings, in each browser engine, from a copy of the
// page opened from disk with a few lines of timing put in ahead of its own:
//   load   from the start of navigation to the first prompt, 20 loads
//   paste  from a pasted 10,000-row column (the 42 times among empty rows)
//          to "Press any key to continue", 5 pastes
//
//   node bench/page.js load|paste PAGE [ENGINE...]
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const {ENGINES, launch} = require('../tests/web/browsers');

const [mode, page, ...asked] = process.argv.slice(2);
const ROUNDS = {load: 20, paste: 5}[mode];
if (!ROUNDS || !page) {
  console.error('usage: node bench/page.js load|paste PAGE [ENGINE...]');
  process.exit(2);
}

// Runs first in the page: notes when the first prompt and the final wait
// show, and when a paste starts, on the page's own clock.
function timing() {
  const marks = {};
  window.marks = marks;
  document.addEventListener('paste', () => {
    marks.pasted = performance.now();
  }, true);
  new MutationObserver(() => {
    const transcript = document.getElementById('transcript');
    const text = transcript ? transcript.textContent : '';
    if (!marks.firstPrompt && text.includes('Enter the IGT for')) {
      marks.firstPrompt = performance.now();
    }
    if (!marks.finalWait && text.endsWith('Press any key to continue . . .')) {
      marks.finalWait = performance.now();
    }
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

const rows = Array(10000).fill('');
for (let k = 0; k < 42; ++k) {
  rows[7 + 238 * k] = String(100 + k);
}
const column = rows.join('\r\n');

async function measure(browser, url) {
  const tab = await browser.open(url);
  let ms;
  if (mode === 'load') {
    ms = (await marked(tab, 'firstPrompt')).firstPrompt;
  } else {
    await marked(tab, 'firstPrompt');
    await tab.paste(column);
    const marks = await marked(tab, 'finalWait');
    ms = marks.finalWait - marks.pasted;
  }
  await tab.close();
  return ms;
}

(async () => {
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'cogmarrow-bench-'));
  try {
    const timed = path.join(scratch, 'page.html');
    fs.writeFileSync(timed, fs.readFileSync(page, 'utf8')
        .replace('<head>', `<head>\n<script>(${timing})();</script>`));
    for (const engine of asked.length ? asked : ENGINES) {
      const browser = await launch(engine, scratch);
      const times = [];
      try {
        for (let i = 0; i < ROUNDS; ++i) {
          times.push(await measure(browser, 'file://' + timed));
        }
      } finally {
        await browser.close();
      }
      const rest = times.slice(1).sort((a, b) => a - b);
      const ms = (t) => t.toFixed(0) + ' ms';
      console.log(`${engine}: ${mode === 'load' ? 'first prompt after opening' :
        '10,000-row paste to the final wait'}: first ${ms(times[0])}; next ` +
        `${rest.length}: median ${ms(rest[rest.length >> 1])}, best ` +
        `${ms(rest[0])}, worst ${ms(rest[rest.length - 1])}`);
    }
  } finally {
    fs.rmSync(scratch, {recursive: true, force: true});
  }
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
