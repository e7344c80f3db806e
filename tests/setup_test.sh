#!/usr/bin/env bash
# How tools/setup decides what to install: a package held at its version,
# or installed, counts as installed; root installs with apt-get, anyone
# else through sudo; an unknown set is refused.
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
printf '%s' "${format//'${db:Status-Status}'/${state##* }}"
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

# Held, installed, or removed with its settings kept.
printf '%s\n' "cmake hold ok installed" "g++ install ok installed" \
  "make deinstall ok config-files" >"$stubs/states"
expect "make " build
echo "make hold ok installed" >>"$stubs/states"
expect nothing build
# A maintainer who is not root installs through sudo.
: >"$stubs/states"
printf '#!/bin/bash\necho 1000\n' >"$stubs/id"
printf '#!/bin/bash\n"$@" through-sudo\n' >"$stubs/sudo"
chmod +x "$stubs/sudo"
expect "cmake g++ make through-sudo " build
# A set it does not know is refused, and nothing is installed.
rm -f "$stubs/apt-get.log"
if PATH="$stubs" bash "$setup" bild 2>/dev/null || [ -f "$stubs/apt-get.log" ]; then
  echo "tools/setup bild: not refused" >&2
  failed=1
fi
exit "$failed"
