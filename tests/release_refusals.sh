#!/usr/bin/env bash
# tools/release must refuse a release from a tree or a commit that is not a
# release, each for its own reason, by the release and by --version, and
# leave dist/ as it was; then it must name a commit ready for release by its
# version. Works on clones of the last commit, in a scratch folder.
#
#   tests/release_refusals.sh
set -euo pipefail
unset CDPATH
cd "$(dirname "$0")/.."
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
release_dir="$scratch/releases"
fail() { echo "release refusals: $*" >&2; exit 1; }
rejects() { if ("$@") >/dev/null 2>&1; then fail "this check let something bad through: $*"; fi; }
clone() { git clone -q . "$scratch/$1" && echo "$scratch/$1"; }
commit_in() { git -C "$1" add -A && git -C "$1" -c user.name=CI -c user.email=ci@localhost commit -qm "$2"; }
changes="$(git status --porcelain --untracked-files=all)"
[ -z "$changes" ] || fail "these refusals test the last commit, and the tree has changes:
$changes
commit them first"
refusals=0

refused="$(clone refused)"
mkdir -p "$release_dir"
git archive --prefix=export/ HEAD | tar x -C "$release_dir"
# $1 says what is wrong with the tree in $2, and $3 is what the refusal
# must say, of the release and of --version (unless $4 says the refusal
# comes from the build, which --version does not make): a release
# refused for another reason would prove nothing.
refuse_release() {
  local logs=("$scratch/refused.log")
  mkdir -p "$2/dist"
  echo "the last good release" >"$2/dist/marker"
  ! (cd "$2" && tools/release) >"$scratch/refused.log" 2>&1 ||
    fail "tools/release made a release from $1"
  if [ "${4:-}" != built ]; then
    logs+=("$scratch/version.log")
    ! (cd "$2" && tools/release --version) >"$scratch/version.log" 2>&1 ||
      fail "tools/release --version named a release from $1"
  fi
  local log
  for log in "${logs[@]}"; do
    grep -qF "$3" "$log" || { cat "$log" >&2; fail "$1 was refused, but not with \"$3\""; }
  done
  [ "$(cd "$2/dist" && ls && cat marker)" = $'marker\nthe last good release' ] ||
    fail "a refused release from $1 changed dist/"
  echo "refused: $1"
  refusals=$((refusals + 1))
}
touch "$refused/untracked.txt"
refuse_release "a tree with an untracked file" "$refused" "?? untracked.txt"
rejects refuse_release "an untracked file, with another reason" "$refused" " M README.md"
rm "$refused/untracked.txt"
echo >>"$refused/README.md"
refuse_release "a tree with a tracked edit" "$refused" " M README.md"
git -C "$refused" checkout -q README.md
refuse_release "a source export" "$release_dir/export" "is not the top of a git clone"
current="$(sed -n 's/^project(cogmarrow-igt VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
for tag in v0.9 "v$current.1"; do
  git -C "$refused" tag "$tag"
  refuse_release "a tag that is not the version" "$refused" "this commit is tagged $tag, but"
  git -C "$refused" tag -d "$tag" >/dev/null
done
sed -i 's/^project(cogmarrow-igt VERSION [0-9.]*/&.1/' "$refused/CMakeLists.txt"
commit_in "$refused" "A version with no changelog section"
bumped="$current.1"
git -C "$refused" tag "v$bumped"
refuse_release "a tagged commit without its changelog section" "$refused" \
  "CHANGELOG.md has no \"## [$bumped]\" section"
printf '\n## [%s]\n' "$bumped" >>"$refused/CHANGELOG.md"
commit_in "$refused" "A changelog section, with changes still under Unreleased"
git -C "$refused" tag -f "v$bumped" >/dev/null
refuse_release "a tag with changes left under Unreleased" "$refused" \
  "CHANGELOG.md still lists changes under Unreleased"
# Ready at last: nothing left under Unreleased.
sed -i '/^## \[Unreleased\]/,/^## \[[0-9]/{/^## \[/!d}' "$refused/CHANGELOG.md"
commit_in "$refused" "Release $bumped"
git -C "$refused" tag -f "v$bumped" >/dev/null
[ "$(cd "$refused" && tools/release --version)" = "$bumped" ] ||
  fail "a commit ready for release $bumped is not named $bumped"
echo "named: a commit tagged v$bumped, ready for release"
echo '#error this commit does not compile' >>"$refused/src/run/main.cc"
commit_in "$refused" "Does not compile"
refuse_release "a commit that does not compile" "$refused" \
  "#error this commit does not compile" built
echo "checked: release refusals $refusals"
