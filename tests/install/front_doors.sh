#!/usr/bin/env bash
# Every program answers --help (usage on standard output, exit 0), --version
# (name and version, exit 0) and an unknown option (usage on standard error,
# exit 2) without a display, and leaves an empty home and empty XDG folders
# empty: no data root, no settings, no lock file.
# Usage: front_doors.sh VERSION PROGRAM...
set -uo pipefail
version=$1
shift
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/home" "$tmp/data" "$tmp/config" "$tmp/cache" "$tmp/runtime"
chmod 700 "$tmp/runtime"
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# No display and nothing of the caller's but the sanitizers' settings.
keep=()
for v in ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS TSAN_OPTIONS; do
  [ -n "${!v:-}" ] && keep+=("$v=${!v}")
done
run() {  # run PROGRAM ARGS...: sets status, out, err
  env -i PATH="$PATH" "${keep[@]}" HOME="$tmp/home" XDG_DATA_HOME="$tmp/data" \
    XDG_CONFIG_HOME="$tmp/config" XDG_CACHE_HOME="$tmp/cache" XDG_RUNTIME_DIR="$tmp/runtime" \
    "$@" >"$tmp/out" 2>"$tmp/err"
  status=$?
  out=$(cat "$tmp/out")
  err=$(cat "$tmp/err")
}

for program in "$@"; do
  name=$(basename "$program")
  run "$program" --help
  [ "$status" -eq 0 ] || fail "$name --help exits $status"
  [[ "$out" == *[Uu]sage:\ $name* ]] || fail "$name --help prints no usage on standard output"
  [ -z "$err" ] || fail "$name --help writes to standard error: $err"

  run "$program" --version
  [ "$status" -eq 0 ] || fail "$name --version exits $status"
  [ "$out" = "$name $version" ] || fail "$name --version prints '$out', not '$name $version'"
  [ -z "$err" ] || fail "$name --version writes to standard error: $err"

  run "$program" --no-such-option
  [ "$status" -eq 2 ] || fail "$name --no-such-option exits $status, not 2"
  [ -z "$out" ] || fail "$name --no-such-option writes to standard output: $out"
  [[ "$err" == *no-such-option*[Uu]sage:\ $name* ]] ||
    fail "$name --no-such-option does not name the option and print the usage on standard error"

  if [ "$name" = ostrel ]; then
    run "$program" --help
    for option in --port --simulate --sample --screenshots --data-dir --unattended --version; do
      [[ "$out" == *"$option"* ]] || fail "ostrel --help does not list $option"
    done
  fi
done

left=$(find "$tmp/home" "$tmp/data" "$tmp/config" "$tmp/cache" "$tmp/runtime" -mindepth 1)
[ -z "$left" ] || fail "the runs left files behind: $left"

[ "$failures" -eq 0 ] || exit 1
echo "front doors: $# programs checked"
