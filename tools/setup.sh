#!/usr/bin/env bash
# Installs what building, testing, the sample run and the release need on a
# Debian machine: the MinGW-w64 cross compilers (the posix thread model for
# the tests, the win32 one for the shipped program), Wine, CMake, GoogleTest's
# sources, NSIS for the installer-integration test, openssl and osslsigncode
# for the signing test, zip and git for the release (its files get the last
# commit's time) and unzip for the self-test's bundle. (Wine takes the UI language from LC_ALL whether or not that locale
# is installed, so no locale is.)
. "$(dirname "$0")/strict.sh"
packages=(cmake make g++-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-win32 mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
          wine wine64 googletest python3 zip unzip git nsis openssl osslsigncode)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
