#include "comandos.h"

#include "apresenta.h"
#include "base/configuracao.h"
#include "base/erro.h"
#include "editor/conversao.h"
#include "files/disco.h"
#include "files/layout.h"
#include "link/gravacao.h"
#include "link/mscomm.h"
#include "link/portas.h"
#include "link/protocolo.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
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
// Names and values in a message may come from outside: shown escaped.
void reclama(const QString& texto) {
    escreve(stderr, QStringLiteral("vantora-prog: ") + visivel(texto) + QLatin1Char('\n'));
}

// Qt's file classes reach a file by a name made of text; one given with bytes that
// are no UTF-8 is reached through the descriptor the system opens for it.
class PeloSistema {
  public:
    explicit PeloSistema(const QString& nome) : caminho_(nome) {
#ifdef Q_OS_LINUX
        if (!tem_bytes_soltos(nome)) return;
        fd_ = ::open(nome_no_sistema(nome).constData(), O_PATH | O_CLOEXEC);
        if (fd_ >= 0) caminho_ = QStringLiteral("/proc/self/fd/%1").arg(fd_);
#endif
    }
    ~PeloSistema() {
#ifdef Q_OS_UNIX
        if (fd_ >= 0) ::close(fd_);
#endif
    }
    PeloSistema(const PeloSistema&) = delete;
    PeloSistema& operator=(const PeloSistema&) = delete;
    [[nodiscard]] const QString& caminho() const {
        return caminho_;
    }

  private:
    QString caminho_;
    int fd_ = -1;
};

} // namespace

bool le_perfil(const QString& caminho, PerfilPrivado& ini) {
    QString motivo;
    ini = le_arquivo(PeloSistema(caminho).caminho(), &motivo);
    if (!motivo.isEmpty()) reclama(QStringLiteral("%1: %2").arg(caminho, motivo));
    return motivo.isEmpty();
}

