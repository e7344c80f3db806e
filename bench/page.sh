#!/usr/bin/env bash
# Times the web page, opened from disk, in headless Chromium, Firefox and
# WebKit; bench/page.js says what each MODE times (load, paste, restore,
# undo). Without a page, builds build/web afresh.
# Usage: bench/page.sh MODE [page]
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: bench/page.sh load|paste|restore|undo [page]" >&2; exit 2; }
mode="$1"
shift
root="$(cd "$(dirname "$0")/.." && pwd)"
page="$(realpath -m "${1:-$root/build/web/cogmarrow-igt.html}")"
cd "$root"
if [ $# -eq 0 ]; then
  cmake --preset web >/dev/null
  cmake --build --preset web >/dev/null
fi
for browser in chromium firefox-esr WebKitWebDriver xvfb-run; do
  command -v "$browser" >/dev/null || {
    echo "$browser is needed: tools/setup bench" >&2
    exit 1
  }
done
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
node bench/page.js "$mode" "$page"
