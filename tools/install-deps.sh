#!/usr/bin/env bash
# Installs what the console needs to build, run and test, when it is missing (Debian 12).
set -euo pipefail

packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev qt6-httpserver-dev qt6-tools-dev qt6-l10n-tools
          cups printer-driver-cups-pdf poppler-utils
          qt6-translations-l10n libgtest-dev libgmock-dev
          libnet-snpp-perl curl openssl libqt6sql6-sqlite)
# The HTTP server module's CMake package needs the WebSockets one, which Debian's
# qt6-httpserver-dev does not pull in.
packages+=(qt6-websockets-dev)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
