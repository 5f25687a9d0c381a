#!/usr/bin/env bash
# The C++ code's format (.clang-format), through Debian's clang-format 14.
#   scripts/format.sh          checks the C++ files changed since the commit
#                              that applied the format; names those that
#                              differ and ends non-zero
#   scripts/format.sh --all    checks every tracked C++ file
#   scripts/format.sh --apply  formats every tracked C++ file in place
# The commit that applied the format is the last one listed in
# .git-blame-ignore-revs (which also keeps it out of git blame). Without that
# list, or in a clone that lacks the commit (a shallow one), every tracked
# C++ file is checked.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=check
case "${1:-}" in
  "") ;;
  --all) mode=all ;;
  --apply) mode=apply ;;
  *) echo "usage: scripts/format.sh [--all | --apply]" >&2; exit 2 ;;
esac

format=${CLANG_FORMAT:-clang-format-14}
command -v "$format" >/dev/null 2>&1 || format=clang-format
if ! version=$("$format" --version 2>/dev/null) || ! grep -q 'version 14\.' <<<"$version"; then
  echo "format: clang-format 14 is needed (Debian package clang-format-14); found: ${version:-none}" >&2
  exit 2
fi

# The commit the format was applied in, when this clone has it.
format_commit() {
  [ -f .git-blame-ignore-revs ] || return 1
  [ "$(git rev-parse --is-shallow-repository)" = false ] || return 1
  local rev
  rev=$(grep -E '^[0-9a-f]{7,40}' .git-blame-ignore-revs | tail -n 1 | cut -d' ' -f1)
  [ -n "$rev" ] && git rev-parse -q --verify "$rev^{commit}"
}

list=$(mktemp)
trap 'rm -f "$list"' EXIT
if [ "$mode" = check ] && base=$(format_commit); then
  # Committed and uncommitted changes since then, and new files not yet added.
  { git diff -z --name-only --diff-filter=ACMR "$base" -- '*.cpp' '*.h'
    git ls-files -z --others --exclude-standard -- '*.cpp' '*.h'; } >"$list"
else
  git ls-files -z -- '*.cpp' '*.h' >"$list"
fi

if [ "$mode" = apply ]; then
  xargs -0 -r -n 50 -P "$(nproc)" "$format" --style=file -i <"$list"
  echo "format: applied"
  exit 0
fi
if ! xargs -0 -r -n 50 -P "$(nproc)" "$format" --style=file --dry-run -Werror <"$list"; then
  echo "format: the files above differ from .clang-format; scripts/format.sh --apply formats them" >&2
  exit 1
fi
echo "format: ok ($(tr -cd '\0' <"$list" | wc -c) files)"
