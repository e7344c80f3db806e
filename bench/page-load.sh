#!/usr/bin/env bash
# Times the web page, opened from disk, in headless Chromium, Firefox and
# WebKit (bench/page.js says how): by default how long it takes to show its
# first prompt, over 20 loads; with --paste (bench/page-paste.sh), how long
# a pasted 10,000-row column takes to reach the final wait.
# Usage: bench/page-load.sh [--paste] [page]
set -euo pipefail
mode="load"
if [ "${1:-}" = --paste ]; then
  mode="paste"
  shift
fi
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
