#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine: the MinGW-w64
# cross compiler, Wine, CMake, GoogleTest's sources, the Chinese and
# Portuguese locales that the UI-language tests run Wine under, NSIS for the
# installer-integration test, and openssl and osslsigncode for the signing test.
set -euo pipefail
packages=(cmake make g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
          wine wine64 googletest locales python3 zip unzip nsis openssl osslsigncode)
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
wanted=(zh_CN.UTF-8 pt_BR.UTF-8)
for locale in "${wanted[@]}"; do
  if ! locale -a 2>/dev/null | grep -qi "^${locale/UTF-8/utf8}$"; then
    $sudo sed -i -E "s/^# *(${locale} UTF-8)/\\1/" /etc/locale.gen
    grep -q "^${locale} UTF-8" /etc/locale.gen || echo "${locale} UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
    regenerate=1
  fi
done
if [ -n "${regenerate:-}" ]; then $sudo locale-gen >/dev/null; fi
