#!/usr/bin/env bash
# The shipped data is found beside the program (../share/ostrel from its
# bin/), wherever the tree is copied, and the build tree's data/ serves a
# program that has no such tree.
# Usage: relocated_tree.sh OSTRELCTL SOURCE_DATA_DIR
set -uo pipefail
ostrelctl=$1
data=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
export HOME="$tmp/home" XDG_DATA_HOME="$tmp/xdg-data" XDG_CONFIG_HOME="$tmp/xdg-config"
unset OSTREL_HOME
mkdir -p "$HOME" "$tmp/tree/bin" "$tmp/tree/share/ostrel"
cp "$ostrelctl" "$tmp/tree/bin/"
cp -r "$data/Models" "$tmp/tree/share/ostrel/"
config="$data/Configs/KM30_Factory.txt"

# The copied tree serves the file's model.
"$tmp/tree/bin/ostrelctl" config show "$config" --json >"$tmp/out" 2>"$tmp/err" ||
  fail "the copied program cannot show $config: $(cat "$tmp/err")"
grep -q '"MODEL": "KM30"' "$tmp/out" || fail "the copied program shows no KM30 record"

# Without the model in the copied tree the copied program does not find it,
# and says where it looked: there, not in the build tree.
rm "$tmp/tree/share/ostrel/Models/"KM30*
if "$tmp/tree/bin/ostrelctl" config show "$config" --json >"$tmp/out" 2>"$tmp/err"; then
  fail "the copied program found a KM30 model its tree does not hold"
fi
grep -q "$tmp/tree/share/ostrel/Models" "$tmp/err" ||
  fail "the copied program looked elsewhere: $(cat "$tmp/err")"

# The program in the build tree has no share/ostrel beside it: data/ serves it.
"$ostrelctl" config show "$config" --json >"$tmp/out" 2>"$tmp/err" ||
  fail "the build tree's program cannot show $config: $(cat "$tmp/err")"

[ "$failures" -eq 0 ] || exit 1
echo "shipped data: found beside the copied program and in the build tree"
