#!/bin/sh
# What CI checks of the Debian package after the test suite: it is built
# (scripts/package.sh, reusing the build folder), unpacked into a scratch
# root, and the installed programs run from there: tarn -help and --version,
# and an unattended read against the installed tarn-sim, both finding their
# tree container in the unpacked share/tarn. Then lintian (no errors), the
# desktop entry and the manual pages.
set -eu
cd "$(dirname "$0")/.."
DEB="$(scripts/package.sh | tail -n 1)"
echo "package-check: $DEB"

WORK="$(mktemp -d)"
SIM=""
cleanup() {
    if [ -n "$SIM" ]; then
        kill "$SIM" 2>/dev/null || true
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT INT TERM
fail() {
    echo "package-check: $*" >&2
    exit 1
}

dpkg-deb -x "$DEB" "$WORK/root"
BIN="$WORK/root/usr/bin"
DATA="$WORK/root/usr/share/tarn"
for file in "$BIN/tarn" "$BIN/tarn-sim" "$BIN/tarn-pack" "$BIN/tarn-dump" "$BIN/tarn-diff" \
    "$DATA/tarn.tree.dat" \
    "$DATA/tarn-manual.html" "$DATA/parlist-appendix.html"; do
    [ -f "$file" ] || fail "missing ${file#"$WORK/root"}"
done
# The programs must find the container in share/tarn, not beside them.
[ ! -e "$BIN/tarn.tree.dat" ] || fail "tarn.tree.dat in usr/bin"

mkdir -p "$WORK/ports" "$WORK/settings" "$WORK/caller"
export TARN_PORTS_DIR="$WORK/ports" TARN_SETTINGS_DIR="$WORK/settings"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

"$BIN/tarn" -help | grep -q -- "-html:FILE" || fail "tarn -help"
VERSION="$(dpkg-deb -f "$DEB" Version)"
"$BIN/tarn" --version | grep -q "^tarn .* $VERSION\$" || fail "tarn --version"

"$BIN/tarn-sim" --com 1 --quiet >"$WORK/sim.out" 2>&1 &
SIM=$!
for _ in $(seq 1 50); do
    [ -e "$TARN_PORTS_DIR/COM1" ] && break
    kill -0 "$SIM" 2>/dev/null || break
    sleep 0.1
done
[ -e "$TARN_PORTS_DIR/COM1" ] || { cat "$WORK/sim.out" >&2; fail "tarn-sim did not start"; }
(cd "$WORK/caller" && "$BIN/tarn" -port:1 -read -close module.tarn) >"$WORK/read.out" 2>&1 ||
    { cat "$WORK/read.out" >&2; fail "the unattended read failed"; }
grep -q "с ошибками 0" "$WORK/read.out" || { cat "$WORK/read.out" >&2; fail "the read had errors"; }
[ -s "$WORK/caller/module.tarn" ] || fail "no configuration file written"
# The installed readers find the installed container too.
"$BIN/tarn-dump" "$WORK/caller/module.tarn" >"$WORK/dump.out" || fail "tarn-dump"
grep -q "POUt" "$WORK/dump.out" || fail "tarn-dump printed no parameters"
"$BIN/tarn-diff" "$WORK/caller/module.tarn" "$WORK/caller/module.tarn" || fail "tarn-diff"
kill "$SIM"
wait "$SIM" 2>/dev/null || true
SIM=""

(cd "$WORK/caller" && "$BIN/tarn" -html:list.html) || fail "tarn -html"
grep -q "E894" "$WORK/caller/list.html" || fail "the parameter list lacks its appendix"

desktop-file-validate "$WORK/root/usr/share/applications/tarn.desktop"
for page in "$WORK"/root/usr/share/man/man1/*.1.gz; do
    warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)"
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
lintian --fail-on error --allow-root "$DEB"
echo "package-check: all good"
