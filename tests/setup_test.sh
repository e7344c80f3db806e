#!/usr/bin/env bash
# What tools/setup asks apt-get to install for each set on a machine that
# has nothing, and that a package held at its version counts as installed.
# dpkg-query, apt-get and id are stand-ins on a PATH of their own, so
# nothing is installed and the machine's own packages play no part.
set -euo pipefail
setup="$(cd "$(dirname "$0")/.." && pwd)/tools/setup"
stubs="$(mktemp -d)"
trap 'rm -rf "$stubs"' EXIT
for tool in bash env sort tr; do
  ln -s "$(command -v "$tool")" "$stubs/$tool"
done
# Answers `dpkg-query -W -f=FORMAT PACKAGE` from the lines "PACKAGE STATE"
# in $stubs/states, as dpkg-query would: unknown packages fail.
cat >"$stubs/dpkg-query" <<'STUB'
#!/bin/bash
format="${2#-f=}" state=""
while read -r package words; do
  [ "$package" = "$3" ] && state="$words"
done <"${0%/*}/states"
[ -n "$state" ] || exit 1
format="${format//'${db:Status-Status}'/${state##* }}"
printf '%s' "${format//'${Status}'/$state}"
STUB
cat >"$stubs/apt-get" <<'STUB'
#!/bin/bash
echo "$*" >>"${0%/*}/apt-get.log"
STUB
printf '#!/bin/bash\necho 0\n' >"$stubs/id"
chmod +x "$stubs/dpkg-query" "$stubs/apt-get" "$stubs/id"

# The packages apt-get was asked to install, sorted, or "nothing".
installs() {
  rm -f "$stubs/apt-get.log"
  PATH="$stubs" bash "$setup" "$@" 2>/dev/null
  if [ -f "$stubs/apt-get.log" ]; then
    sed -n 's/.* install -y -qq //p' "$stubs/apt-get.log" | tr ' ' '\n' | sort | tr '\n' ' '
  else
    echo nothing
  fi
}
failed=0
expect() {
  local got
  got="$(installs "${@:2}")"
  if [ "$got" != "$1" ]; then
    echo "tools/setup $*: installs '$got', not '$1'" >&2
    failed=1
  fi
}

: >"$stubs/states"
expect "cmake g++ make " build
expect "cmake g++ libgtest-dev make " test
expect "clang-format-19 clang-tidy-19 cmake g++ git libgtest-dev make shellcheck " checks
expect "cmake emscripten g++ g++-mingw-w64-x86-64 git make " release
expect "chromium clang-tidy-19 cmake emscripten firefox-esr g++ git libgtest-dev make npm webkit2gtk-driver xvfb " web
expect "chromium cmake emscripten firefox-esr g++ hyperfine make npm webkit2gtk-driver xvfb " bench
expect "chromium clang-format-19 clang-tidy-19 cmake debootstrap emscripten file firefox-esr g++ g++-mingw-w64-x86-64 gcovr git libgtest-dev make npm shellcheck webkit2gtk-driver wine xdotool xvfb " ci
# A maintainer who is not root releases with fakeroot, and installs
# through sudo.
printf '#!/bin/bash\necho 1000\n' >"$stubs/id"
printf '#!/bin/bash\n"$@"\n' >"$stubs/sudo"
chmod +x "$stubs/sudo"
expect "cmake emscripten fakeroot g++ g++-mingw-w64-x86-64 git make " release
printf '#!/bin/bash\necho 0\n' >"$stubs/id"

# Held, installed, or removed with its settings kept.
printf '%s\n' "cmake hold ok installed" "g++ install ok installed" \
  "make deinstall ok config-files" >"$stubs/states"
expect "make " build
echo "make hold ok installed" >>"$stubs/states"
expect nothing build
exit "$failed"