namespace {

// Reads a layout file as the window's "Abrir" does. Returns false (with the reason
// printed) for a file the window would refuse.
bool le_layout(const QString& caminho, Layout& layout) {
    PerfilPrivado ini;
    if (!le_perfil(caminho, ini)) return false;
    try {
        if (!Le_Layout(ini, layout)) {
            reclama(QStringLiteral("%1: %2").arg(caminho, QString::fromStdString(mensagemOutroTeclado())));
            return false;
        }
    } catch (const ErroExecucao& e) {
        reclama(QStringLiteral("%1: erro %2 (%3) ao ler o layout; \"vantora-prog check\" mostra onde")
                    .arg(caminho)
                    .arg(e.numero())
                    .arg(QString::fromStdString(e.descricao())));
        return false;
    }
    return true;
}

// Whether two names lead to one existing file (through links too).
bool mesmo_arquivo(const QString& a, const QString& b) {
#ifdef Q_OS_UNIX
    struct stat sa {};
    struct stat sb {};
    return ::stat(nome_no_sistema(a).constData(), &sa) == 0 &&
           ::stat(nome_no_sistema(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
#else
    const QString canonico = QFileInfo(a).canonicalFilePath(); // empty when it does not exist
    return !canonico.isEmpty() && canonico == QFileInfo(b).canonicalFilePath();
#endif
}

// --model of "show" and "legend", and the model it names (said so when none).
QCommandLineOption opcao_modelo() {
    return {QStringLiteral("model"), QStringLiteral("65 (Vantora, padrão) ou 44 (Norva)."),
            QStringLiteral("65|44"), QStringLiteral("65")};
}
std::optional<Modelo> modelo(const QString& texto) {
    if (texto == QLatin1String("65")) return Modelo::Teclas65;
    if (texto == QLatin1String("44")) return Modelo::Teclas44;
    reclama(QStringLiteral("modelo inválido: %1 (use --model 65 ou --model 44)").arg(texto));
    return std::nullopt;
}

// --- ports and send ---

// A port to program, resolved before any exchange starts.
struct Alvo {
    QString nome;    // as messages show it: "COM33 (/dev/ttyUSB0)", or the path
    QString caminho; // what opens it
};

// Why a path given as a port is no serial device, empty when it may be one. Only
// what can be told without setting the line up: a file that is no character
// device, or one that is no terminal (/dev/null).
QString nao_e_serial(const QString& caminho) {
#ifdef Q_OS_UNIX
    const QByteArray c = QFile::encodeName(caminho);
    struct stat st {};
    if (::stat(c.constData(), &st) != 0) return {};
    if (!S_ISCHR(st.st_mode)) {
        const QString tipo = S_ISDIR(st.st_mode)    ? QStringLiteral("uma pasta")
                             : S_ISFIFO(st.st_mode) ? QStringLiteral("um pipe (FIFO)")
                             : S_ISSOCK(st.st_mode) ? QStringLiteral("um socket")
                             : S_ISBLK(st.st_mode)  ? QStringLiteral("um dispositivo de blocos (um disco)")
                             : S_ISREG(st.st_mode)  ? QStringLiteral("um arquivo comum")
                                                    : QStringLiteral("um arquivo especial");
        return QStringLiteral("é %1, não um dispositivo serial").arg(tipo);
    }
    const int fd = ::open(c.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {}; // the opening proper will tell why
    const bool tty = isatty(fd);
    ::close(fd);
    if (!tty)
        return QStringLiteral("não é um dispositivo serial (o sistema não o trata como uma linha serial)");
#else
    (void)caminho;
#endif
    return {};
}

// A port as messages name it: "COM33 (/dev/ttyUSB0)"; one opened by its own name, as
// Windows ports are, just "COM7".
QString nome_da_porta(int numero, const QString& caminho) {
    const QString com = nome_com(numero);
    return caminho.compare(com, Qt::CaseInsensitive) == 0 ? com : QStringLiteral("%1 (%2)").arg(com, caminho);
}

// "COM33" (as `ports` prints it, in any letter case), "33", or a device path. A
// number that VANTORA_EXTRA_PORTS gives to another device than the one listed under
// it, or gives twice, is refused: the device it would reach is not certain.
std::optional<Alvo> resolve_porta(const QList<DispositivoSerial>& dispositivos,
                                  const QList<PortaExtra>& extras, const QString& texto) {
    const int numero = numero_com(texto);
    std::optional<Alvo> r;
    if (numero != 0) {
        if (numero < 0) {
            reclama(QStringLiteral("%1: número de porta fora da faixa (as portas vão de COM1 a COM%2)")
                        .arg(texto)
                        .arg(MAIOR_NUMERO_COM));
            return std::nullopt;
        }
        const DispositivoSerial* listado = nullptr;
        for (const DispositivoSerial& d : dispositivos) // the last one listed with it wins
            if (d.numero == numero) listado = &d;
        QStringList dados; // the paths VANTORA_EXTRA_PORTS gives this number
        for (const PortaExtra& e : extras)
            if (e.numero == numero) dados << e.caminho;
        if (dados.size() > 1) {
            reclama(QStringLiteral("COM%1: número ambíguo, VANTORA_EXTRA_PORTS o dá a %2; nada foi gravado "
                                   "nesta porta (dê um número a cada porta, ou indique o caminho)")
                        .arg(numero)
                        .arg(dados.join(QStringLiteral(" e a "))));
            return std::nullopt;
        }
        if (!dados.isEmpty() && listado && listado->caminho != dados.first()) {
            reclama(QStringLiteral("COM%1: número ambíguo, é %2 no sistema e VANTORA_EXTRA_PORTS o dá a %3; "
                                   "nada foi gravado nesta porta (dê outro número à porta extra, ou indique "
                                   "o caminho)")
                        .arg(numero)
                        .arg(listado->caminho, dados.first()));
            return std::nullopt;
        }
        if (!listado) {
            reclama(QStringLiteral("COM%1: porta não encontrada (%2)")
                        .arg(numero)
                        .arg(dados.isEmpty() ? QStringLiteral("vantora-prog ports lista as portas")
                                             : QStringLiteral("VANTORA_EXTRA_PORTS o dá a %1, que não existe")
                                                   .arg(dados.first())));
            return std::nullopt;
        }
        return Alvo{nome_da_porta(numero, listado->caminho), listado->caminho};
    }
    for (const DispositivoSerial& d : dispositivos)
        if (d.caminho == texto)
            r = Alvo{nome_da_porta(d.numero, d.caminho), d.caminho};
    if (!r && dispositivo_presente(texto)) r = Alvo{texto, texto};
    if (!r)
        reclama(QStringLiteral("%1: porta não encontrada (vantora-prog ports lista as portas)").arg(texto));
    return r;
}

// The one port an exchange opens, so that each exchange has an inventory of its own.
class UmaPorta final : public InventarioPortas {
  public:
    explicit UmaPorta(Alvo alvo) : alvo_(std::move(alvo)) {}
    QList<DispositivoSerial> lista() override {
        if (!dispositivo_presente(alvo_.caminho)) return {};
        return {{alvo_.nome + QStringLiteral(" (COM1)"), alvo_.caminho, alvo_.caminho, 1}};
    }

  private:
    Alvo alvo_;
};

// Set by SIGINT, SIGTERM, SIGHUP (the terminal or the SSH session closed) and
// SIGPIPE (stdout or stderr a pipe whose reader has ended) while keyboards are being
// programmed: each exchange stops before its next message, and the program says what
// each keyboard took.
std::atomic<int> sinal_recebido{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

// The signals that stop the programming (the last two exist on Unix only).
constexpr int SINAIS_QUE_INTERROMPEM[] = {SIGINT, SIGTERM,
#ifdef SIGHUP
                                          SIGHUP,
#endif
#ifdef SIGPIPE
                                          SIGPIPE
#endif
};

extern "C" void ao_sinal(int sinal) {
    int nenhum = 0;
    sinal_recebido.compare_exchange_strong(nenhum, sinal);
    // A second Ctrl-C or SIGTERM ends the program at once. Not so the others: a closed
    // terminal's hang-up comes twice (from the system and from the shell), and every
    // later write to a closed pipe raises SIGPIPE again.
    if (sinal == SIGINT || sinal == SIGTERM) std::signal(sinal, SIG_DFL);
}

#ifdef Q_OS_WIN
// A Windows console's other ends: Ctrl+Break, the console window closed, the user
// logging off or the system shutting down (the last two reach only programs without
// windows; this one loads user32 with Qt, but says what it would do). Ctrl+C stays
// with the C library's SIGINT. Each stops the exchanges as a signal does. When the
// console is closed Windows ends the program as soon as this handler returns (or
// after about 5 s): the handler waits, at most 4 s, for the exchanges to have told
// what each keyboard took (conta_dada, set by grava_portas).
HANDLE conta_dada = nullptr;

BOOL WINAPI ao_evento_do_console(DWORD evento) {
    if (evento == CTRL_C_EVENT) return FALSE;
    int nenhum = 0;
    // A second Ctrl+Break ends the program at once, as a second Ctrl+C does.
    if (!sinal_recebido.compare_exchange_strong(nenhum, SIGBREAK) && evento == CTRL_BREAK_EVENT) return FALSE;
    if (evento != CTRL_BREAK_EVENT) WaitForSingleObject(conta_dada, 4000);
    return TRUE;
}
#endif

// The window sends what its sentinel boxes show: box 0 of a row holds the row's
// default when table 1 has 0 there. A file sent from here goes out the same way.
Layout como_a_janela_envia(Layout c) {
    for (const LinhaSentinela& linha : LINHAS_SENTINELA)
        c.tabela(1)[size_t(linha.slot)] = converte_inteiro(texto_sentinela(c, linha.slot, 0));
    return c;
}

struct Resultado {
    int status = OK;
    QString texto; // the port's result line
};

constexpr int INTERROMPIDO = 130; // as a shell reports a program ended by Ctrl-C

// The exit status of an exchange that ended so.
int status_de(const ResultadoTroca& r) {
    switch (r.fim) {
    case FimTroca::Gravado:
        return OK;
    case FimTroca::Recusado:
        return RECUSADO;
    case FimTroca::ParouDeResponder:
    case FimTroca::NaoRespondeu:
        return SEM_RESPOSTA;
    case FimTroca::Interrompido:
        return INTERROMPIDO;
    case FimTroca::PortaPerdida:
    case FimTroca::Erro:
        break;
    }
    return r.respostas == 0 ? SEM_RESPOSTA : ERRO;
}

// One port being programmed: its own inventory and opener, the control, the exchange.
struct PortaEmGravacao {
    explicit PortaEmGravacao(const Alvo& alvo) : inventario(alvo), abertura(inventario), porta(&abertura) {}
    UmaPorta inventario;
    AberturaPortasQt abertura;
    MSComm porta;
    std::unique_ptr<GravacaoSerial> troca;
};

// Programs the ports, all at once or one after another, every exchange on this
// thread's one event loop. On a terminal, a progress line per port on stderr (redrawn
// in place): the records the keyboard has taken, counted as the result line counts
// them, and how the port ended. At the end, or as each port ends when one by one, a
// result line per port. SIGINT, SIGTERM, SIGHUP and SIGPIPE (on Windows also Ctrl+Break
// and the console closed) stop every exchange before its next message (the answer to
// the message already written is awaited, so that what the keyboard took is known);
// each port then says what its keyboard took (on stderr when stdout is gone), and the
// status is 130. Returns the highest status.
int grava_portas(const QList<Alvo>& alvos, const QString& parametros, const Layout& codigos, int opcoes,
                 bool umPorUm) {
    constexpr int REGISTROS = REGISTROS_LAYOUT;
    const int n = int(alvos.size());
    std::vector<int> aceitos(static_cast<size_t>(n), 0);
    std::vector<Resultado> resultados(static_cast<size_t>(n));
    std::vector<bool> terminou(static_cast<size_t>(n), false);
    std::vector<std::unique_ptr<PortaEmGravacao>> portas(static_cast<size_t>(n));
    Progresso progresso(stderr);
    const auto desenha = [&](int de, int ate) {
        if (!progresso.ativo()) return;
        QStringList s;
        constexpr int LARGURA = 40;
        for (int i = de; i < ate; ++i) {
            const int feitos = qBound(0, aceitos[size_t(i)], REGISTROS);
            const int cheio = feitos * LARGURA / REGISTROS;
            QString fim;
            if (terminou[size_t(i)]) {
                const int st = resultados[size_t(i)].status;
                fim = st == OK             ? QStringLiteral(" fim")
                      : st == INTERROMPIDO ? QStringLiteral(" interrompida")
                                           : QStringLiteral(" FALHOU");
            }
            s << QStringLiteral("%1 [%2%3] %4/%5%6")
                     .arg(alvos[i].nome, QString(cheio, QLatin1Char('#')),
                          QString(LARGURA - cheio, QLatin1Char('.')))
                     .arg(feitos, 2)
                     .arg(REGISTROS)
                     .arg(fim);
        }
        progresso.desenha(s);
    };
    const auto informa = [&](int i) {
        const Resultado& r = resultados[size_t(i)];
        if (r.status != OK) {
            reclama(r.texto);
            return;
        }
        diz(r.texto);
        // stdout refused it (a closed pipe, a full disk): what the keyboard took is
        // still told.
        if (std::ferror(stdout)) reclama(r.texto);
    };

    QObject contexto;
    bool rodando = false;
    bool acabou_tudo = false;
    int de = 0, ate = 0, faltam = 0, proxima = 0; // the ports under way: [de, ate)
    QTimer relogio;
    relogio.setInterval(100);
    QObject::connect(&relogio, &QTimer::timeout, &contexto, [&] { desenha(de, ate); });
    std::function<void()> proximas;
    // Every end arrives from the event loop, one at a time.
    const auto acaba = [&](int i, const Resultado& r) {
        QTimer::singleShot(0, &contexto, [&, i, r] {
            resultados[size_t(i)] = r;
            terminou[size_t(i)] = true;
            if (--faltam > 0) return;
            desenha(de, ate);
            progresso.solta();
            for (int j = de; j < ate; ++j)
                informa(j);
            proximas();
        });
    };
    const auto comeca = [&](int i) {
        const Alvo& alvo = alvos[i];
        auto& p = portas[size_t(i)] = std::make_unique<PortaEmGravacao>(alvo);
        try {
            abre_para_gravacao(p->porta, 1, parametros);
        } catch (const ErroExecucao& e) {
            acaba(i, {ERRO, e.numero() == ERRO_PORTA_ABERTA
                                ? QStringLiteral("%1: Não foi possivel abrir esta porta serial (ocupada por "
                                                 "outro programa)")
                                      .arg(alvo.nome)
                                : QStringLiteral("%1: erro %2 (%3) ao abrir a porta")
                                      .arg(alvo.nome)
                                      .arg(e.numero())
                                      .arg(QString::fromStdString(e.descricao()))});
            return;
        }
        p->troca = std::make_unique<GravacaoSerial>(p->porta, codigos, [opcoes] { return opcoes; });
        GravacaoSerial* troca = p->troca.get();
        troca->interromper = [] { return sinal_recebido != 0; };
        QObject::connect(troca, &GravacaoSerial::progrediu, &contexto,
                         [&aceitos, troca, i] { aceitos[size_t(i)] = troca->aceitos(); });
        QObject::connect(troca, &GravacaoSerial::terminou, &contexto, [&, troca, i] {
            const ResultadoTroca& r = troca->resultado();
            portas[size_t(i)]->porta.setPortOpen(false);
            acaba(i, {status_de(r),
                      alvos[i].nome + QStringLiteral(": ") + QString::fromStdString(texto_resultado(r, false))});
        });
        troca->inicia();
    };
    proximas = [&] {
        while (proxima < n) {
            if (umPorUm && sinal_recebido) {
                resultados[size_t(proxima)] = {
                    INTERROMPIDO, QStringLiteral("%1: gravação interrompida antes de começar; o teclado "
                                                 "não foi alterado")
                                      .arg(alvos[proxima].nome)};
                informa(proxima++);
                continue;
            }
            de = proxima;
            ate = proxima = umPorUm ? proxima + 1 : n;
            faltam = ate - de;
            desenha(de, ate);
            for (int i = de; i < ate; ++i)
                comeca(i);
            return;
        }
        relogio.stop();
        acabou_tudo = true;
        if (rodando) QCoreApplication::exit(0);
    };

    sinal_recebido = 0;
    std::vector<void (*)(int)> antes;
    for (const int sinal : SINAIS_QUE_INTERROMPEM)
        antes.push_back(std::signal(sinal, ao_sinal));
#ifdef Q_OS_WIN
    conta_dada = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(ao_evento_do_console, TRUE);
#endif
    relogio.start();
    proximas();
    if (!acabou_tudo) {
        rodando = true;
        QCoreApplication::exec();
    }
#ifdef Q_OS_WIN
    std::fflush(stdout);
    SetEvent(conta_dada); // the handler of a closed console lets Windows end the program
    SetConsoleCtrlHandler(ao_evento_do_console, FALSE);
#endif
    for (size_t i = 0; i < antes.size(); ++i)
        std::signal(SINAIS_QUE_INTERROMPEM[i], antes[i]);
    int pior = OK;
    for (const Resultado& r : resultados)
        pior = qMax(pior, r.status);
    return sinal_recebido ? INTERROMPIDO : pior;
}

} // namespace

bool analisa(QCommandLineParser& p, const QString& uso, const QString& descricao, const QStringList& args,
             int& status) {
    p.setApplicationDescription(descricao);
    // "-x.key" is one unknown option, not the five options x, ., k, e and y.
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
#ifdef Q_OS_WIN
    // "/?" as every Windows command takes it: no file is named so there.
    const QCommandLineOption ajuda({QStringLiteral("?"), QStringLiteral("h"), QStringLiteral("help")},
                                   QStringLiteral("Mostra esta ajuda."));
    QStringList lidos = args;
    for (QString& a : lidos)
        if (a == QLatin1String("/?")) a = QStringLiteral("-?");
#else
    const QCommandLineOption ajuda({QStringLiteral("h"), QStringLiteral("help")},
                                   QStringLiteral("Mostra esta ajuda."));
    const QStringList& lidos = args;
#endif
    p.addOption(ajuda);
    if (!p.parse(QStringList{QStringLiteral("vantora-prog")} + lidos)) {
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
        texto.replace(QStringLiteral("-?, -h, --help"), QStringLiteral("/?, -h, --help"));
        escreve_ajuda(stdout, texto);
        status = OK;
        return false;
    }
    return true;
}

bool argumentos(const QCommandLineParser& p, const QString& comando, int quantos) {
    const QStringList a = p.positionalArguments();
    if (a.size() < quantos)
        reclama(QStringLiteral("indique um arquivo de layout (vantora-prog %1 --help)").arg(comando));
    else if (a.size() > quantos)
        reclama(QStringLiteral("%1 a mais: %2 (vantora-prog %3 --help)")
                    .arg(a.size() - quantos == 1 ? QStringLiteral("argumento") : QStringLiteral("argumentos"),
                         a.mid(quantos).join(QLatin1Char(' ')), comando));
    return a.size() == quantos;
}

int ports(const QStringList& args) {
    QCommandLineParser p;
    int status = OK;
    if (!analisa(p, QStringLiteral("Uso: vantora-prog ports"),
#ifdef Q_OS_WIN
                 QStringLiteral("Lista as portas seriais com o número COM e o nome do adaptador (como o "
                                "Gerenciador de Dispositivos o mostra), como a caixa \"Porta Serial:\" da "
                                "janela (inclui VANTORA_EXTRA_PORTS)."),
#else
                 QStringLiteral("Lista as portas seriais com o número COM e o dispositivo, como a caixa "
                                "\"Porta Serial:\" da janela (inclui VANTORA_EXTRA_PORTS)."),
#endif
                 args, status))
        return status;
    if (!argumentos(p, QStringLiteral("ports"), 0)) return ERRO;
    auto inventario = criaInventarioSistema();
    Mdl_Serial serial(inventario.get());
    try {
        serial.Busca_Portas();
    } catch (const ErroExecucao& e) {
        reclama(QStringLiteral("erro %1 (%2) ao procurar as portas").arg(e.numero()).arg(QString::fromStdString(e.descricao())));
        return ERRO;
    }
    const QList<DispositivoSerial> dispositivos = inventario->lista();
    for (const QString& aviso : inventario->avisos())
        reclama(QStringLiteral("aviso: ") + aviso);
    if (serial.Qtd_Portas == 0) {
        reclama(QStringLiteral("Nenhuma porta serial encontrada."));
        return OK;
    }
    for (int i = 1; i <= serial.Qtd_Portas; ++i) {
        const Info_Porta& e = serial.Lista_Portas[size_t(i)];
#ifdef Q_OS_WIN
        // The number once (it is what opens the port), then the adapter as Device
        // Manager names it, without the number it adds.
        QString nome = e.Nome;
        if (const QString numero = QStringLiteral(" (COM%1)").arg(e.Numero); nome.endsWith(numero))
            nome.chop(numero.size());
        diz(QStringLiteral("COM%1\t%2").arg(e.Numero, nome));
#else
        const QString caminho = i - 1 < dispositivos.size() ? dispositivos[i - 1].caminho : QString();
        diz(QStringLiteral("COM%1\t%2\t%3").arg(e.Numero, caminho, e.Nome));
#endif
    }
    return OK;
}

int send(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ARQUIVO"), QStringLiteral("O arquivo de layout (*.key)."));
#ifdef Q_OS_WIN
    // A Windows console's words: ports by their names, Ctrl+C, the outputs in words.
    const QCommandLineOption porta(
        QStringLiteral("port"),
        QStringLiteral("Porta: COM3 (como \"vantora-prog ports\" mostra, em maiúsculas ou minúsculas) ou "
                       "3. Repetida, grava os teclados ao mesmo tempo, uma troca por porta. Sem ela, a "
                       "última porta aberta na janela."),
        QStringLiteral("COMn|n"));
    const QString uso = QStringLiteral(
        "Uso: vantora-prog send ARQUIVO [--port COMn|n]... [--one-by-one] [--speed 9600|57600]");
    const QString descricao = QStringLiteral(
        "Grava o layout no teclado pela porta serial, com a mesma troca de mensagens da janela.\n"
        "No console, uma linha de progresso por porta: os registros que o teclado já aceitou, de 71, e no "
        "fim \"fim\", \"FALHOU\" ou \"interrompida\". No fim, uma linha de resultado por porta: \"PORTA: "
        "Gravação do teclado efetuada.\" na saída padrão, as falhas na saída de erros, dizendo quantos "
        "registros o teclado aceitou antes de parar. Teclas numeradas de 1 a 65, como em \"show\".\n"
        "Uma porta indicada duas vezes (COM3 e 3, por exemplo) é gravada uma vez. Um número que "
        "VANTORA_EXTRA_PORTS dá a outra porta que a do sistema, ou a duas, é recusado. Ctrl+C, "
        "Ctrl+Break ou o console fechado para todas as gravações e diz o que cada teclado aceitou.\n"
        "Saída (com várias portas, a maior): 0 gravado; 1 o teclado respondeu mas não aceitou o layout; 2 "
        "arquivo, porta ou uso com problema (ou a porta caiu no meio da gravação); 3 o teclado não "
        "respondeu ou parou de responder; 130 interrompida.");
#else
    const QCommandLineOption porta(
        QStringLiteral("port"),
        QStringLiteral("Porta: COM33 (como \"vantora-prog ports\" mostra, em maiúsculas ou minúsculas), "
                       "33, ou o caminho do dispositivo. Repetida, grava os teclados ao mesmo tempo, "
                       "uma troca por porta. Sem ela, a última porta aberta na janela."),
        QStringLiteral("COMn|n|CAMINHO"));
#endif
    const QCommandLineOption umPorUm(QStringLiteral("one-by-one"),
                                     QStringLiteral("Grava as portas uma depois da outra, na ordem dada."));
    const QCommandLineOption velocidade(QStringLiteral("speed"),
                                        QStringLiteral("9600 ou 57600 (padrão 57600)."),
                                        QStringLiteral("BPS"), QStringLiteral("57600"));
    p.addOption(porta);
    p.addOption(umPorUm);
    p.addOption(velocidade);
    int status = OK;
#ifdef Q_OS_WIN
    if (!analisa(p, uso, descricao, args, status)) return status;
#else
    if (!analisa(
            p,
            QStringLiteral("Uso: vantora-prog send ARQUIVO [--port COMn|n|CAMINHO]... [--one-by-one] "
                           "[--speed 9600|57600]"),
            QStringLiteral(
                "Grava o layout no teclado pela porta serial, com a mesma troca de mensagens da janela.\n"
                "Num terminal, uma linha de progresso por porta (stderr): os registros que o teclado já "
                "aceitou, de 71, e no fim \"fim\", \"FALHOU\" ou \"interrompida\". No fim, uma linha de "
                "resultado por porta: \"PORTA: Gravação do teclado efetuada.\" em stdout, as falhas em "
                "stderr, dizendo quantos registros o teclado aceitou antes de parar. Teclas numeradas de 1 a "
                "65, como em \"show\".\n"
                "Uma porta indicada duas vezes (pelo número e pelo caminho, por exemplo) é gravada uma vez. "
                "Um número que VANTORA_EXTRA_PORTS dá a outro dispositivo que o do sistema, ou a dois, é "
                "recusado. Ctrl-C (SIGINT ou SIGTERM), o terminal fechado (SIGHUP) ou a saída num pipe "
                "fechado (SIGPIPE) para todas as gravações e diz o que cada teclado aceitou (em stderr "
                "quando stdout não aceita mais nada).\n"
                "Saída (com várias portas, a maior): 0 gravado; 1 o teclado respondeu mas não aceitou o "
                "layout; 2 arquivo, porta ou uso com problema (ou a porta caiu no meio da gravação); 3 o "
                "teclado não respondeu ou parou de responder; 130 interrompida."),
            args, status))
        return status;
#endif
    if (!argumentos(p, QStringLiteral("send"), 1)) return ERRO;
#ifdef SIGPIPE
    // A message to a closed pipe fails instead of ending the program; while keyboards
    // are being programmed, it stops them (grava_portas).
    std::signal(SIGPIPE, SIG_IGN);
#endif
    const QString bps = p.value(velocidade);
    if (bps != QLatin1String("9600") && bps != QLatin1String("57600")) {
        reclama(QStringLiteral("velocidade inválida: %1 (use 9600 ou 57600)").arg(bps));
        return ERRO;
    }
    Layout layout;
    if (!le_layout(p.positionalArguments().first(), layout)) return ERRO;
    Layout codigos;
    try {
        codigos = como_a_janela_envia(layout);
    } catch (const ErroExecucao&) {
        return ERRO; // cannot happen: the display rule gives numbers
    }
    // Nothing goes out unless every value fits in a byte.
    if (const auto problema = valor_fora_da_faixa(codigos)) {
        reclama(QString::fromStdString(*problema));
        return ERRO;
    }
    const int opcoes = byte_opcoes(layout.caixas);

    QStringList portas = p.values(porta);
    if (portas.isEmpty()) {
        portas << porta_lembrada(*criaConfiguracaoSistema(QStringLiteral("vantora-config")));
    }
    QList<DispositivoSerial> dispositivos;
    QStringList avisos;
    try {
        auto inventario = criaInventarioSistema();
        dispositivos = inventario->lista();
        avisos = inventario->avisos();
    } catch (const ErroExecucao& e) {
        reclama(QStringLiteral("erro %1 (%2) ao procurar as portas").arg(e.numero()).arg(QString::fromStdString(e.descricao())));
        return ERRO;
    }
    for (const QString& aviso : avisos)
        reclama(QStringLiteral("aviso: ") + aviso);
    const QList<PortaExtra> extras = le_portas_extras(qEnvironmentVariable("VANTORA_EXTRA_PORTS"));
    int pior = OK;
    QList<Alvo> alvos;
    QList<QStringList> pedidas; // how each device was named on the command line
    for (const QString& texto : portas) {
        const auto a = resolve_porta(dispositivos, extras, texto);
        const QString motivo = a ? nao_e_serial(a->caminho) : QString();
        if (!motivo.isEmpty()) reclama(QStringLiteral("%1: %2").arg(a->nome, motivo));
        if (!a || !motivo.isEmpty()) {
            pior = ERRO;
            continue;
        }
        // One device named twice ("3", "COM3", its path, a link to it) is one keyboard:
        // two exchanges would fight over it.
        const auto mesmo = [&](const Alvo& b) {
            const QString ca = QFileInfo(a->caminho).canonicalFilePath();
            return b.caminho == a->caminho ||
                   (!ca.isEmpty() && QFileInfo(b.caminho).canonicalFilePath() == ca);
        };
        const auto j = std::find_if(alvos.cbegin(), alvos.cend(), mesmo);
        if (j == alvos.cend()) {
            alvos << *a;
            pedidas << QStringList{texto};
        } else {
            pedidas[j - alvos.cbegin()] << texto;
        }
    }
    for (int i = 0; i < alvos.size(); ++i)
        if (pedidas[i].size() > 1)
            reclama(QStringLiteral("aviso: --port %1 são a mesma porta, %2; ela é gravada uma vez só")
                        .arg(pedidas[i].join(QStringLiteral(", --port ")), alvos[i].nome));
    if (alvos.isEmpty()) return pior;
    return qMax(pior, grava_portas(alvos, bps + QStringLiteral(",N,8,1"), codigos, opcoes, p.isSet(umPorUm)));
}

int show(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ARQUIVO"), QStringLiteral("O arquivo de layout (*.key)."));
    const QCommandLineOption mod = opcao_modelo();
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
    if (!argumentos(p, QStringLiteral("show"), 1)) return ERRO;
    const auto m = modelo(p.value(mod));
    const QString f = p.value(formato);
    if (!m) return ERRO;
    if (f != QLatin1String("text") && f != QLatin1String("csv")) {
        reclama(QStringLiteral("formato inválido: %1 (use --format text ou --format csv)").arg(f));
        return ERRO;
    }
    if (p.isSet(sentinelas) && f != QLatin1String("csv")) {
        reclama(QStringLiteral("--sentinels só vale com --format csv (o texto já mostra os sentinelas)"));
        return ERRO;
    }
    Layout layout;
    if (!le_layout(p.positionalArguments().first(), layout)) return ERRO;
    Catalogo cat;
    cat.preenche();
    if (f != QLatin1String("csv"))
        escreve(stdout, layout_em_texto(layout, cat, *m));
    else
        escreve(stdout,
                p.isSet(sentinelas) ? sentinelas_em_csv(layout, cat) : layout_em_csv(layout, cat, *m));
    return OK;
}

int legend(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ARQUIVO"), QStringLiteral("O arquivo de layout (*.key)."));
    const QCommandLineOption saida(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                   QStringLiteral("A folha: SAIDA.pdf (A4) ou SAIDA.png (300 dpi)."),
                                   QStringLiteral("SAIDA"));
    const QCommandLineOption mod = opcao_modelo();
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
                           "grade, com as teclas que a têm. Não precisa de tela. A saída nunca é o próprio "
                           "layout; um layout que \"send\" recusa é impresso com um aviso."),
            args, status))
        return status;
    if (!argumentos(p, QStringLiteral("legend"), 1)) return ERRO;
    bool passoOk = false;
    const double mm = QString(p.value(passo)).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&passoOk);
    if (!p.isSet(saida)) {
        reclama(QStringLiteral("indique a folha: -o SAIDA.pdf ou -o SAIDA.png (vantora-prog legend --help)"));
        return ERRO;
    }
    const auto m = modelo(p.value(mod));
    if (!m) return ERRO;
    if (!passoOk) {
        reclama(QStringLiteral("passo inválido: %1 (milímetros, como 19.05 ou 19,05)").arg(p.value(passo)));
        return ERRO;
    }
    const QString entrada = p.positionalArguments().first();
    if (mesmo_arquivo(p.value(saida), entrada)) {
        reclama(QStringLiteral("%1: a saída é o próprio arquivo de layout; escolha outro nome para a folha "
                               "(o layout não foi alterado)")
                    .arg(p.value(saida)));
        return ERRO;
    }
    Layout layout;
    if (!le_layout(entrada, layout)) return ERRO;
    // A sheet for a layout no keyboard can take is printed, but said so.
    try {
        if (const auto problema = valor_fora_da_faixa(como_a_janela_envia(layout)))
            reclama(QStringLiteral("aviso: %1 \"vantora-prog send\" não grava este layout; a folha mostra o "
                                   "que o arquivo tem.")
                        .arg(QString::fromStdString(*problema).remove(QStringLiteral(" Nada foi enviado ao teclado."))));
    } catch (const ErroExecucao&) {
    }
    Catalogo cat;
    cat.preenche();
    FolhaLegenda folha;
    folha.modelo = *m;
    folha.passoMm = mm;
    const QString erro = grava_legenda(p.value(saida), layout, cat, folha);
    if (!erro.isEmpty()) {
        reclama(QStringLiteral("%1: %2").arg(p.value(saida), erro));
        return ERRO;
    }
    diz(QStringLiteral("Legendas gravadas em %1").arg(visivel(p.value(saida))));
    return OK;
}

} // namespace vantora::prog
