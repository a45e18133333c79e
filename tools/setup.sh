#!/usr/bin/env bash
# Shared by play.sh and test.sh: install what is missing (Debian 12), then
# configure and build (incrementally on later runs).
#   tools/setup.sh deps play|test|package   install the packages the purpose needs
#   tools/setup.sh build DIR [cmake options...]
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

build_packages=(g++ cmake make pkg-config libncurses-dev libsdl2-mixer-dev libfluidsynth-dev liblua5.1-0-dev)
play_packages=(timgm6mb-soundfont)          # a small General MIDI sound font for the .mid tracks
test_packages=(libgtest-dev libbenchmark-dev timgm6mb-soundfont)  # the font: music draws on the synthesiser in the replay test
# `cpack -G DEB` reads the program's library dependencies with dpkg-shlibdeps
# (and finds the program with file); lintian checks the package it makes.
package_packages=(dpkg-dev file lintian)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"
  elif command -v sudo >/dev/null 2>&1; then sudo "$@"
  else echo "Need root (or sudo) to install: $*" >&2; exit 1
  fi
}

install_missing() {
  local missing=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  as_root apt-get update -qq
  as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

case "${1:-}" in
  deps)
    case "${2:-}" in
      play) install_missing "${build_packages[@]}" "${play_packages[@]}" ;;
      test) install_missing "${build_packages[@]}" "${test_packages[@]}" ;;
      package) install_missing "${build_packages[@]}" "${package_packages[@]}" ;;
      *) echo "usage: $0 deps play|test|package" >&2; exit 2 ;;
    esac ;;
  build)
    dir="$2"; shift 2
    cmake -S "$here" -B "$here/$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$here/$dir" -j "$(nproc)"
    ;;
  *) echo "usage: $0 deps play|test|package | build DIR [cmake options]" >&2; exit 2 ;;
esac
