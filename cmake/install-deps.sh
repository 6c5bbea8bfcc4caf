#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, when any is missing.
# Usage: cmake/install-deps.sh [extra-package...]
set -euo pipefail

packages=(
  g++            # compiler (C++20)
  cmake          # build system
  make
  libgtest-dev   # GoogleTest, for the tests
  googletest
  nlohmann-json3-dev  # JSON output of talvorix-cli
  gettext        # msgfmt, xgettext: the Hungarian catalog of the command-line programs
  locales        # localedef: the tests make hu_HU.UTF-8 in a folder of their own
  python3        # cmake/check_layers.py: the layers test reads the link graph
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null; then sudo="sudo"; else
    echo "Not root and no sudo: install these packages first: ${missing[*]}" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
