#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tavlo on a data folder (default: ./demo),
# creating the folder when there is none.
set -euo pipefail
cd "$(dirname "$0")/.."
folder="${1:-demo}"
scripts/deps.sh
scripts/build.sh
if [ ! -f "$folder/PARAM.TPS" ]; then
    build/shell/tavlo init "$folder"
fi
echo "Datamappe: $folder"
ls -l "$folder"
build/shell/tavlo records "$folder" PARAM list --fields PAR:STDMVATYPE,PAR:STDMVASATS,PAR:FAKTURATYPE,PAR:ANTALLFAKTURAER
