#include "comandos.h"

#include "apresenta.h"
#include "editor/conversao.h"
#include "files/layout.h"
#include "link/espera.h"
#include "link/gravacao.h"
#include "link/mscomm.h"
#include "link/portas.h"
#include "link/protocolo.h"
#include "shell/configuracao.h"
#include "shell/erro.h"

#include <QCommandLineParser>
#include <QEventLoop>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <memory>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#endif

namespace vantora::prog {

namespace {

// Exit statuses; with several ports, the highest one.
constexpr int OK = 0;
constexpr int RECUSADO = 1;     // the keyboard answered but did not take the whole layout
constexpr int ERRO = 2;         // bad file, bad port, bad usage
constexpr int SEM_RESPOSTA = 3; // nothing ever answered on the port

void diz(const QString& texto) {
    escreve(stdout, texto + QLatin1Char('\n'));
}
void reclama(const QString& texto) {
    escreve(stderr, QStringLiteral("vantora-prog: ") + texto + QLatin1Char('\n'));
}

#ifdef Q_OS_WIN
// The console behind `f`, if it is one.
HANDLE console(std::FILE* f) {
    const auto h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)));
    DWORD modo = 0;
    return h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &modo) ? h : nullptr;
}
#endif

} // namespace

void escreve(std::FILE* f, const QString& texto) {
#ifdef Q_OS_WIN
    if (const HANDLE h = console(f)) {
        std::fflush(f);
        // in pieces: older consoles refuse long writes
        for (qsizetype i = 0; i < texto.size(); i += 8192) {
            const QStringView parte = QStringView(texto).mid(i, 8192);
            DWORD escritos = 0;
            WriteConsoleW(h, reinterpret_cast<const wchar_t*>(parte.utf16()), DWORD(parte.size()), &escritos,
                          nullptr);
        }
        return;
    }
#endif
    std::fputs(texto.toUtf8().constData(), f);
    std::fflush(f);
}

bool terminal(std::FILE* f) {
#ifdef Q_OS_UNIX
    return isatty(fileno(f));
#elif defined(Q_OS_WIN)
    const HANDLE h = console(f);
    DWORD modo = 0;
    return h && GetConsoleMode(h, &modo) &&
           ((modo & ENABLE_VIRTUAL_TERMINAL_PROCESSING) ||
            SetConsoleMode(h, modo | ENABLE_VIRTUAL_TERMINAL_PROCESSING));
#else
    (void)f;
    return false;
#endif
}

bool le_perfil(const QString& caminho, PerfilPrivado& ini) {
    const QFileInfo info(caminho);
    QString motivo;
    QByteArray bytes;
    if (!info.exists()) {
        motivo = QStringLiteral("arquivo não encontrado");
    } else if (info.isDir()) {
        motivo = QStringLiteral("é uma pasta, não um arquivo");
    } else if (!info.isFile()) {
        motivo = QStringLiteral("não é um arquivo comum");
    } else if (info.size() > PerfilPrivado::LIMITE_BYTES) {
        motivo = QStringLiteral("arquivo grande demais para um layout (%1 MB; o limite é %2 MB)")
                     .arg(info.size() / (1024 * 1024))
                     .arg(PerfilPrivado::LIMITE_BYTES / (1024 * 1024));
    } else if (!info.isReadable()) {
        motivo = QStringLiteral("sem permissão para ler o arquivo");
    } else {
        QFile f(caminho);
        if (!f.open(QIODevice::ReadOnly))
            motivo = QStringLiteral("não foi possível ler o arquivo (%1)").arg(f.errorString());
        else if (bytes = f.read(PerfilPrivado::LIMITE_BYTES + 1); f.error() != QFileDevice::NoError)
            motivo = QStringLiteral("não foi possível ler o arquivo (%1)").arg(f.errorString());
        else if (bytes.size() > PerfilPrivado::LIMITE_BYTES)
            motivo = QStringLiteral("arquivo grande demais para um layout");
    }
    if (!motivo.isEmpty()) {
        reclama(QStringLiteral("%1: %2").arg(caminho, motivo));
        return false;
    }
    ini = PerfilPrivado::de_bytes(bytes);
    return true;
}

