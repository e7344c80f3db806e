#!/usr/bin/env bash
# Times how long a pasted 10,000-row column, the 42 times among empty rows,
# takes to reach the final wait on the web page, in each browser engine.
# Usage: bench/page-paste.sh [page]
set -euo pipefail
exec "$(dirname "$0")/page-load.sh" --paste "$@"
