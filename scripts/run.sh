#!/bin/sh
# Installs what is missing, builds, and runs the configurator against the
# simulated module.
set -eu
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
scripts/build.sh >/dev/null
echo "The configurator core is built and tested (model, text, converters)."
echo "The program itself and the simulated module are not built yet;"
echo "this command will start them once they exist."
