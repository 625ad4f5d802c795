#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, only when missing.
set -euo pipefail

packages=(cmake ninja-build g++ clang libclang-rt-dev libgtest-dev libgmock-dev libbenchmark-dev
          nlohmann-json3-dev libcli11-dev libpng-dev binutils nodejs npm chromium
          g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 wine wine64)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

missing=()
for pkg in "${packages[@]}"; do
  installed "$pkg" || missing+=("$pkg")
done

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi

# 32-bit Wine runs the x86 Windows checks; without it they are skipped (and
# say so), so any failure here only costs those checks.
if ! installed wine32:i386; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386 && "${sudo_cmd[@]}" apt-get update -qq ||
      echo "note: cannot add the i386 architecture; the x86 Windows checks will be skipped" >&2
  fi
  if dpkg --print-foreign-architectures | grep -qx i386; then
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq wine32:i386 ||
      echo "note: wine32:i386 not installed; the x86 Windows checks will be skipped" >&2
  fi
fi
