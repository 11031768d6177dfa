#!/usr/bin/env bash
# Installs the Debian packages FolioBuilder needs to build, test, benchmark and fuzz
# (`scripts/deps.sh demo`: only those the programs need).
# Idempotent: it asks dpkg what is already there and only calls apt-get for the rest.
set -euo pipefail

# What the two programs (the builder and its reader template) need to configure, build and run:
# all `make demo` installs. CMake also looks for the test and benchmark libraries when it
# configures, so their (small) headers are here too.
demo_packages=(
  build-essential cmake ninja-build pkg-config
  zlib1g-dev libjpeg62-turbo-dev libpng-dev
  libfltk1.3-dev libxcursor-dev libxinerama-dev libxft-dev libxrender-dev libxfixes-dev libxext-dev libx11-dev
  libcairo2-dev libfreetype-dev libfontconfig-dev
  fonts-liberation fonts-dejavu-core fonts-droid-fallback
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  nettle-dev
  libutf8proc-dev
)

# Everything else: GUI tests, the benchmarks' peers, fuzzing and the formatting check.
packages=(
  "${demo_packages[@]}"
  xvfb xauth xdotool x11-utils
  openbox
  libgif-dev libgumbo-dev libxml2-dev libimagequant-dev liblitehtml-dev
  lynx-common
  clang libclang-rt-14-dev clang-format
  zip unzip pigz
  dillo
)

# scripts/deps.sh demo: only the programs' packages.
if [[ "${1:-}" == demo ]]; then
  packages=("${demo_packages[@]}")
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "deps: installing ${missing[*]}" >&2
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
