#!/usr/bin/env bash
# Hand-made faults: does the test suite catch a plausible mistake in each core rule?
#   scripts/faltas.sh                 every fault of the table below
#   scripts/faltas.sh NOME...         only those
#   scripts/faltas.sh --lista         only checks that each snippet is still there, once
#   options: --build DIR (default build-faltas), --timeout S (per test, default 120)
# Each fault is an exact piece of text of src/ or tools/ and its faulty replacement.
# The text is looked for in every file of src/ and tools/ (not by file name: code moves
# between files), and must appear exactly once; a fault whose text is missing or
# repeated is reported ("não encontrado", "ambíguo") and skipped, so that the table
# can be brought up to date. One fault at a time: the file is changed, the build dir
# is rebuilt incrementally (RelWithDebInfo, warnings not errors), the whole CTest suite
# runs (-j2), and the file gets its original bytes back, also on Ctrl-C. A build that
# fails counts as caught ("compila não"). Linux only. Refuses to run on a tree with
# uncommitted changes in src/ or tools/.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(uname -s)" != Linux ]; then
    echo "faltas.sh: só no Linux" >&2
    exit 2
fi

BUILD=build-faltas
for ((i = 1; i <= $#; i++)); do
    if [ "${!i}" = --build ]; then j=$((i + 1)); BUILD="${!j}"; fi
done

# A fault in place when the run was cut short: its file gets its bytes back.
volta_original() {
    local r="$BUILD/falta-em-curso"
    if [ -f "$r/caminho" ] && [ -f "$r/original" ]; then
        cp -- "$r/original" "$(cat "$r/caminho")"
        echo "faltas.sh: $(cat "$r/caminho") restaurado" >&2
    fi
    rm -rf -- "$r"
}
volta_original
trap volta_original EXIT
trap 'volta_original; exit 130' INT
trap 'volta_original; exit 143' TERM

python3 - "$@" <<'PY'
import os, re, signal, subprocess, sys, time

# name, original text, faulty text, note. Keep each original text unique in src/ + tools/.
# "equivalente": a change no test can see (the behaviour stays the same).
FALTAS = [
    # --- catalogue
    ("cat_guarda_curta",
     r"""    if (s.size() < 2) return 0;
""", "", "equivalente"),
    ("cat_codigo_por_k",
     r"""Codigo_TeclaLB[l.tecla] = std::to_string(l.codigo);""",
     r"""Codigo_TeclaLB[l.tecla - 1] = std::to_string(l.codigo);""", ""),
    ("cat_menor_indice",
     r"""    for (int k = 1; k <= 111; ++k) {
        if (confere(Id_TeclaPC[k - 1])""",
     r"""    for (int k = 111; k >= 1; --k) {
        if (confere(Id_TeclaPC[k - 1])""", ""),
    # --- editor: conversions, rounding and range
    ("conv_meio_para_cima",
     r"""    if (resto > 0.5 || (resto == 0.5 && std::fmod(inteiro, 2.0) != 0.0))""",
     r"""    if (resto >= 0.5)""", ""),
    ("conv_32767_5",
     r"""    if (inteiro < -32768.0 || inteiro > 32767.0)""",
     r"""    if (inteiro < -32768.0 || inteiro > 32768.0)""", ""),
    ("conv_faixa_antes_de_arredondar",
     r"""    if (inteiro < -32768.0 || inteiro > 32767.0)""",
     r"""    if (valor < -32768.0 || valor > 32767.0)""", ""),
    ("conv_arredonda_depois_da_faixa",
     r"""    if (resto > 0.5 || (resto == 0.5 && std::fmod(inteiro, 2.0) != 0.0))
        inteiro += 1.0;
    if (inteiro < -32768.0 || inteiro > 32767.0)
        throw ErroExecucao(ERRO_ESTOURO);
""",
     r"""    if (inteiro < -32768.0 || inteiro > 32767.0)
        throw ErroExecucao(ERRO_ESTOURO);
    if (resto > 0.5 || (resto == 0.5 && std::fmod(inteiro, 2.0) != 0.0))
        inteiro += 1.0;
""", ""),
    ("conv_limite_mais_um",
     r"""    if (v < -32768 || v > 32767)""",
     r"""    if (v < -32768 || v > 32768)""", ""),
    ("conv_hex_16_bits",
     r"""    bits = v <= 0xFFFF ? 16 : 32;""",
     r"""    bits = v <= 0x7FFF ? 16 : 32;""", ""),
    # --- editor: captions, sentinels, the 44-key view
    ("ed_legenda_del",
     r"""    if (c == 127) return "DEL";
""", "", ""),
    ("ed_sentinela_so_caixa_1",
     r"""    if (caixa == 0 && valor == 0)""",
     r"""    if (valor == 0)""", ""),
    ("ed_avanco_44",
     r"""    } while (!visivel(tecla_));""",
     r"""    } while (tecla_ == TECLA_NENHUMA);""", ""),
    ("ed_44_ultima_fila",
     r"""    return tecla >= 4 * TECLAS_POR_LINHA ||""",
     r"""    return tecla >= 4 * TECLAS_POR_LINHA + 1 ||""", ""),
    # --- files: INI store and layout reader
    ("arq_menos_2_exato",
     r"""    if (v.size() >= 2 && v[0] == '-' && valor_inicial(std::string_view(v).substr(0, 2)) == -2.0) return " ";""",
     r"""    if (v == "-2") return " ";""", ""),
    ("ini_aspas_desiguais",
     r"""            if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);""",
     r"""            if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'')) v = v.substr(1, v.size() - 2);""", ""),
    ("ini_cr_sozinho",
     r"""        while (i < n && d[i] != '\n' && d[i] != '\r')""",
     r"""        while (i < n && d[i] != '\n')""", ""),
    ("ini_cabecalho_primeiro_colchete",
     r"""        const std::size_t fecha = t.rfind(']');""",
     r"""        const std::size_t fecha = t.find(']');""", ""),
    ("ini_insercao_apos_brancas",
     r"""    for (; l > cabecalhos_[secao]; --l) {""",
     r"""    for (; l > fim_secao(secao) - 1; --l) {""", ""),
    ("ini_disco_cheio",
     r"""        if (disco.isValid() && disco.bytesAvailable() < qint64(t.size()))""",
     r"""        if (disco.isValid() && disco.bytesAvailable() < 0)""", ""),
    ("arq_capacidade_255",
     r"""    std::string v = ini.le(secao, chave, "-2", 255);""",
     r"""    std::string v = ini.le(secao, chave, "-2", 256);""", ""),
    ("arq_tipo_sem_caixa",
     r"""    if (Le_Ini(ini, nomes.front().secao, nomes.front().chave) != tipoLayout()) return false;""",
     r"""    if (PerfilPrivado::dobra(Le_Ini(ini, nomes.front().secao, nomes.front().chave)) != PerfilPrivado::dobra(tipoLayout())) return false;""",
     ""),
    ("arq_opcao_ate_3",
     r"""        if (onde.opcao >= 0 && (r.valor < 0 || r.valor > 2))""",
     r"""        if (onde.opcao >= 0 && (r.valor < 0 || r.valor > 3))""", ""),
    ("arq_sentinelas_estritas",
     r"""        r.valor = onde.opcao < 0 && onde.entrada < PRIMEIRO_SENTINELA ? converte_inteiro(r.texto)""",
     r"""        r.valor = onde.opcao < 0 && onde.entrada < QTD_SLOTS ? converte_inteiro(r.texto)""", ""),
    ("arq_sobrescrever_sem_resposta",
     r"""            if (r != Resposta::Sim) return;
""", "", ""),
    ("arq_sobrescrever_so_arquivo",
     r"""        if (info.exists() || info.isSymLink()) {""",
     r"""        if (info.isFile()) {""", ""),
    # --- capture
    ("cap_bit_estendida",
     r"""((f.varredura & 0xFF) << 16) | ((f.varredura & ESTENDIDA) ? BIT_ESTENDIDA : 0u) | 1u;""",
     r"""((f.varredura & 0xFF) << 16) | 1u;""", ""),
    ("cap_windows_sem_estendida",
     r"""        return {e.codigoVarredura & 0x1FF, static_cast<int>(e.teclaVirtual & 0xFF)};""",
     r"""        return {e.codigoVarredura & 0xFF, static_cast<int>(e.teclaVirtual & 0xFF)};""", ""),
    ("cap_trava_na_repeticao",
     r"""        if (!(r.palavra & BIT_ESTADO_ANTERIOR) && !(do_sistema_ & t)) ligadas_ ^= t;""",
     r"""        if (!(do_sistema_ & t)) ligadas_ ^= t;""", ""),
    ("cap_trava_solta_sem_pressao",
     r"""        if (!(baixadas_ & t) && !(do_sistema_ & t)) ligadas_ ^= t;
""", "", ""),
    ("cap_ctrl_do_altgr",
     r"""    if (palavra & BIT_TRANSICAO) return palavra != 0xE01D0001u;""",
     r"""    if (palavra & BIT_TRANSICAO) return true;""", ""),
    ("cap_dado_com_transicao",
     r"""        Txt_dado->setText(identificador.mid(1));""",
     r"""        Txt_dado->setText(identificador);""", ""),
    # --- link
    ("lig_registro_entrada",
     r"""static_cast<std::size_t>(indice_ <= QTD_TECLAS ? indice_ - 1 : indice_);""",
     r"""static_cast<std::size_t>(indice_ <= QTD_TECLAS ? indice_ : indice_);""", ""),
    ("lig_silencio_conta_um",
     r"""        falhas_ += respondido ? 1 : 2;""",
     r"""        falhas_ += 1;""", ""),
    ("lig_aceito_nao_zera",
     r"""        ++aceitos_;
        falhas_ = 0;
""",
     r"""        ++aceitos_;
""", ""),
    ("lig_abandono_depois_do_limite",
     r"""        if (falhas_ >= LIMITE_FALHAS) {""",
     r"""        if (falhas_ > LIMITE_FALHAS) {""", ""),
    ("lig_bit_bnc_cinza",
     r"""        if (caixas[c] == OPCOES_LAYOUT[c].liga) byte""",
     r"""        if (caixas[c] == OPCOES_LAYOUT[c].liga || caixas[c] == 2) byte""", ""),
    ("lig_bit_autoriza_invertido",
     r"""    {"Prot", "Chk_Autoriza_prot", "Autoriza modificar layout por outro protocolo", 0, 0, 1},""",
     r"""    {"Prot", "Chk_Autoriza_prot", "Autoriza modificar layout por outro protocolo", 0, 1, 1},""", ""),
    ("lig_codigo_256",
     r"""    const auto fora = [](int v) { return v < 0 || v > 255; };""",
     r"""    const auto fora = [](int v) { return v < 0 || v > 256; };""", ""),
    ("lig_sim_nao_trocados",
     r"""constexpr int TECLA_SIM = 45;
constexpr int TECLA_NAO = 85;""",
     r"""constexpr int TECLA_SIM = 85;
constexpr int TECLA_NAO = 45;""", ""),
    ("lig_com_usb",
     r"""tipo == QLatin1String("USB") ? 33 : 65;""",
     r"""tipo == QLatin1String("USB") ? 32 : 65;""", ""),
    ("lig_posicao_escolhida",
     r"""    if (escolhido >= 0) return static_cast<std::int16_t>(escolhido + 1);""",
     r"""    if (escolhido >= 0) return static_cast<std::int16_t>(escolhido);""", ""),
    ("lig_extra_sob_numero_tomado",
     r"""                          .arg(dono->nome);
            continue;
""",
     r"""                          .arg(dono->nome);
""", ""),
    ("lig_erro_permissao",
     r"""            return ErroExecucao(ERRO_PERMISSAO, "Permissão negada");""",
     r"""            return ErroExecucao(ERRO_ARQUIVO, "Permissão negada");""", ""),
    # --- tools
    ("prog_sentinela_padrao",
     r"""        c.tabela(1)[size_t(linha.slot)] = converte_inteiro(texto_sentinela(c, linha.slot, 0));""",
     r"""        c.tabela(1)[size_t(linha.slot)] = c.tabela(1)[size_t(linha.slot)];""", ""),
    ("prog_extra_ambigua",
     r"""        if (!dados.isEmpty() && listado && listado->caminho != dados.first()) {""",
     r"""        if (!dados.isEmpty() && listado && listado->caminho == dados.first()) {""", ""),
    ("prog_check_255",
     r"""                if (i != 65 && (valor < 0 || valor > 255)) {""",
     r"""                if (i != 65 && (valor < 0 || valor > 256)) {""", ""),
]

args = sys.argv[1:]
build, limite, so_lista, nomes = "build-faltas", 120, False, []
i = 0
while i < len(args):
    a = args[i]
    if a == "--build":
        build = args[i + 1]; i += 1
    elif a == "--timeout":
        limite = int(args[i + 1]); i += 1
    elif a == "--lista":
        so_lista = True
    elif a.startswith("-"):
        sys.exit(f"faltas.sh: opção desconhecida {a}")
    else:
        nomes.append(a)
    i += 1
conhecidos = {f[0] for f in FALTAS}
for n in nomes:
    if n not in conhecidos:
        sys.exit(f"faltas.sh: falta desconhecida {n}")
faltas = [f for f in FALTAS if not nomes or f[0] in nomes]

fontes = {}
for pasta in ("src", "tools"):
    for raiz, _, arqs in os.walk(pasta):
        for a in sorted(arqs):
            p = os.path.join(raiz, a)
            with open(p, "rb") as f:
                fontes[p] = f.read()

def acha(texto):
    b = texto.encode("utf-8")
    return [(p, c.count(b)) for p, c in sorted(fontes.items()) if b in c]

situacao = {}
for nome, de, para, nota in faltas:
    achados = acha(de)
    total = sum(n for _, n in achados)
    if total == 0:
        situacao[nome] = ("não encontrado", None)
    elif total > 1:
        situacao[nome] = ("ambíguo: " + ", ".join(f"{p} ({n}x)" for p, n in achados), None)
    else:
        situacao[nome] = (None, achados[0][0])

if so_lista:
    ruins = 0
    for nome, *_ in faltas:
        erro, arq = situacao[nome]
        print(f"{nome:<34} {erro or arq}")
        ruins += erro is not None
    sys.exit(1 if ruins else 0)

sujo = subprocess.run(["git", "status", "--porcelain", "--", "src", "tools"],
                      capture_output=True, text=True, check=True).stdout
if sujo.strip():
    sys.exit("faltas.sh: há mudanças não registradas em src/ ou tools/; registre-as ou guarde-as antes:\n" + sujo)

inicio = time.time()
registro = os.path.join(build, "falta-em-curso")
logs = os.path.join(build, "faltas-logs")

def termina(sinal, _quadro):
    raise KeyboardInterrupt
signal.signal(signal.SIGTERM, termina)

def roda(cmd, log, **kw):
    with open(log, "ab") as f:
        f.write(("$ " + " ".join(cmd) + "\n").encode())
        f.flush()
        return subprocess.run(cmd, stdout=f, stderr=subprocess.STDOUT, **kw).returncode

def compila(log):
    if not os.path.exists(os.path.join(build, "build.ninja")):
        if roda(["cmake", "-S", ".", "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                 "-DVANTORA_WERROR=OFF"], log) != 0:
            return False
    return roda(["cmake", "--build", build, "-j2"], log) == 0

# Every test gets at most `limite` seconds: the TIMEOUT the project gives a test is cut
# down in the build dir's test files (rewritten by CMake on the next configure).
def limita_tempos():
    for raiz, _, arqs in os.walk(build):
        if "CTestTestfile.cmake" not in arqs:
            continue
        p = os.path.join(raiz, "CTestTestfile.cmake")
        t = open(p, encoding="utf-8").read()
        n = re.sub(r'TIMEOUT "(\d+)"', lambda m: f'TIMEOUT "{min(int(m.group(1)), limite)}"', t)
        if n != t:
            open(p, "w", encoding="utf-8").write(n)

def testa(log):
    limita_tempos()
    with open(log, "ab") as f:
        r = subprocess.run(["ctest", "-j2", "--timeout", str(limite), "--output-on-failure"],
                           cwd=build, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        f.write(r.stdout)
    saida = r.stdout.decode("utf-8", "replace")
    falhas, lendo = [], False
    for linha in saida.splitlines():
        if linha.startswith("The following tests FAILED"):
            lendo = True
        elif lendo:
            m = re.match(r"\s*\d+ - (\S+) \((.*)\)", linha)
            if m:
                falhas.append(m.group(1) + (" (tempo)" if "Timeout" in m.group(2) else ""))
            elif linha.strip():
                lendo = False
    if r.returncode != 0 and not falhas:
        falhas.append("ctest saiu com %d" % r.returncode)
    return falhas

os.makedirs(logs, exist_ok=True)
print(f"faltas.sh: compilando {build}/ e rodando a suíte sem faltas", flush=True)
log0 = os.path.join(logs, "_base.log")
open(log0, "w").close()
if not compila(log0):
    sys.exit(f"faltas.sh: o código sem faltas não compila (veja {log0})")
base = testa(log0)
if base:
    sys.exit(f"faltas.sh: a suíte falha sem faltas: {', '.join(base)} (veja {log0})")

resultados = []  # name, file, caught-by text, caught?
try:
    for n, (nome, de, para, nota) in enumerate(faltas, 1):
        erro, arq = situacao[nome]
        if erro:
            resultados.append((nome, "-", erro.upper() if erro == "não encontrado" else erro, None, nota))
            print(f"[{n}/{len(faltas)}] {nome}: {erro}", flush=True)
            continue
        original = fontes[arq]
        os.makedirs(registro, exist_ok=True)
        with open(os.path.join(registro, "original"), "wb") as f:
            f.write(original)
        with open(os.path.join(registro, "caminho"), "w") as f:
            f.write(arq)
        log = os.path.join(logs, nome + ".log")
        open(log, "w").close()
        t0 = time.time()
        try:
            with open(arq, "wb") as f:
                f.write(original.replace(de.encode("utf-8"), para.encode("utf-8"), 1))
            if not compila(log):
                pego = ["compila não"]
            else:
                pego = testa(log)
        finally:
            with open(arq, "wb") as f:
                f.write(original)
            for a in ("original", "caminho"):
                os.remove(os.path.join(registro, a))
            os.rmdir(registro)
        quem = ", ".join(pego[:3]) + (f" (+{len(pego) - 3})" if len(pego) > 3 else "") if pego else "NÃO PEGA"
        resultados.append((nome, arq, quem, bool(pego), nota))
        print(f"[{n}/{len(faltas)}] {nome}: {quem} ({time.time() - t0:.0f} s)", flush=True)
except KeyboardInterrupt:
    print("faltas.sh: interrompido; o arquivo da falta em curso voltou ao original", file=sys.stderr)
    sys.exit(130)

# The build dir back in step with the sources.
roda(["cmake", "--build", build, "-j2"], os.path.join(logs, "_fim.log"))

largura = max(len(r[0]) for r in resultados)
larg_arq = max(len(r[1]) for r in resultados)
linhas = [f"{'falta':<{largura}}  {'arquivo':<{larg_arq}}  pega por"]
for nome, arq, quem, pego, nota in resultados:
    marca = " [equivalente: não pegar é o esperado]" if nota == "equivalente" else ""
    linhas.append(f"{nome:<{largura}}  {arq:<{larg_arq}}  {quem}{marca}")
rodadas = [r for r in resultados if r[3] is not None]
equivalentes = [r for r in rodadas if r[4] == "equivalente"]
comuns = [r for r in rodadas if r[4] != "equivalente"]
pegas = [r for r in comuns if r[3]]
soltas = [r[0] for r in comuns if not r[3]]
fora = [r[0] for r in resultados if r[3] is None]
linhas.append("")
linhas.append(f"pegas: {len(pegas)} de {len(comuns)} (sem contar {len(equivalentes)} equivalente(s): "
              f"{', '.join(r[0] + (' pega' if r[3] else ' não pega') for r in equivalentes) or '-'})")
if soltas:
    linhas.append("não pegas: " + ", ".join(soltas))
if fora:
    linhas.append("fora da tabela atual (texto não encontrado ou repetido): " + ", ".join(fora))
minutos, segundos = divmod(int(time.time() - inicio), 60)
linhas.append(f"tempo: {minutos} min {segundos} s")
texto = "\n".join(linhas)
print("\n" + texto)
with open(os.path.join(build, "faltas.txt"), "w") as f:
    f.write(texto + "\n")
sys.exit(1 if soltas or fora else 0)
PY
