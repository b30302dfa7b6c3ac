#!/usr/bin/env bash
# Installs the Debian packages listed in debian-packages.txt. Does nothing
# (and needs no network) when they are all installed already.
set -euo pipefail

list="$(dirname "${BASH_SOURCE[0]}")/debian-packages.txt"
mapfile -t packages < <(grep -v -e '^#' -e '^[[:space:]]*$' "$list")

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
