#!/usr/bin/env bash
# Installs every Debian package Brimvale needs, then configures and builds it
# into build/ (the application bundle is build/Ondrak Brimvale.app).
set -euo pipefail
cd "$(dirname "$0")"

paketler=(
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev libssl-dev libplist-dev libicu-dev libblkid-dev
  libsecret-1-dev libglib2.0-dev libcurl4-openssl-dev libarchive-dev qt6-base-dev libqt6svg6
  rsync gocryptfs fuse3 openssl util-linux fdisk e2fsprogs procps
  # for the tests against a real session bus, keyring and notification service
  dbus-daemon gnome-keyring libsecret-tools jq
)

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

eksik=()
for p in "${paketler[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || eksik+=("$p")
done
if [ ${#eksik[@]} -gt 0 ]; then
  echo "Installing: ${eksik[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${eksik[@]}"
fi

cmake -S . -B build -G Ninja
cmake --build build
