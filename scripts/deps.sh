#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, where missing, and the Norwegian
# postal register that the standard code file is made from.
set -euo pipefail
cd "$(dirname "$0")/.."
packages=(build-essential cmake ninja-build pkg-config qt6-base-dev libsqlite3-dev libsodium-dev
          libgtest-dev fonts-dejavu-core fonts-liberation fonts-ocr-b poppler-utils
          # the icons, the manual pages, the package and its checks
          librsvg2-bin file man-db desktop-file-utils appstream lintian bash-completion
          # the electronic invoices are checked against the schema and the Peppol rules
          libxml2-utils libsaxonhe-java default-jre-headless)
# npm fetches the postal register; a node from elsewhere (nodesource, nvm) serves as well.
command -v npm >/dev/null || packages+=(nodejs npm)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installerer: ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# The postal register: the npm package norway-postal-codes, unpacked into .deps/ (not in git).
# Packed and unpacked rather than installed: the build reads its data file and runs none of its
# code, so its dependencies (an HTTP client for its own download script) are not needed.
postal_version=3.3.0
postal_sha1=52f9a0594600c06c83400fae5a3be9a0ccc715fc
postal_dir=.deps/npm/norway-postal-codes
if ! grep -qs "\"version\": \"$postal_version\"" "$postal_dir/package.json"; then
    echo "Henter npm-pakken norway-postal-codes $postal_version"
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    tarball=$(cd "$tmp" && npm pack --silent --ignore-scripts "norway-postal-codes@$postal_version")
    echo "$postal_sha1  $tmp/$tarball" | sha1sum --check --quiet
    rm -rf "$postal_dir"
    mkdir -p "$postal_dir"
    tar -xzmf "$tmp/$tarball" -C "$postal_dir" --strip-components=1
fi
