#!/usr/bin/env bash
# Installs the build into a temporary prefix, as `cmake --install` and the Debian
# package do, and checks what a user and a desktop find there: the programs start from
# the prefix, the menu entry with its icon in every size, the software-centre data,
# the layout file type, a manual page for each program, the one of vantora-prog
# documenting every command, option and exit status that `vantora-prog --help` lists
# (and no option it lacks). The validators and lintian on the Debian package run last;
# without them the test is skipped (77) after everything else has passed.
set -u
construcao="$1"
aqui=$(cd "$(dirname "$0")" && pwd)
cmake="${2:-cmake}"
source "$aqui/../comum/driver.sh"

"$cmake" --install "$construcao" --prefix "$dir/usr" >"$dir/instalacao.log" 2>&1 ||
    { cat "$dir/instalacao.log"; echo "FAIL: cmake --install"; exit 1; }
p="$dir/usr"
cd "$dir"

for b in vantora-config vantora-prog vantora-sim; do
    versao=$(env -u DISPLAY -u WAYLAND_DISPLAY "$p/bin/$b" --version 2>&1)
    [[ $versao =~ ^$b\ [0-9]+\.[0-9]+ ]] || falha "$b --version: $versao"
done
ajuda=$("$p/bin/vantora-prog" --help 2>&1) || falha "vantora-prog --help saiu com $?"
# The window opens in a private X server and the program quits by itself
# (VANTORA_SAIR_AO_MOSTRAR); without any display it says so in one line.
export XDG_CONFIG_HOME="$dir"
VANTORA_SAIR_AO_MOSTRAR=1 timeout 60 bash "$aqui/../comum/xvfb.sh" "$p/bin/vantora-config"
rc=$?
[ $rc -eq 0 ] || [ $rc -eq 77 ] || falha "sob o Xvfb (saída $rc)"
# On the offscreen platform, a layout named at start (as a file manager opens one) is
# on show, read from the window's test-only report; one of another keyboard gives
# Open's message, and the window stays.
mkdir "$dir/pasta com espaço"
printf '[Teclado]\r\nTipo=Outro\r\n' >"$dir/pasta com espaço/outro.key"
for caso in "$aqui/../../examples/mercado.key|Tab1 0 65 A" "$dir/pasta com espaço/outro.key|Caixa=Arquivo referente a outro teclado"; do
    rm -f "$rel"
    fundo janela env QT_QPA_PLATFORM=offscreen VANTORA_RELATORIO="$rel" "$p/bin/vantora-config" "${caso%|*}"
    espera "${caso#*|}" 10
    # A kill closes the window as "Sair" does: a normal exit.
    kill "$(cat "$dir/janela.pid")" || falha "vantora-config ${caso%|*} terminou"
    wait "$(cat "$dir/janela.pid")" || falha "vantora-config ${caso%|*}: saída $? depois de SIGTERM"
done
sem_tela=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$p/bin/vantora-config" 2>&1)
rc=$?
# Installed, it points to installed programs, not to the build tree's scripts.
[ $rc -eq 2 ] && [ "$(wc -l <<<"$sem_tela")" -eq 1 ] && grep -q 'nenhuma tela' <<<"$sem_tela" &&
    ! grep -q 'build/\|scripts/' <<<"$sem_tela" || falha "sem tela: saída $rc, $sem_tela"

# The menu entry: its program and its icon are installed, each PNG of its own size.
desktop="$p/share/applications/vantora-config.desktop"
exec_=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
icone=$(sed -n 's/^Icon=//p' "$desktop")
[ -n "$exec_" ] && [ -x "$p/bin/$exec_" ] || falha "Exec=$exec_ não está em bin/"
[ -f "$p/share/icons/hicolor/scalable/apps/$icone.svg" ] || falha "ícone SVG $icone ausente"
for n in 16 22 24 32 48 64 128 256; do
    png="$p/share/icons/hicolor/${n}x${n}/apps/$icone.png"
    medida=$(od -An -tu1 -j16 -N8 "$png" 2>/dev/null | awk '{print $3*256+$4 "x" $7*256+$8}')
    [ "$medida" = "${n}x${n}" ] || falha "ícone ${n}x${n}: $png mede '$medida'"
