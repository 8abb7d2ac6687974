#!/bin/sh
# Installs what is missing, builds, and runs the configurator against the
# simulated module.
#
# The simulated module (tarn-sim) is put on a pseudo-terminal and registered
# as a COM port in a private ports folder. With a display the configurator
# opens its window on that port; without one it reads the whole parameter
# tree unattended into a configuration file and prints what it did.
set -eu
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
scripts/build.sh >/dev/null

BIN="$(pwd)/${TARN_BUILD_DIR:-build}/bin"
WORK="${TARN_RUN_DIR:-$(pwd)/build/run}"
mkdir -p "$WORK/ports" "$WORK/settings"
export TARN_PORTS_DIR="$WORK/ports"
export TARN_SETTINGS_DIR="$WORK/settings"
PORT=1

"$BIN/tarn-sim" --com "$PORT" --quiet >"$WORK/tarn-sim.out" 2>&1 &
SIM=$!
trap 'kill $SIM 2>/dev/null || true' EXIT INT TERM
# Wait until the module has registered its port.
for _ in $(seq 1 50); do
    [ -e "$TARN_PORTS_DIR/COM$PORT" ] && break
    sleep 0.1
done
echo "Simulated module on COM$PORT ($(readlink "$TARN_PORTS_DIR/COM$PORT"))"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Starting the configurator; it finds the module on COM$PORT."
    "$BIN/tarn" "$@"
else
    CONF="$WORK/module.tarn"
    echo "No display: reading the module unattended into $CONF"
    set +e
    "$BIN/tarn" -port:$PORT -read -close "$CONF"
    CODE=$?
    set -e
    [ -f "$CONF" ] && echo "Configuration written: $CONF ($(wc -c <"$CONF") bytes)"
    exit $CODE
fi
