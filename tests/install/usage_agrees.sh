#!/usr/bin/env bash
# Every command and option the programs accept is in their usage text, and
# the manual pages and the bash completion made from the same source carry
# them too; each manual page renders without a warning.
# Usage: usage_agrees.sh SOURCE_DIR BUILD_DIR OSTRELCTL OSTREL-UNITSIM [OSTREL]
set -uo pipefail
src=$1 build=$2 ostrelctl=$3 unitsim=$4 ostrel=${5:-}
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
export LC_ALL=C MANWIDTH=200

# check NAME USAGE MANPAGE WORD...: each word in the usage and the manual page;
# a command word must begin an entry there (as a command or its subcommand).
check() {
  local name=$1 usage=$2 man=$3 word pattern
  shift 3
  for word in "$@"; do
    pattern=$word
    [[ "$word" == -* ]] || pattern="^ +([a-z-]+ )?$word( |$)"
    grep -qE -- "$pattern" <<<"$usage" || fail "$name accepts $word but its usage does not name it"
    grep -qE -- "$pattern" <<<"$man" || fail "$name accepts $word but its manual page does not name it"
  done
}

for page in "$build"/man/*.1; do
  warnings=$(man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done

# ostrelctl: the words its dispatchers compare against, and its options.
words=$(grep -ho -e 'command == "[a-z-]*"' -e 'args\[[01]\] == "[a-z-]*"' -e 'sub == "[a-z-]*"' \
  "$src"/src/cli/*.cpp | sed 's/.*"\(.*\)"/\1/' | grep '^[a-z]' | grep -v '^help$' | sort -u)
options=$(grep -ho '"--[a-z0-9-]*"' "$src"/src/cli/*.cpp | tr -d '"' | sort -u)
[ "$(wc -w <<<"$words")" -gt 20 ] || fail "found only $(wc -w <<<"$words") ostrelctl commands in the sources"
usage=$("$ostrelctl" --help)
man=$(man -l "$build/man/ostrelctl.1" 2>/dev/null)
check ostrelctl "$usage" "$man" $words $options
completion=$(cat "$build/completion/ostrelctl")
for word in $words $options; do
  case "$word" in --help | --version | --data-dir | --port | --simulate) continue ;; esac
  grep -qw -- "$word" <<<"$completion" || fail "the completion does not offer $word"
done
# The completion itself: the first word, a command's second word, an option's values.
complete_at() {
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _ostrelctl; echo "${COMPREPLY[*]}"' \
    _ "$build/completion/ostrelctl" "$@"
}
[[ " $(complete_at ostrelctl '') " == *" config "*" program-file "* ]] ||
  fail "the first word completes to: $(complete_at ostrelctl '')"
[ "$(complete_at ostrelctl config '')" = "show check encode decode read diff write" ] ||
  fail "config completes to: $(complete_at ostrelctl config '')"
[ "$(complete_at ostrelctl --simulate p)" = "pulse-radar" ] ||
  fail "--simulate p completes to: $(complete_at ostrelctl --simulate p)"

# ostrel-unitsim: the options its parser compares against.
options=$(grep -ho 'name == "--[a-z0-9-]*"' "$src/src/sim/unitsim_options.cpp" | sed 's/.*"\(.*\)"/\1/' | sort -u)
check ostrel-unitsim "$("$unitsim" --help)" "$(man -l "$build/man/ostrel-unitsim.1" 2>/dev/null)" $options

# ostrel: the options its parser is given.
if [ -n "$ostrel" ]; then
  options=$(grep -ho 'QCommandLineOption [a-zA-Z]*("[a-z-]*"' "$src/src/gui/app/startup_options.cpp" |
    sed 's/.*"\(.*\)"/--\1/' | sort -u)
  [ "$(wc -w <<<"$options")" -ge 7 ] || fail "found only $(wc -w <<<"$options") ostrel options in the sources"
  check ostrel "$("$ostrel" --help)" "$(man -l "$build/man/ostrel.1" 2>/dev/null)" $options
fi

[ "$failures" -eq 0 ] || exit 1
echo "usage, manual pages and completion agree"
