#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-serialport-dev
          libgl-dev libx11-dev libxcb1-dev googletest libgtest-dev libgmock-dev xvfb xauth xdotool openbox x11-utils
          imagemagick fonts-dejavu-core
          desktop-file-utils appstream qt6-tools-dev libqt6opengl6-dev
          poppler-utils python3-vobject xdg-utils clang-format-14
          radicale xandikos qtkeychain-qt6-dev gnome-keyring dbus zlib1g-dev libmimalloc-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
