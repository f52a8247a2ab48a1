#!/usr/bin/env bash
# Installs what is missing, builds, and starts the desktop program Tavlo on a data folder
# (default: ./demo). A folder without data is offered to be made a new data folder, with the
# standard codes. Further arguments go to the program ("/A" for the archive).
set -euo pipefail
cd "$(dirname "$0")/.."
folder="${1:-demo}"
shift || true
scripts/deps.sh
scripts/build.sh
exec build/shell/tlma "$folder" "$@"
