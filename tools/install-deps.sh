#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need, only
# those that are missing, quietly. Safe to run any number of times.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config clang-14 libclang-rt-14-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  rapidjson-dev nlohmann-json3-dev libsimdjson-dev
  # platform
  libcurl4-openssl-dev libplist-dev libgdk-pixbuf-2.0-dev libpng-dev
  libcairo2-dev libpango1.0-dev fonts-urw-base35 fonts-comic-neue
  # servers for the tests and the bundled ad server
  libcpp-httplib-dev
  # system sounds
  libsdl2-dev
  # the desktop window and its test under a virtual display
  libgtk-3-dev xvfb xauth xdotool
  # the web view (WebKitGTK on GTK 3)
  libwebkit2gtk-4.1-dev
  # widely used vCard readers that the address-book folder is tested with
  khard python3-vobject
  # installing and packaging: manual pages from --help, the desktop entry's
  # check, the Debian package's dependencies
  help2man desktop-file-utils dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq >/dev/null
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