done
meta=$(ls "$p"/share/metainfo/*.metainfo.xml)
lancador=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$meta")
[ "$lancador" = vantora-config.desktop ] || falha "metainfo lança '$lancador'"
for b in $(sed -n 's:.*<binary>\(.*\)</binary>.*:\1:p' "$meta"); do [ -x "$p/bin/$b" ] || falha "metainfo: $b"; done
grep -q 'usermod -aG dialout' "$p/share/doc/vantora-config/README.Debian" || falha "README.Debian sem o grupo dialout"
# The web page, once scripts/web.sh has built it, and README.Debian says where.
pagina="$aqui/../../build-web/pagina"
if [ -f "$pagina/index.html" ]; then
    for f in "$pagina"/*.{html,css,js}; do
        cmp -s "$f" "$p/share/vantora-config/web/${f##*/}" || falha "página: ${f##*/} não instalada"
    done
fi
grep -q '/usr/share/vantora-config/web/index.html' "$p/share/doc/vantora-config/README.Debian" ||
    falha "README.Debian não diz onde está a página"

# The layout file type: *.key is a layout, and the menu entry opens it.
XDG_DATA_DIRS="$p/share" update-mime-database "$p/share/mime" >"$dir/mime.log" 2>&1 && [ ! -s "$dir/mime.log" ] ||
    falha "update-mime-database: $(cat "$dir/mime.log")"
grep -qx '[0-9]*:application/x-vantora-layout:\*\.key' "$p/share/mime/globs2" || falha "globs2 sem *.key"
grep -qx 'MimeType=application/x-vantora-layout;' "$desktop" && grep -q '^Exec=.* %f$' "$desktop" ||
    falha "a entrada do menu não abre layouts"

# The manual pages: found by man, compressed, rendered without a warning; the one of
# vantora-prog in step with --help.
for b in vantora-config vantora-sim vantora-prog; do
    pagina=$(MANPATH="$p/share/man" man -w "$b" 2>&1)
    [ "$pagina" = "$p/share/man/man1/$b.1.gz" ] || falha "man -w $b: $pagina"
    avisos=$(zcat "$pagina" | groff -man -Tutf8 -ww -z 2>&1)
    [ -z "$avisos" ] || falha "groff $b: $avisos"
done
texto=$(zcat "$pagina" | groff -man -Tascii -P-cbou 2>/dev/null)
opcoes_ajuda=$(grep -oE -- '--[a-z-]+' <<<"$ajuda")
for c in $(sed -n '/^Comandos:/,/^$/s/^  \([a-z]\+\) .*/\1/p' <<<"$ajuda"); do
    grep -qE "^ {7}$c( |$)" <<<"$texto" || falha "manual sem o comando $c"
    opcoes_ajuda+=$'\n'$("$p/bin/vantora-prog" "$c" --help 2>/dev/null | grep -oE -- '--[a-z-]+')
done
# The same options in the manual as in every --help ("<" only in --help, ">" only in the manual).
diff <(sort -u <<<"$opcoes_ajuda") <(grep -oE -- '--[a-z-]+' <<<"$texto" | sort -u) || falha "opções do manual"
# The same exit statuses in the manual as in --help.
saidas=$(sed -n '/^Saída:/,/^$/p' <<<"$ajuda" | grep -oE '(^Saída: |; |^)[0-9]+ ' | grep -oE '[0-9]+' | sort -u)
diff <(echo "$saidas") <(sed -n '/^EXIT STATUS/,/^[A-Z]/s/^ \{7\}\([0-9]\+\) .*/\1/p' <<<"$texto" | sort -u) ||
    falha "saídas do manual"

[ $falhas -eq 0 ] || exit 1
requer desktop-file-validate appstreamcli
desktop-file-validate "$desktop" || falha "desktop-file-validate"
appstreamcli validate --no-net --strict "$meta" || falha "appstreamcli validate"
appstreamcli validate-tree --no-net "$dir" || falha "appstreamcli validate-tree"
# The Debian package as scripts/package.sh makes it: no lintian error or warning
# beyond those its override file justifies.
requer lintian
cpack="$(dirname "$(command -v "$cmake")")/cpack"
(cd "$construcao" && "$cpack" -G DEB -B "$dir/pacote") >"$dir/cpack.log" 2>&1 || falha "cpack: $(cat "$dir/cpack.log")"
relato=$(lintian --fail-on error,warning "$dir"/pacote/*.deb 2>&1) || falha "lintian: $(grep -v 'root privileges' <<<"$relato")"
termina "instalação: ok"
