#!/bin/sh
# Builds a static libjpeg for MinGW-w64 from Debian's libjpeg-turbo source package, into
# build/deps/libjpeg. The source entries are derived from this machine's own apt sources.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
prefix="$root/build/deps/libjpeg"
work="$root/build/deps/src"
[ -f "$prefix/lib/libjpeg.a" ] && exit 0

as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

add_source_entries() {
  list=/etc/apt/sources.list.d/updater-deb-src
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && grep -q '^Types:.*\bdeb\b' "$f" || continue
    case "$f" in "$list".sources) continue ;; esac
    sed 's/^Types:.*/Types: deb-src/' "$f" | as_root tee -a "$list.sources.new" >/dev/null
  done
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list | as_root tee "$list.list" >/dev/null
  fi
  [ -f "$list.sources.new" ] && as_root mv "$list.sources.new" "$list.sources"
  as_root apt-get update -qq
}

mkdir -p "$work"
cd "$work"
if ! ls -d libjpeg-turbo-*/ >/dev/null 2>&1; then
  apt-get source -qq libjpeg-turbo >/dev/null 2>&1 || { add_source_entries; apt-get source -qq libjpeg-turbo >/dev/null 2>&1; }
fi
source_dir=$(ls -d "$work"/libjpeg-turbo-*/ | head -n 1)
cmake -S "$source_dir" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF -Wno-dev >/dev/null
cmake --build "$work/build" --target install >/dev/null
