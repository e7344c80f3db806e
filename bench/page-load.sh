#!/usr/bin/env bash
# Times how long the web page takes, opened from disk in headless Chromium,
# to show its first prompt: from the start of navigation to the moment the
# prompt is in the transcript, over 20 loads in one browser (the first, with
# nothing cached, is shown on its own). Usage: bench/page-load.sh [page]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
page="$(realpath -m "${1:-$root/build/web/cogmarrow-igt.html}")"
if [ ! -f "$page" ]; then
  cmake --preset web -S "$root" >/dev/null
  cmake --build --preset web >/dev/null
fi
command -v chromium >/dev/null || {
  echo "Chromium is needed: tools/setup bench" >&2
  exit 1
}
[ -d "$root/tests/web/node_modules/puppeteer-core" ] ||
  (cd "$root/tests/web" && npm ci --no-audit --no-fund --loglevel=error)

profile="$(mktemp -d)"
trap 'rm -rf "$profile"' EXIT
node - "$root/tests/web/chromium.js" "$page" "$profile" <<'SCRIPT'
const [chromium, page, profile] = process.argv.slice(2);
(async () => {
  const browser = await require(chromium)(profile);
  const times = [];
  for (let i = 0; i < 20; ++i) {
    const tab = await browser.newPage();
    // Notes the time the first prompt arrives, from inside the page.
    await tab.evaluateOnNewDocument(() => {
      new MutationObserver((changes, observer) => {
        const transcript = document.getElementById('transcript');
        if (transcript && transcript.textContent.includes('Enter the IGT for')) {
          window.firstPrompt = performance.now();
          observer.disconnect();
        }
      }).observe(document, {childList: true, subtree: true, characterData: true});
    });
    await tab.goto('file://' + page);
    await tab.waitForFunction(() => window.firstPrompt !== undefined);
    times.push(await tab.evaluate(() => window.firstPrompt));
    await tab.close();
  }
  await browser.close();
  const rest = times.slice(1).sort((a, b) => a - b);
  const ms = (t) => t.toFixed(0) + ' ms';
  console.log(`first prompt after opening: first load ${ms(times[0])}; ` +
    `next ${rest.length}: median ${ms(rest[rest.length >> 1])}, ` +
    `best ${ms(rest[0])}, worst ${ms(rest[rest.length - 1])}`);
})().catch((error) => { console.error(error); process.exit(1); });
SCRIPT
