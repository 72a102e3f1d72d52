#!/usr/bin/env bash
# Shared set-up of both README commands: install the Debian packages that are
# missing (quick when everything is there), then configure and build one tree.
#   scripts/setup.sh BUILD_DIR [extra cmake arguments...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev
  libgsf-1-dev libpoppler-qt6-dev libjpeg-dev zlib1g-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang clang-format libclang-rt-14-dev
  libreoffice-impress-nogui xvfb xauth
  libzip-dev libheif-dev libwebp-dev libtiff-dev libspng-dev libxtst-dev libdeflate-dev libisal-dev
  libavcodec-dev libavutil-dev libheif-examples libmount-dev
  libavformat-dev libswscale-dev ffmpeg
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}" >&2
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi

build=${1:?build folder}
shift
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
export CCACHE_BASEDIR="$here"
# Debug info names the source folder; sharing the cache between work trees
# matters more than that path.
export CCACHE_NOHASHDIR=true
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "${launcher[@]}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
