#!/usr/bin/env bash
# Installs what the build and the tests need, only where it is missing: a
# no-op on a machine that has everything. Needs root (or sudo).
set -eu
need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for p in cmake ninja-build g++ g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 \
         g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 \
         xvfb xauth googletest libbenchmark-dev libarchive-tools clang-14 libclang-rt-14-dev; do
  have_pkg "$p" || need+=("$p")
done
[ ${#need[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
echo "installing: ${need[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
