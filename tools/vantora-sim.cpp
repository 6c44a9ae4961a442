// vantora-sim: a Vantora keyboard on a pseudo-terminal, for trying the configurator
// without the hardware and for the link tests.
//
// It prints the path of its port ("PORTA /dev/pts/N"), takes the programming records
// (0x91 + index + four codes) and the end command (0x92), and answers each record
// as the keyboard does: "5" accepted, "1" rejected. At the end command it prints the
// layout it received and can write it as a .key file.
#include "files/disco.h"
#include "files/layout.h"
#include "base/erro.h"
#include "base/idioma.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <termios.h>
#include <tuple>
#include <unistd.h>
#include <utility>

namespace {

// The keyboard's side of the exchange, written out here rather than taken from the
// link code, which this emulator is there to check.
constexpr unsigned char INICIO_REGISTRO = 0x91; // a record: 0x91, index, four codes
constexpr unsigned char COMANDO_FIM = 0x92;
constexpr int TAMANHO_REGISTRO = 6;
constexpr char ACEITO = '5';
constexpr char RECUSADO = '1';
constexpr char SEM_RESPOSTA = '-';     // as the record's line shows a record left unanswered
constexpr int TECLAS = 65;             // key record k (1..65) carries entry k - 1
constexpr int PRIMEIRO_SENTINELA = 66; // sentinel records 66..71 carry entries 66..71
constexpr int ENTRADAS = 72;           // entries of each table; entry 65 is never sent
constexpr int TEMPO_PARA_SAIR_MS = 50; // the last answer leaves before the program ends
// The longest delay: an hour, far beyond any wait and well within what a timer takes.
constexpr int ATRASO_MAXIMO_MS = 3600000;

void linha(const QString& texto) {
    std::fputs(texto.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// A whole number from `minimo` up to `maximo`, as an option or a command gives it.
std::optional<int> inteiro(const QString& texto, int minimo, int maximo = INT_MAX) {
    bool ok = false;
    const int n = texto.trimmed().toInt(&ok);
    return ok && n >= minimo && n <= maximo ? std::optional<int>(n) : std::nullopt;
}

// The records an option names, counted from 1: "K" that one, "K-L" K to L, "K-" from K on.
std::optional<std::pair<int, int>> faixa_de_registros(const QString& texto) {
    const QStringList p = texto.trimmed().split(QLatin1Char('-'));
    const auto de = inteiro(p[0], 1);
    if (!de || p.size() > 2) return std::nullopt;
    if (p.size() == 1) return std::pair{*de, *de};
    if (p[1].trimmed().isEmpty()) return std::pair{*de, INT_MAX};
    const auto ate = inteiro(p[1], *de);
    return ate ? std::optional<std::pair<int, int>>(std::pair{*de, *ate}) : std::nullopt;
}

// Bytes in hex, such as "41" or "0d", each 00 to FF; the first that is not one is
// named in `ruim`.
std::optional<QByteArray> bytes_hex(const QStringList& textos, QString& ruim) {
    QByteArray b;
    for (const QString& t : textos) {
        bool ok = false;
        const uint v = t.trimmed().toUInt(&ok, 16);
        if (!ok || v > 0xFF) {
            ruim = t.trimmed();
            return std::nullopt;
        }
        b.append(char(v));
    }
    return b;
}

QString nao_e_byte(const QString& ruim) {
    return QStringLiteral("\"%1\" não é um byte em hexadecimal (00 a FF)").arg(ruim);
}

struct Layout {
    std::array<std::array<int, 4>, ENTRADAS> entradas{}; // as the four tables hold them
    int opcoes = -1;                                     // options byte of the flags record
};

class Teclado : public QObject {
  public:
    int rejeitar = 0;   // next records to reject
    int silenciar = 0;  // next records to leave unanswered (after the rejections)
    int aPartir = 1;    // the behaviours above start at this record
    int atrasoMs = 0;   // answer late (0 to ATRASO_MAXIMO_MS), the records below
    bool ruido = false; // 0x06, 0xFA, 0xFE before each answer
    bool ritmo = false; // answer after the bytes would have crossed the line
    int desligaApos = 0;
    // The records answered late, first and last (the end command counts as the record
    // after the last one received).
    std::pair<int, int> atrasados{1, INT_MAX};
    bool sairNoFim = false;
    QString saida;

    bool abre() {
        mestre_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (mestre_ < 0 || grantpt(mestre_) != 0 || unlockpt(mestre_) != 0) return false;
        const char* nome = ptsname(mestre_);
        if (!nome) return false;
        caminho_ = QString::fromLocal8Bit(nome);
        // Keep the far end open ourselves, so the configurator can close and reopen it
        // without hanging the line up; make it raw, so nothing is echoed.
        escravo_ = ::open(nome, O_RDWR | O_NOCTTY);
        if (escravo_ < 0) return false;
        termios t{};
        tcgetattr(escravo_, &t);
        cfmakeraw(&t);
        cfsetispeed(&t, B9600);
        cfsetospeed(&t, B9600);
        tcsetattr(escravo_, TCSANOW, &t);
        fcntl(mestre_, F_SETFL, fcntl(mestre_, F_GETFL) | O_NONBLOCK);
        leitor_ = new QSocketNotifier(mestre_, QSocketNotifier::Read, this);
        connect(leitor_, &QSocketNotifier::activated, this, [this] { le(); });
        return true;
    }
    [[nodiscard]] const QString& caminho() const { return caminho_; }

    void envia(const QByteArray& bytes) {
        if (mestre_ >= 0 && ::write(mestre_, bytes.constData(), size_t(bytes.size())) < 0)
            linha(QStringLiteral("ERRO escrita %1").arg(errno));
    }

    void desliga() {
        if (leitor_) leitor_->setEnabled(false);
        if (mestre_ >= 0) ::close(mestre_);
        if (escravo_ >= 0) ::close(escravo_);
        mestre_ = escravo_ = -1;
        linha(QStringLiteral("DESLIGADO"));
        QCoreApplication::exit(0);
    }

    // Commands on standard input, one a line: "envia 41 35 31" (hex bytes),
    // "rejeita N", "silencia N", "desliga", "sai". A bad value does nothing but say so
    // ("ERRO ...").
    void comando(const QString& texto) {
        const QStringList p = texto.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (p.isEmpty()) return;
        if (p[0] == QLatin1String("envia")) {
            QString ruim;
            const auto b = bytes_hex(p.mid(1), ruim);
            if (!b) return linha(QStringLiteral("ERRO envia: ") + nao_e_byte(ruim));
            envia(*b);
            linha(QStringLiteral("ENVIADO %1").arg(QString::fromLatin1(b->toHex(' '))));
        } else if ((p[0] == QLatin1String("rejeita") || p[0] == QLatin1String("silencia")) && p.size() == 2) {
            const auto n = inteiro(p[1], 0);
            if (!n)
                return linha(
                    QStringLiteral("ERRO %1: \"%2\" não é um número de 0 em diante").arg(p[0], p[1]));
            (p[0] == QLatin1String("rejeita") ? rejeitar : silenciar) = *n;
        } else if (p[0] == QLatin1String("desliga")) {
            desliga();
        } else if (p[0] == QLatin1String("sai")) {
            QCoreApplication::exit(0);
        } else {
            linha(QStringLiteral("COMANDO? %1").arg(texto.trimmed()));
        }
    }

  private:
    void le() {
        char buf[512];
        for (;;) {
            const ssize_t n = ::read(mestre_, buf, sizeof buf);
            if (n <= 0) return;
            for (ssize_t i = 0; i < n; ++i)
                byte(static_cast<unsigned char>(buf[i]));
            if (mestre_ < 0) return;
        }
    }

    void byte(unsigned char b) {
        ++bytes_;
        if (!registro_.isEmpty()) {
            registro_.append(char(b));
            if (registro_.size() == TAMANHO_REGISTRO) fecha_registro();
            return;
        }
        if (b == INICIO_REGISTRO)
            registro_.append(char(b));
        else if (b == COMANDO_FIM)
            fim();
        else
            linha(QStringLiteral("IGNORADO %1").arg(b, 2, 16, QLatin1Char('0')));
    }

    // Speed the configurator set on the line.
    [[nodiscard]] int velocidade() const {
        termios t{};
        if (tcgetattr(escravo_, &t) != 0) return 0;
        static const std::array<std::pair<speed_t, int>, 8> velocidades = {{{B1200, 1200},
                                                                            {B2400, 2400},
                                                                            {B4800, 4800},
                                                                            {B9600, 9600},
                                                                            {B19200, 19200},
                                                                            {B38400, 38400},
                                                                            {B57600, 57600},
                                                                            {B115200, 115200}}};
        int bps = 9600;
        for (const auto& [s, v] : velocidades) {
            if (cfgetospeed(&t) == s) bps = v;
        }
        return bps;
    }

    // Time the record and its answer take on the line at the port's speed.
    [[nodiscard]] int tempo_linha_us(int bytes) const {
        termios t{};
        const int bps = velocidade();
        if (bps == 0 || tcgetattr(escravo_, &t) != 0) return 0;
        const int bits = 1 + ((t.c_cflag & CSIZE) == CS7 ? 7 : 8) + ((t.c_cflag & PARENB) ? 1 : 0) +
                         ((t.c_cflag & CSTOPB) ? 2 : 1);
        return int(qint64(bytes) * bits * 1000000 / bps);
    }

    // The answer to record number `registro`.
    void responde(char resposta, int bytesNaLinha, int registro) {
        QByteArray b;
        if (ruido) b.append("\x06\xFA\xFE", 3);
        b.append(resposta);
        const bool atrasado = registro >= atrasados.first && registro <= atrasados.second;
        qint64 atrasoUs = atrasado ? qint64(atrasoMs) * 1000 : 0;
        if (ritmo) atrasoUs += tempo_linha_us(bytesNaLinha + int(b.size()));
        if (atrasoUs <= 0)
            envia(b);
        else
            QTimer::singleShot(int((atrasoUs + 999) / 1000), Qt::PreciseTimer, this, [this, b] { envia(b); });
    }

    void fecha_registro() {
        const QByteArray r = registro_;
        registro_.clear();
        ++registros_;
        const int indice = static_cast<unsigned char>(r[1]);
        std::array<int, 4> c{};
        for (int i = 0; i < 4; ++i)
            c[size_t(i)] = static_cast<unsigned char>(r[2 + i]);
        if (desligaApos > 0 && registros_ >= desligaApos) {
            // The adapter is pulled out: this record gets no answer.
            linha(QStringLiteral("REGISTRO %1: %2 -> -")
                      .arg(registros_)
                      .arg(QString::fromLatin1(r.toHex(' '))));
            desliga();
            return;
        }
        char resposta = ACEITO;
        if (registros_ >= aPartir && rejeitar > 0) {
            --rejeitar;
            resposta = RECUSADO;
        } else if (registros_ >= aPartir && silenciar > 0) {
            --silenciar;
            resposta = SEM_RESPOSTA;
        }
        if (resposta == ACEITO) {
            if (indice == 0)
                recebido_.opcoes = c[2];
            else if (indice <= TECLAS)
                recebido_.entradas[size_t(indice - 1)] = c;
            else if (indice < ENTRADAS)
                recebido_.entradas[size_t(indice)] = c;
        }
        linha(QStringLiteral("REGISTRO %1: %2 -> %3")
                  .arg(registros_)
                  .arg(QString::fromLatin1(r.toHex(' ')), QString(QLatin1Char(resposta))));
        if (resposta != SEM_RESPOSTA) responde(resposta, TAMANHO_REGISTRO, registros_);
    }

    void fim() {
        linha(QStringLiteral("FIM"));
        linha(QStringLiteral("BYTES %1").arg(bytes_));
        linha(QStringLiteral("REGISTROS %1").arg(registros_));
        linha(QStringLiteral("VELOCIDADE %1").arg(velocidade()));
        for (int k = 0; k < TECLAS; ++k) {
            const auto& e = recebido_.entradas[size_t(k)];
            linha(QStringLiteral("TECLA %1 %2 %3 %4 %5")
                      .arg(k + 1, 2, 10, QLatin1Char('0'))
                      .arg(e[0])
                      .arg(e[1])
                      .arg(e[2])
                      .arg(e[3]));
        }
        for (int s = PRIMEIRO_SENTINELA; s < ENTRADAS; ++s) {
            const auto& e = recebido_.entradas[size_t(s)];
            linha(QStringLiteral("SENTINELA %1 %2 %3 %4 %5").arg(s).arg(e[0]).arg(e[1]).arg(e[2]).arg(e[3]));
        }
        linha(QStringLiteral("OPCOES %1").arg(recebido_.opcoes));
        const bool gravado = saida.isEmpty() || grava_key();
        linha(QStringLiteral("FIM_LAYOUT"));
        responde(ACEITO, 1, registros_ + 1);
        // What was received is lost: the script that asked for the file must know.
        if (!gravado) QTimer::singleShot(TEMPO_PARA_SAIR_MS, qApp, [] { QCoreApplication::exit(1); });
        bytes_ = 0;
        registros_ = 0;
        recebido_ = Layout{};
        if (sairNoFim) QTimer::singleShot(TEMPO_PARA_SAIR_MS, qApp, [] { QCoreApplication::exit(0); });
    }

    // The layout file, written by the configurator's own writer. The options come
    // back from the options byte (a greyed box cannot be told from an unchecked one).
    // False, said on stderr, when it could not be written.
    bool grava_key() {
        const int op = recebido_.opcoes < 0 ? 0 : recebido_.opcoes;
        vantora::Layout l;
        l.caixas = {(op & 1) ? 0 : 1, (op >> 1) & 1, (op >> 2) & 1};
        for (int tab = 1; tab <= vantora::QTD_TABELAS; ++tab)
            for (int i = 0; i < ENTRADAS; ++i)
                l.tabela(tab)[size_t(i)] = std::int16_t(recebido_.entradas[size_t(i)][size_t(tab - 1)]);
        try {
            vantora::PerfilPrivado ini;
            vantora::Grava_Layout(ini, l);
            vantora::salva(ini, saida);
        } catch (const vantora::ErroExecucao& e) {
            std::fprintf(stderr, "vantora-sim: o layout recebido não foi gravado: %s\n",
                         e.descricao().c_str());
            return false;
        }
        linha(QStringLiteral("GRAVADO %1").arg(saida));
        return true;
    }

    int mestre_ = -1;
    int escravo_ = -1;
    QString caminho_;
    QSocketNotifier* leitor_ = nullptr;
    QByteArray registro_;
    qint64 bytes_ = 0;
    int registros_ = 0;
    Layout recebido_;
};

} // namespace

int falha_de_uso(const QString& texto) {
    std::fprintf(stderr, "vantora-sim: %s\nUse vantora-sim --help para ver as opções.\n",
                 texto.toLocal8Bit().constData());
    return 2;
}

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantora-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTORA_VERSAO));
    vantora::instalaTraducaoQt(app, QLocale(QLocale::Portuguese, QLocale::Brazil));
    QCommandLineParser p;
    const QString descricao = QStringLiteral(
        "Emulador do teclado Vantora numa pseudo-serial.\n"
        "Mostra \"PORTA <caminho>\"; use VANTORA_EXTRA_PORTS=\"9=<caminho>\" no configurador e "
        "escolha a porta 9.\n"
        "Comandos na entrada padrão: envia <hex>... (códigos para a captura serial), rejeita N, "
        "silencia N, desliga, sai.");
    p.setApplicationDescription(descricao);
    const QCommandLineOption ajuda = p.addHelpOption();
    const QCommandLineOption versao = p.addVersionOption();
    const QCommandLineOption rejeita(QStringLiteral("rejeita"),
                                     QStringLiteral("Recusa (\"1\") os próximos N registros."),
                                     QStringLiteral("N"));
    const QCommandLineOption silencia(
        QStringLiteral("silencia"),
        QStringLiteral("Não responde os N registros seguintes (depois das recusas)."), QStringLiteral("N"));
    const QCommandLineOption aPartir(
        QStringLiteral("a-partir"),
        QStringLiteral("Recusas e silêncios começam no registro K (contando repetições)."),
        QStringLiteral("K"));
    const QCommandLineOption atraso(
        QStringLiteral("atraso"),
        QStringLiteral("Responde MS milissegundos depois (de 0 a %1).").arg(ATRASO_MAXIMO_MS),
        QStringLiteral("MS"));
    const QCommandLineOption atrasados(
        QStringLiteral("atrasados"),
        QStringLiteral("Só o registro K (K-L: de K a L; K-: de K em diante; contando repetições) "
                       "responde com o atraso."),
        QStringLiteral("K"));
    const QCommandLineOption ruido(QStringLiteral("ruido"),
                                   QStringLiteral("Envia 06 FA FE antes de cada resposta."));
    const QCommandLineOption ritmo(
        QStringLiteral("ritmo"),
        QStringLiteral("Responde só depois do tempo que os bytes levariam na linha."));
    const QCommandLineOption desliga(
        QStringLiteral("desliga"),
        QStringLiteral("Desliga a linha quando chega o registro K (adaptador removido)."),
        QStringLiteral("K"));
    const QCommandLineOption envia(
        QStringLiteral("envia"), QStringLiteral("Envia estes bytes (hex, separados por vírgula) ao iniciar."),
        QStringLiteral("HEX"));
    const QCommandLineOption saida(QStringLiteral("saida"),
                                   QStringLiteral("Grava o layout recebido neste arquivo .key no fim."),
                                   QStringLiteral("ARQUIVO"));
    const QCommandLineOption sai(QStringLiteral("sai-no-fim"),
                                 QStringLiteral("Termina depois do comando de fim."));
    p.addOptions({rejeita, silencia, aPartir, atraso, atrasados, ruido, ritmo, desliga, envia, saida, sai});
    // Qt's own texts (help, unknown options, missing values) in Portuguese; every
    // usage error exits with 2.
    if (!p.parse(app.arguments())) return falha_de_uso(p.errorText());
    if (p.isSet(ajuda)) p.showHelp(0);
    if (p.isSet(versao)) p.showVersion();
    if (!p.positionalArguments().isEmpty())
        return falha_de_uso(QStringLiteral("argumento a mais: ") + p.positionalArguments().constFirst());
    // Counts from 0 (from 1 for --a-partir and --desliga, whose 0 would mean nothing).
    const std::tuple<const QCommandLineOption*, int, int> limites[] = {{&rejeita, 0, INT_MAX},
                                                                       {&silencia, 0, INT_MAX},
                                                                       {&aPartir, 1, INT_MAX},
                                                                       {&atraso, 0, ATRASO_MAXIMO_MS},
                                                                       {&desliga, 1, INT_MAX}};
    const auto invalido = [&p](const QCommandLineOption& opcao, const QString& certo) {
        return falha_de_uso(QStringLiteral("valor inválido para --%1: \"%2\" (%3)")
                                .arg(opcao.names().constFirst(), p.value(opcao), certo));
    };
    for (const auto& [opcao, minimo, maximo] : limites) {
        if (p.isSet(*opcao) && !inteiro(p.value(*opcao), minimo, maximo))
            return invalido(*opcao, maximo == INT_MAX
                                        ? QStringLiteral("um número de %1 em diante").arg(minimo)
                                        : QStringLiteral("um número de %1 a %2").arg(minimo).arg(maximo));
    }
    const auto faixa = faixa_de_registros(p.isSet(atrasados) ? p.value(atrasados) : QStringLiteral("1-"));
    if (!faixa) return invalido(atrasados, QStringLiteral("K, K-L ou K-, registros de 1 em diante"));
    QString ruim;
    const auto iniciais = bytes_hex(p.value(envia).split(QLatin1Char(','), Qt::SkipEmptyParts), ruim);
    if (!iniciais) return falha_de_uso(QStringLiteral("valor inválido para --envia: ") + nao_e_byte(ruim));

    Teclado t;
    t.rejeitar = p.value(rejeita).toInt();
    t.silenciar = p.value(silencia).toInt();
    t.aPartir = p.isSet(aPartir) ? p.value(aPartir).toInt() : 1;
    t.atrasoMs = p.value(atraso).toInt();
    t.atrasados = *faixa;
    t.ruido = p.isSet(ruido);
    t.ritmo = p.isSet(ritmo);
    t.desligaApos = p.value(desliga).toInt();
    t.saida = p.value(saida);
    t.sairNoFim = p.isSet(sai);
    if (!t.abre()) {
        std::fprintf(stderr, "vantora-sim: não foi possível criar a pseudo-serial (errno %d)\n", errno);
        return 1;
    }
    linha(QStringLiteral("PORTA %1").arg(t.caminho()));
    if (!iniciais->isEmpty()) t.envia(*iniciais);

    QSocketNotifier entrada(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pendente;
    QObject::connect(&entrada, &QSocketNotifier::activated, &t, [&] {
        char buf[256];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            entrada.setEnabled(false); // no more commands; keep answering
            return;
        }
        pendente.append(buf, n);
        qsizetype fimLinha;
        while ((fimLinha = pendente.indexOf('\n')) >= 0) {
            t.comando(QString::fromLocal8Bit(pendente.left(fimLinha)));
            pendente.remove(0, fimLinha + 1);
        }
    });
    return app.exec();
}
