#!/usr/bin/env bash
# Builds the Debian package build/vantora-config_VERSION_ARCH.deb (Debian 12, as root
# or with sudo for the missing packages). Install it with
#   sudo apt install ./build/vantora-config_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/web.sh >/dev/null # the web page, which the package installs
scripts/build.sh >/dev/null
cd build
rm -f vantora-config_*.deb
cpack -G DEB >cpack.log 2>&1 || { cat cpack.log; exit 1; }
ls "$PWD"/vantora-config_*.deb
