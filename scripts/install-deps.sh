#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running need,
# and does nothing when every one of them is already there.
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  qt6-base-dev zlib1g-dev libspng-dev libimagequant-dev libdeflate-dev libsquish-dev
  libgtest-dev libgmock-dev libbenchmark-dev libstb-dev
  fonts-dejavu-core fonts-dejavu-extra git
  "$@"
)

missing=()
for pkg in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
