#!/bin/sh
# Renders the HTML parameter list of the default mode with headless Chromium
# into docs/screenshots/: the top of the page (parlist.png) and its end with
# the appendix (parlist_appendix.png). Installs chromium when it is missing.
set -eu
cd "$(dirname "$0")/.."
BIN="$(pwd)/${TARN_BUILD_DIR:-build}/bin"
OUT="$(pwd)/docs/screenshots"
if ! command -v chromium >/dev/null 2>&1; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends chromium >/dev/null
fi
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/settings" "$WORK/profile"
TARN_SETTINGS_DIR="$WORK/settings" "$BIN/tarn" -html:"$WORK/parlist.html"
# The end of the page: the same page with the long table of the tree hidden
# (a headless screenshot always shows the top of a page).
cp "$WORK/parlist.html" "$WORK/parlist_end.html"
printf '<style>body > table:first-of-type { display: none }</style>' >>"$WORK/parlist_end.html"

shoot() {
    chromium --headless --no-sandbox --disable-gpu --disable-background-networking \
        --disable-component-update --disable-sync --no-first-run \
        --user-data-dir="$WORK/profile" --hide-scrollbars \
        --window-size="$3" --screenshot="$2" "file://$1" >/dev/null 2>&1
}
shoot "$WORK/parlist.html" "$OUT/parlist.png" 1280,1100
shoot "$WORK/parlist_end.html" "$OUT/parlist_appendix.png" 1280,1350
echo "written: $OUT/parlist.png $OUT/parlist_appendix.png"