namespace {

// Reads a layout file as the window's "Abrir" does. Returns false (with the reason
// printed) for a file the window would refuse.
bool le_layout(const QString& caminho, Layout& layout) {
    PerfilPrivado ini;
    if (!le_perfil(caminho, ini)) return false;
    try {
        if (!Le_Layout(ini, layout)) {
            reclama(QStringLiteral("%1: %2").arg(caminho, mensagemOutroTeclado()));
            return false;
        }
    } catch (const ErroExecucao& e) {
        reclama(QStringLiteral("%1: erro %2 (%3) ao ler o layout; \"vantora-prog check\" mostra onde")
                    .arg(caminho)
                    .arg(e.numero())
                    .arg(e.descricao()));
        return false;
    }
    return true;
}

std::optional<Modelo> modelo(const QString& texto) {
    if (texto == QLatin1String("65")) return Modelo::Teclas65;
    if (texto == QLatin1String("44")) return Modelo::Teclas44;
    return std::nullopt;
}

// --- ports and send ---

// A port to program, resolved before any exchange starts.
struct Alvo {
    QString nome;    // as messages show it: "COM33 (/dev/ttyUSB0)", or the path
    QString caminho; // what opens it
};

// "COM33" (as `ports` prints it, in any letter case), "33", or a device path.
std::optional<Alvo> resolve_porta(const QList<DispositivoSerial>& dispositivos, const QString& texto) {
    static const QRegularExpression com(QStringLiteral("^(?:COM)?([0-9]+)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const auto m = com.match(texto.trimmed());
    std::optional<Alvo> r;
    if (m.hasMatch()) {
        const int numero = m.captured(1).toInt();
        for (const DispositivoSerial& d : dispositivos) // the last one listed with it wins
            if (d.numero == numero)
                r = Alvo{QStringLiteral("COM%1 (%2)").arg(numero).arg(d.caminho), d.caminho};
        if (!r)
            reclama(QStringLiteral("COM%1: porta não encontrada (vantora-prog ports lista as portas)")
                        .arg(numero));
        return r;
    }
    for (const DispositivoSerial& d : dispositivos)
        if (d.caminho == texto)
            r = Alvo{QStringLiteral("COM%1 (%2)").arg(d.numero).arg(d.caminho), d.caminho};
    if (!r && QFileInfo::exists(texto)) r = Alvo{texto, texto};
    if (!r)
        reclama(QStringLiteral("%1: porta não encontrada (vantora-prog ports lista as portas)").arg(texto));
    return r;
}

// The one port an exchange opens, so that each exchange has an inventory of its own
// and none is shared between threads.
class UmaPorta final : public InventarioPortas {
  public:
    explicit UmaPorta(Alvo alvo) : alvo_(std::move(alvo)) {}
    QList<DispositivoSerial> lista() override {
        if (!QFileInfo::exists(alvo_.caminho)) return {};
        return {{alvo_.nome + QStringLiteral(" (COM1)"), alvo_.caminho, alvo_.caminho, 1}};
    }
    QString nome_por_id(const QString& id) override {
        return id == alvo_.caminho && QFileInfo::exists(id) ? alvo_.nome : QString();
    }

  private:
    Alvo alvo_;
};

// The exchange over the serial control, answers read as the window's receive
// handler reads them. Counts what the keyboard answered, to tell a keyboard that
// refused from one that never answered, and a partly programmed one.
class CanalSerial final : public CanalGravacao {
  public:
    CanalSerial(MSComm& porta, std::atomic<int>& passo) : porta_(porta), passo_(passo) {
        QObject::connect(&porta_, &MSComm::OnComm, &porta_, [this] {
            if (porta_.CommEvent() != comEvReceive) return;
            const QByteArray b = porta_.Input();
            if (b.isEmpty()) return;
            if (uchar(b[0]) == RESPOSTA_ACEITO)
                resposta_ = RESPOSTA_SIM;
            else if (uchar(b[0]) == RESPOSTA_RECUSADO)
                resposta_ = RESPOSTA_NAO;
        });
    }
    void envia_registro(int indice, int c1, int c2, int c3, int c4) override {
        resposta_ = 0;
        for (int v : {int(INICIO_REGISTRO), indice, c1, c2, c3, c4})
            porta_.setOutput(QByteArray(1, char(v)));
    }
    void envia_fim() override {
        resposta_ = 0;
        porta_.setOutput(QByteArray(1, char(COMANDO_FIM)));
    }
    int espera_resposta() override {
        for (int contador = 0; contador <= 100; ++contador) {
            Aguarda_Ms(5);
            if (porta_.PortaPerdida())
                throw ErroExecucao(ERRO_SERIAL_ESCRITA, QStringLiteral("a porta deixou de responder"));
            if (resposta_ == RESPOSTA_SIM || resposta_ == RESPOSTA_NAO) break;
        }
        if (resposta_ == RESPOSTA_SIM || resposta_ == RESPOSTA_NAO) ++respostas;
        if (resposta_ == RESPOSTA_SIM) ++aceitos;
        return resposta_;
    }
    void avanca(int passos) override { passo_ += passos; }

    int respostas = 0;
    int aceitos = 0;

  private:
    MSComm& porta_;
    std::atomic<int>& passo_;
    int resposta_ = 0;
};

// What an exchange that stopped left in the keyboard (keys and records numbered as
// `show` numbers them, from 1).
QString parcial(int aceitos) {
    constexpr int REGISTROS = QTD_TECLAS + QTD_SLOTS - PRIMEIRO_SENTINELA;
    if (aceitos == 0) return QStringLiteral("o teclado não foi alterado");
    return QStringLiteral(
               "o teclado ficou parcialmente gravado: aceitou %1 de %2 registros (%3); grave-o de novo")
        .arg(aceitos)
        .arg(REGISTROS)
        .arg(aceitos <= QTD_TECLAS
                 ? QStringLiteral("teclas 1 a %1").arg(aceitos)
                 : QStringLiteral("as 65 teclas e %1 sentinela(s)").arg(aceitos - QTD_TECLAS));
}

// The window sends what its sentinel boxes show: box 0 of a row holds the row's
// default when table 1 has 0 there. A file sent from here goes out the same way.
CodigosLayout como_a_janela_envia(CodigosLayout c) {
    for (int slot = PRIMEIRO_SENTINELA; slot < QTD_SLOTS; ++slot)
        c.Codigos_Tab1[size_t(slot)] = converte_inteiro(texto_sentinela(c, slot, 0));
    return c;
}

struct Resultado {
    int status = OK;
    QString texto; // the port's result line
};

// One whole exchange on one port; runs on a thread of its own, which the pauses of
// the exchange keep processing events for its port.
Resultado grava_numa_porta(const Alvo& alvo, const QString& parametros, const CodigosLayout& codigos,
                           int opcoes, std::atomic<int>& passo) {
    UmaPorta inventario(alvo);
    AberturaPortasQt abertura(inventario);
    MSComm porta(&abertura);
    try {
        porta.setSettings(parametros);
        porta.setCommPort(1);
        porta.setPortOpen(true);
        porta.setInBufferCount(0);
        porta.setOutBufferCount(0);
        porta.setNullDiscard(false);
        porta.setSThreshold(1);
        porta.setRThreshold(1);
        porta.setInputLen(1);
        porta.setInputMode(0);
    } catch (const ErroExecucao& e) {
        if (e.numero() == ERRO_PORTA_ABERTA)
            return {ERRO, QStringLiteral(
                              "%1: Não foi possivel abrir esta porta serial (ocupada por outro programa)")
                              .arg(alvo.nome)};
        return {ERRO, QStringLiteral("%1: erro %2 (%3) ao abrir a porta")
                          .arg(alvo.nome)
                          .arg(e.numero())
                          .arg(e.descricao())};
    }
    CanalSerial canal(porta, passo);
    Resultado r;
    try {
        if (executa_gravacao(canal, codigos, opcoes) == ResultadoGravacao::Gravado)
            r = {OK, QStringLiteral("%1: Gravação do teclado efetuada.").arg(alvo.nome)};
        else if (canal.respostas == 0)
            r = {SEM_RESPOSTA,
                 QStringLiteral("%1: o teclado não respondeu (porta errada, teclado desligado ou "
                                "desconectado?); nada foi gravado")
                     .arg(alvo.nome)};
        else
            r = {RECUSADO,
                 QStringLiteral("%1: Erro de comunicação com o teclado (o teclado não aceitou o layout); %2")
                     .arg(alvo.nome, parcial(canal.aceitos))};
    } catch (const ErroExecucao& e) {
        if (canal.respostas == 0)
            r = {SEM_RESPOSTA, QStringLiteral("%1: o teclado não respondeu (%2); nada foi gravado")
                                   .arg(alvo.nome, e.descricao())};
        else
            r = {ERRO, QStringLiteral("%1: erro %2 (%3) durante a gravação; %4")
                           .arg(alvo.nome)
                           .arg(e.numero())
                           .arg(e.descricao(), parcial(canal.aceitos))};
    }
    porta.setPortOpen(false);
    return r;
}

// Programs the ports, all at once or one after another. On a terminal, a progress
// line per port on stderr (redrawn in place); at the end, or as each port ends when
// one by one, a result line per port. Returns the highest status.
int grava_portas(const QList<Alvo>& alvos, const QString& parametros, const CodigosLayout& codigos,
                 int opcoes, bool umPorUm) {
    const int n = int(alvos.size());
    std::vector<std::atomic<int>> passos(static_cast<size_t>(n));
    std::vector<Resultado> resultados(static_cast<size_t>(n));
    std::vector<bool> terminou(static_cast<size_t>(n), false);
    const bool tty = terminal(stderr);
    int desenhadas = 0;
    const auto desenha = [&](int de, int ate) {
        if (!tty) return;
        QString s;
        if (desenhadas > 0) s += QStringLiteral("\x1b[%1A").arg(desenhadas);
        constexpr int LARGURA = 40;
        for (int i = de; i < ate; ++i) {
            const int passo = qBound(0, passos[size_t(i)].load(), PASSOS_GRAVACAO);
            const int cheio = passo * LARGURA / PASSOS_GRAVACAO;
            s += QStringLiteral("\r%1 [%2%3] %4/%5%6\x1b[K\n")
                     .arg(alvos[i].nome, QString(cheio, QLatin1Char('#')),
                          QString(LARGURA - cheio, QLatin1Char('.')))
                     .arg(passo, 2)
                     .arg(PASSOS_GRAVACAO)
                     .arg(terminou[size_t(i)] ? QStringLiteral(" fim") : QString());
        }
        desenhadas = ate - de;
        escreve(stderr, s);
    };
    // Runs the exchanges of ports [de, ate) on threads of their own and waits for
    // them, redrawing the progress meanwhile.
    const auto roda = [&](int de, int ate) {
        QEventLoop laco;
        QTimer relogio;
        relogio.setInterval(100);
        QObject::connect(&relogio, &QTimer::timeout, &laco, [&] { desenha(de, ate); });
        int faltam = ate - de;
        std::vector<std::unique_ptr<QThread>> linhas;
        for (int i = de; i < ate; ++i) {
            linhas.emplace_back(QThread::create([&, i] {
                resultados[size_t(i)] =
                    grava_numa_porta(alvos[i], parametros, codigos, opcoes, passos[size_t(i)]);
            }));
            QObject::connect(linhas.back().get(), &QThread::finished, &laco, [&, i] {
                terminou[size_t(i)] = true;
                if (--faltam == 0) laco.quit();
            });
        }
        for (auto& t : linhas)
            t->start();
        relogio.start();
        desenha(de, ate);
        if (faltam > 0) laco.exec();
        for (auto& t : linhas)
            t->wait();
        desenha(de, ate);
        desenhadas = 0;
    };
    const auto informa = [&](int i) {
        const Resultado& r = resultados[size_t(i)];
        if (r.status == OK)
            diz(r.texto);
        else
            reclama(r.texto);
    };
    int pior = OK;
    if (umPorUm) {
        for (int i = 0; i < n; ++i) {
            roda(i, i + 1);
            informa(i);
        }
    } else {
        roda(0, n);
        for (int i = 0; i < n; ++i)
            informa(i);
    }
    for (const Resultado& r : resultados)
        pior = qMax(pior, r.status);
    return pior;
}

} // namespace

bool analisa(QCommandLineParser& p, const QString& uso, const QString& descricao, const QStringList& args,
             int& status) {
    p.setApplicationDescription(descricao);
    const QCommandLineOption ajuda({QStringLiteral("h"), QStringLiteral("help")},
                                   QStringLiteral("Mostra esta ajuda."));
    p.addOption(ajuda);
    if (!p.parse(QStringList{QStringLiteral("vantora-prog")} + args)) {
        reclama(p.errorText());
        status = ERRO;
        return false;
    }
    if (p.isSet(ajuda)) {
        QString texto = p.helpText();
        // Qt's first line ("Usage: vantora-prog [options] ARQUIVO") gives way to ours whole.
        texto.replace(QRegularExpression(QStringLiteral("^[^\\n]*")), uso);
        texto.replace(QStringLiteral("Options:"), QStringLiteral("Opções:"));
        texto.replace(QStringLiteral("Arguments:"), QStringLiteral("Argumentos:"));
        escreve(stdout, texto);
        status = OK;
        return false;
    }
    return true;
}

int ports(const QStringList& args) {
    QCommandLineParser p;
    int status = OK;
    if (!analisa(p, QStringLiteral("Uso: vantora-prog ports"),
                 QStringLiteral("Lista as portas seriais com o número COM e o dispositivo, como a caixa "
                                "\"Porta Serial:\" da janela (inclui VANTORA_EXTRA_PORTS)."),
                 args, status))
        return status;
    auto inventario = criaInventarioSistema();
    Mdl_Serial serial(inventario.get());
    try {
        serial.Busca_Portas();
    } catch (const ErroExecucao& e) {
        reclama(QStringLiteral("erro %1 (%2) ao procurar as portas").arg(e.numero()).arg(e.descricao()));
        return ERRO;
    }
    const QList<DispositivoSerial> dispositivos = inventario->lista();
    if (serial.Qtd_Portas == 0) {
        reclama(QStringLiteral("Nenhuma porta serial encontrada."));
        return OK;
    }
    for (int i = 1; i <= serial.Qtd_Portas; ++i) {
        const Info_Porta& e = serial.Lista_Portas[size_t(i)];
        const QString caminho = i - 1 < dispositivos.size() ? dispositivos[i - 1].caminho : QString();
        diz(QStringLiteral("COM%1\t%2\t%3").arg(e.Numero, caminho, e.Nome));
    }
    return OK;
}

int send(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ARQUIVO"), QStringLiteral("O arquivo de layout (*.key)."));
    const QCommandLineOption porta(
        QStringLiteral("port"),
        QStringLiteral("Porta: COM33 (como \"vantora-prog ports\" mostra, em maiúsculas ou minúsculas), "
                       "33, ou o caminho do dispositivo. Repetida, grava os teclados ao mesmo tempo, "
                       "uma troca por porta. Sem ela, a última porta aberta na janela."),
        QStringLiteral("COMn|n|CAMINHO"));
    const QCommandLineOption umPorUm(QStringLiteral("one-by-one"),
                                     QStringLiteral("Grava as portas uma depois da outra, na ordem dada."));
    const QCommandLineOption velocidade(QStringLiteral("speed"),
                                        QStringLiteral("9600 ou 57600 (padrão 57600)."),
                                        QStringLiteral("BPS"), QStringLiteral("57600"));
    p.addOption(porta);
    p.addOption(umPorUm);
    p.addOption(velocidade);
    int status = OK;
    if (!analisa(
            p,
            QStringLiteral("Uso: vantora-prog send ARQUIVO [--port COMn|n|CAMINHO]... [--one-by-one] "
                           "[--speed 9600|57600]"),
            QStringLiteral(
                "Grava o layout no teclado pela porta serial, com a mesma troca de mensagens da janela.\n"
                "Num terminal, uma linha de progresso por porta (stderr); no fim, uma linha de resultado por "
                "porta: \"PORTA: Gravação do teclado efetuada.\" em stdout, as falhas em stderr, dizendo "
                "quantos registros o teclado aceitou antes de parar. Teclas numeradas de 1 a 65, como em "
                "\"show\".\n"
                "Saída (com várias portas, a maior): 0 gravado; 1 o teclado respondeu mas não aceitou o "
                "layout; 2 arquivo, porta ou uso com problema (ou a porta caiu no meio da gravação); 3 o "
                "teclado não respondeu."),
            args, status))
        return status;
    if (p.positionalArguments().size() != 1) {
        reclama(QStringLiteral("indique um arquivo de layout (vantora-prog send --help)"));
        return ERRO;
    }
    const QString bps = p.value(velocidade);
    if (bps != QLatin1String("9600") && bps != QLatin1String("57600")) {
        reclama(QStringLiteral("velocidade inválida: %1 (use 9600 ou 57600)").arg(bps));
        return ERRO;
    }
    Layout layout;
    if (!le_layout(p.positionalArguments().first(), layout)) return ERRO;
    CodigosLayout codigos;
    try {
        codigos = como_a_janela_envia(layout.codigos);
    } catch (const ErroExecucao&) {
        return ERRO; // cannot happen: the display rule gives numbers
    }
    // Nothing goes out unless every value fits in a byte.
    if (const auto problema = valor_fora_da_faixa(codigos)) {
        reclama(*problema);
        return ERRO;
    }
    const int opcoes = byte_opcoes(layout.caixas[Layout::Prot], layout.caixas[Layout::ProtDisp],
                                   layout.caixas[Layout::ProtDispBNC]);

    QStringList portas = p.values(porta);
    if (portas.isEmpty()) {
        auto cfg = criaConfiguracaoSistema(QStringLiteral("vantora-config"));
        portas << cfg->le(QStringLiteral("Sistema"), QStringLiteral("Serial"), QStringLiteral("1"));
    }
    QList<DispositivoSerial> dispositivos;
    try {
        dispositivos = criaInventarioSistema()->lista();
    } catch (const ErroExecucao& e) {
        reclama(QStringLiteral("erro %1 (%2) ao procurar as portas").arg(e.numero()).arg(e.descricao()));
        return ERRO;
    }
    int pior = OK;
    QList<Alvo> alvos;
    for (const QString& texto : portas) {
        if (const auto a = resolve_porta(dispositivos, texto))
            alvos << *a;
        else
            pior = ERRO;
    }
    if (alvos.isEmpty()) return pior;
    return qMax(pior, grava_portas(alvos, bps + QStringLiteral(",N,8,1"), codigos, opcoes, p.isSet(umPorUm)));
}

int show(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ARQUIVO"), QStringLiteral("O arquivo de layout (*.key)."));
    const QCommandLineOption mod(QStringLiteral("model"),
                                 QStringLiteral("65 (Vantora, padrão) ou 44 (Norva)."),
                                 QStringLiteral("65|44"), QStringLiteral("65"));
    const QCommandLineOption formato(QStringLiteral("format"), QStringLiteral("text (padrão) ou csv."),
                                     QStringLiteral("text|csv"), QStringLiteral("text"));
    const QCommandLineOption sentinelas(
        QStringLiteral("sentinels"),
        QStringLiteral("Com --format csv: os seis sentinelas em vez das teclas, nas colunas "
                       "entrada,trilha,campo,codigo1..codigo4,legenda1..legenda4 (entrada 66 a 71, trilha 2 "
                       "ou 3, campo inicial, final ou erro)."));
    p.addOption(mod);
    p.addOption(formato);
    p.addOption(sentinelas);
    int status = OK;
    if (!analisa(p,
                 QStringLiteral(
                     "Uso: vantora-prog show ARQUIVO [--model 65|44] [--format text|csv] [--sentinels]"),
                 QStringLiteral(
                     "Mostra as teclas na grade do teclado, com as legendas dos códigos das tabelas 1 a "
                     "4, os seis sentinelas e as opções.\n"
                     "Teclas, linhas e colunas numeradas a partir de 1 (como nas mensagens de \"send\" e "
                     "\"check\"): a tecla n = 13 x (linha - 1) + coluna é a chave T(n-1) do arquivo. Os "
                     "sentinelas aparecem como o teclado os recebe (a caixa 1 vazia leva o padrão da linha). "
                     "Um código sem caractere visível aparece como <código>.\n"
                     "CSV das teclas: tecla,linha,coluna,codigo1..codigo4,legenda1..legenda4; as colunas "
                     "numéricas só têm números."),
                 args, status))
        return status;
    const auto m = modelo(p.value(mod));
    const QString f = p.value(formato);
    if (p.positionalArguments().size() != 1 || !m ||
        (f != QLatin1String("text") && f != QLatin1String("csv"))) {
        reclama(QStringLiteral("uso: vantora-prog show ARQUIVO [--model 65|44] [--format text|csv]"));
        return ERRO;
    }
    Layout layout;
    if (!le_layout(p.positionalArguments().first(), layout)) return ERRO;
    Catalogo cat;
    cat.preenche();
    const LayoutApresentado l{layout.codigos, layout.caixas};
    if (f != QLatin1String("csv"))
        escreve(stdout, layout_em_texto(l, cat, *m));
    else
        escreve(stdout, p.isSet(sentinelas) ? sentinelas_em_csv(l, cat) : layout_em_csv(l, cat, *m));
    return OK;
}

int legend(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ARQUIVO"), QStringLiteral("O arquivo de layout (*.key)."));
    const QCommandLineOption saida(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                   QStringLiteral("A folha: SAIDA.pdf (A4) ou SAIDA.png (300 dpi)."),
                                   QStringLiteral("SAIDA"));
    const QCommandLineOption mod(QStringLiteral("model"),
                                 QStringLiteral("65 (Vantora, padrão) ou 44 (Norva)."),
                                 QStringLiteral("65|44"), QStringLiteral("65"));
    const QCommandLineOption passo(
        QStringLiteral("pitch"),
        QStringLiteral("Distância entre teclas em milímetros, com ponto ou vírgula (padrão 19.05)."),
        QStringLiteral("MM"), QStringLiteral("19.05"));
    p.addOption(saida);
    p.addOption(mod);
    p.addOption(passo);
    int status = OK;
    if (!analisa(
            p,
            QStringLiteral("Uso: vantora-prog legend ARQUIVO -o SAIDA.pdf|SAIDA.png [--model 65|44] "
                           "[--pitch MM]"),
            QStringLiteral("Folha de legendas em tamanho real: uma célula por tecla, uma linha por tabela "
                           "(1 em negrito no alto, depois 2, 3 e 4), e marcas de corte. Uma legenda que não "
                           "cabe nem com 5 pt é cortada e marcada (*1) e aparece inteira na lista sob a "
                           "grade. Não precisa de tela."),
            args, status))
        return status;
    const auto m = modelo(p.value(mod));
    bool passoOk = false;
    const double mm = QString(p.value(passo)).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&passoOk);
    if (p.positionalArguments().size() != 1 || !p.isSet(saida) || !m || !passoOk) {
        reclama(QStringLiteral(
            "uso: vantora-prog legend ARQUIVO -o SAIDA.pdf|SAIDA.png [--model 65|44] [--pitch MM]"));
        return ERRO;
    }
    Layout layout;
    if (!le_layout(p.positionalArguments().first(), layout)) return ERRO;
    Catalogo cat;
    cat.preenche();
    FolhaLegenda folha;
    folha.modelo = *m;
    folha.passoMm = mm;
    const QString erro = grava_legenda(p.value(saida), {layout.codigos, layout.caixas}, cat, folha);
    if (!erro.isEmpty()) {
        reclama(QStringLiteral("%1: %2").arg(p.value(saida), erro));
        return ERRO;
    }
    diz(QStringLiteral("Legendas gravadas em %1").arg(p.value(saida)));
    return OK;
}

} // namespace vantora::prog
