#!/usr/bin/env bash
# Builds the Debian package from an optimised build without the tests and
# checks it as a user would get it: lintian (no errors, no warnings), the
# desktop entry, the AppStream metadata, then the package unpacked into a
# temporary folder and its programs run from there (not from the build
# tree) under an empty home, and every manual page rendered.
# Usage: scripts/package-check.sh [BUILD_DIR]
# Without BUILD_DIR it configures build/package (Release, no tests); with one
# that is configured already (CI passes the dev suite's build/dev, so the
# step compiles nothing again) it packages that build as it stands.
set -euo pipefail
cd "$(dirname "$0")/.."
root_dir=$PWD
build=${1:-build/package}

scripts/setup.sh
start=$(date +%s)
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DOSTREL_BUILD_TESTS=OFF >/dev/null
fi
rm -f "$build"/ostrel_*.deb
cmake --build "$build" --target package
built=$(date +%s)

debs=("$build"/ostrel_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "package-check: no single package in $build" >&2; exit 1; }
deb=${debs[0]}
version=$(sed -n 's/^project(ostrel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "ostrel_${version}_${arch}.deb" ] ||
  { echo "package-check: unexpected name $(basename "$deb")" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
step() { echo "package-check: $*"; }

step "lintian"
lintian --fail-on error,warning --tag-display-limit 0 "$deb"

step "the package's fields"
dpkg-deb -f "$deb" Package Version Architecture Maintainer Section Priority Depends
for field in Maintainer Section Priority Depends Description; do
  [ -n "$(dpkg-deb -f "$deb" "$field")" ] || { echo "package-check: no $field" >&2; exit 1; }
done
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 ||
  { echo "package-check: the dependencies do not name Qt's widgets library" >&2; exit 1; }

step "unpacking into $tmp/root"
dpkg-deb -x "$deb" "$tmp/root"
usr="$tmp/root/usr"
for program in ostrel ostrelctl ostrel-unitsim; do
  file -L "$usr/bin/$program" | grep -q ', stripped' ||
    { echo "package-check: $program is not stripped" >&2; exit 1; }
done
for f in lib/udev/rules.d/60-ostrel-cable.rules share/ostrel/Models/Ostrel_Language.txt \
  share/ostrel/Help share/icons/hicolor/scalable/apps/org.ostrel.Ostrel.svg \
  share/icons/hicolor/48x48/apps/org.ostrel.Ostrel.png \
  share/icons/hicolor/128x128/apps/org.ostrel.Ostrel.png \
  share/icons/hicolor/256x256/apps/org.ostrel.Ostrel.png \
  share/bash-completion/completions/ostrelctl; do
  [ -e "$usr/$f" ] || { echo "package-check: /usr/$f missing" >&2; exit 1; }
done

step "desktop-file-validate and appstreamcli"
desktop-file-validate "$usr/share/applications/org.ostrel.Ostrel.desktop"
appstreamcli validate --no-net "$usr/share/metainfo/org.ostrel.Ostrel.metainfo.xml"
grep -q "<release version=\"$version\"" "$usr/share/metainfo/org.ostrel.Ostrel.metainfo.xml" ||
  { echo "package-check: the metainfo's release is not $version" >&2; exit 1; }

step "the programs, run from the unpacked package under an empty home"
export HOME="$tmp/home" XDG_DATA_HOME="$tmp/home/.local/share" XDG_CONFIG_HOME="$tmp/home/.config"
export XDG_RUNTIME_DIR="$tmp/runtime"
unset OSTREL_HOME OSTREL_PORT DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
cd "$tmp"

[ "$("$usr/bin/ostrelctl" --version)" = "ostrelctl $version" ] ||
  { echo "package-check: ostrelctl --version is not ostrelctl $version" >&2; exit 1; }
"$usr/bin/ostrelctl" --simulate ultrasonic identify --json | tee "$tmp/identify.json"
grep -q '"kind"' "$tmp/identify.json" || { echo "package-check: identify gave no kind" >&2; exit 1; }
"$usr/bin/ostrel" --help >"$tmp/help.txt"
for option in --port --simulate --sample --screenshots --data-dir; do
  grep -q -- "$option" "$tmp/help.txt" || { echo "package-check: ostrel --help lacks $option" >&2; exit 1; }
done
[ -z "$(ls -A "$HOME")" ] || { echo "package-check: --help and --version wrote into the home" >&2; exit 1; }

# A marker among the unpacked models shows the first run copied the models
# from this tree (and no other) into the XDG data root.
cp "$usr/share/ostrel/Models/Corporate_Model.txt" "$usr/share/ostrel/Models/Package_Check.txt"
QT_QPA_PLATFORM=offscreen "$usr/bin/ostrel" --sample --screenshots "$tmp/shots"
ls "$tmp/shots"/*.png >/dev/null || { echo "package-check: the sample run saved no pictures" >&2; exit 1; }
[ -f "$XDG_DATA_HOME/ostrel/Models/Package_Check.txt" ] ||
  { echo "package-check: the data root was not filled from the unpacked tree" >&2; exit 1; }

step "manual pages"
for page in "$usr"/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "package-check: $page: $warnings" >&2; exit 1; }
  [ "$(man -l "$page" 2>/dev/null | wc -l)" -gt 10 ] || { echo "package-check: $page is empty" >&2; exit 1; }
done
ls "$usr"/share/man/man1/

step "bash completion"
words=$(bash -c 'source "$1"; COMP_WORDS=(ostrelctl read-page ""); COMP_CWORD=2; _ostrelctl; echo "${COMPREPLY[*]}"' \
  _ "$usr/share/bash-completion/completions/ostrelctl")
[[ "$words" == *customer*history* ]] || { echo "package-check: read-page completes to '$words'" >&2; exit 1; }
words=$(bash -c 'source "$1"; COMP_WORDS=(ostrelctl --simulate ""); COMP_CWORD=2; _ostrelctl; echo "${COMPREPLY[*]}"' \
  _ "$usr/share/bash-completion/completions/ostrelctl")
[[ "$words" == *pulse-radar* ]] || { echo "package-check: --simulate completes to '$words'" >&2; exit 1; }

cd "$root_dir"
size=$(stat -c %s "$deb")
echo "package-check: $(basename "$deb"): $((size / 1024)) KiB; built in $((built - start)) s," \
  "checked in $(($(date +%s) - built)) s"
