#!/bin/sh
# Installs every Debian package the build and the tests need, and the zh_CN.UTF-8 locale.
# Idempotent: packages already present are left alone, so a second call costs a second.
set -eu

packages="make cmake ninja-build g++ g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine64 xvfb xdotool x11-utils imagemagick fonts-wqy-microhei nginx-light
  python3 python3-pytest googletest locales procps libjpeg62-turbo-dev dpkg-dev"

as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "installing:$missing"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
fi

# Wine mangles non-ASCII command-line arguments unless the Unix locale exists.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  as_root sh -c "sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen &&
    (grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen) &&
    locale-gen >/dev/null"
fi
