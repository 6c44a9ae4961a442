#!/usr/bin/env bash
# Qt's own texts in the real program: starts it under several system languages, opens
# the Save dialog with the menu command "Salvar" and reads the dialog's buttons from
# outside, through the accessibility bus. Portuguese on a Portuguese system and on one
# whose language Qt has no translation for; the system's language where Qt has one.
# Usage: teste_textos_qt.sh PROGRAM. Exit 77 (skipped) when a tool is missing.
set -uo pipefail
programa=${1:?usage: teste_textos_qt.sh PROGRAM}
aqui=$(cd "$(dirname "$0")" && pwd)
source "$aqui/../comum/atspi.sh"
inicia_atspi
unset LC_ALL LC_MESSAGES LANGUAGE # the language is LANG's alone

# confere LANG EXPECTED...: the Save dialog's buttons include each expected name.
confere() {
    local lang=$1 botoes
    shift
    botoes=$(le_atspi "$aqui/botoes_do_salvar.py" -- LANG="$lang" "$programa")
    for b; do grep -qx -- "$b" <<<"$botoes" || falha "LANG=$lang: no button \"$b\"; read: ${botoes//$'\n'/ | }"; done
}

confere pt_BR.UTF-8 Salvar Cancelar "Exibição detalhada"
confere sv_SE.UTF-8 Salvar Cancelar # Qt has no Swedish: Portuguese
confere de_DE.UTF-8 Speichern Abbrechen
termina "textos_qt: ok"
