#!/usr/bin/env bash
# Installs what is missing (Debian 12, as root), builds, and starts the window.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >/dev/null
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Sem tela (DISPLAY vazio): para ver a janela rode scripts/screenshot.sh, que grava docs/janela.png, ou 'xvfb-run build/bin/vantora-config'." >&2
    exit 0
fi
exec build/bin/vantora-config "$@"
