#!/usr/bin/env bash
# Installs the Debian 12 packages the library, its tests, benchmarks and demo need,
# for both the Qt 5 and the Qt 6 build.
# Does nothing when every package is already installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build make
  qtbase5-dev qtbase5-dev-tools qttools5-dev qttools5-dev-tools
  qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  libgoogle-glog-dev libboost-dev libboost-filesystem-dev
  libgtest-dev libgmock-dev libbenchmark-dev valgrind python3
  libx11-dev libxcb1-dev libdeflate-dev libzstd-dev libdw-dev
  xvfb xauth fonts-dejavu-core
  libwayland-dev libwayland-bin wayland-protocols qtbase5-private-dev qt6-base-private-dev
  qtwayland5 qt6-wayland sway wtype grim util-linux
  dbus xdg-desktop-portal xdg-desktop-portal-gtk dconf-gsettings-backend dconf-service libglib2.0-bin
  clang
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
