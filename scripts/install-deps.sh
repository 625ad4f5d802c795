#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those missing, with sudo
# when not root.
#   install-deps.sh             building everything, flying (the main job) and
#                               the test suite (cmake --workflow --preset test)
#   install-deps.sh --quality   also clang and its sanitizer runtime, for the
#                               quality and fuzzing gates (docs/quality.md)
#   install-deps.sh --windows   also the Windows test builds' cross-compilers
#                               and Wine, with the i386 architecture for the
#                               32-bit checks (docs/windows.md)
# The options combine; .ci/run gives both.
set -euo pipefail

# chromium runs the flight page in the test suite; node and npm (below) build
# the page and check the glTF export.
packages=(cmake ninja-build g++ binutils python3 libgtest-dev libgmock-dev libbenchmark-dev
          nlohmann-json3-dev libcli11-dev libpng-dev chromium)
# A machine may have node from another Debian source whose nodejs package
# brings npm along; Debian's npm would conflict with it. Install them only
# when the commands are missing.
command -v node >/dev/null 2>&1 || packages+=(nodejs)
command -v npm >/dev/null 2>&1 || packages+=(npm)
quality=0 windows=0
for arg in "$@"; do
  case $arg in
    --quality) quality=1 ;;
    --windows) windows=1 ;;
    -h|--help) sed -n '2,11s/^# \{0,1\}//p' "$0"; exit 0 ;;
    *) echo "install-deps.sh: unknown option '$arg' (--quality, --windows)" >&2; exit 2 ;;
  esac
done
[ "$quality" = 1 ] && packages+=(clang libclang-rt-dev)
[ "$windows" = 1 ] && packages+=(g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 wine wine64)

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

[ "$windows" = 1 ] || exit 0

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
