#!/usr/bin/env bash
# Installs every Debian package needed to build, test and run the client.
# Idempotent: prints nothing and touches nothing when all is present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-declarative-dev qt6-declarative-dev-tools
  qt6-serialport-dev qt6-httpserver-dev qt6-websockets-dev qt6-pdf-dev
  qt6-l10n-tools qt6-tools-dev-tools
  libqt6sql6-sqlite libqt6svg6 qt6-qpa-plugins libgl-dev
  qml6-module-qtquick qml6-module-qtqml-workerscript qml6-module-qtqml-models
  qml6-module-qtquick-layouts qml6-module-qtquick-controls qml6-module-qtquick-templates
  qml6-module-qtquick-dialogs qml6-module-qtquick-window qml6-module-qtqml
  qml6-module-qttest qml6-module-qtquick-shapes
  socat cups cups-bsd cups-client printer-driver-cups-pdf poppler-utils
  g++-mingw-w64-x86-64
  xvfb xauth x11-apps imagemagick procps psmisc python3 ghostscript
  fonts-dejavu-core
  libqrencode-dev zbar-tools
  clang libclang-rt-14-dev
  libtiff-dev qt6-image-formats-plugins
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: missing packages (run as root): ${missing[*]}" >&2
    exit 1
  fi
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
