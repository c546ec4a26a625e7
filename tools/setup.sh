#!/usr/bin/env bash
# Installs the Debian packages the catalog needs to build, run and test, when missing.
set -euo pipefail
packages=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-image-formats-plugins qt6-translations-l10n libgl-dev
    libqt6sql6-ibase firebird3.0-server-core firebird3.0-server firebird-dev firebird3.0-utils locales
    libcurl4-openssl-dev libxml2-dev libmspack-dev libcpp-httplib-dev libsodium-dev libssl-dev minisign openssl
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    fonts-dejavu-core fonts-dejavu-extra xvfb xauth
    dbus-daemon at-spi2-core
    desktop-file-utils appstream dpkg-dev
    poppler-utils
    nginx-light wrk
    clang-14 libclang-rt-14-dev
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
