// vantora-prog from the outside: each sub-command on sample files and on bad ones
// (exit statuses, messages, whole outputs against the files in tests/data), the legend
// sheet read back by poppler, and send end to end against vantora-sim.
#include "comum/emulador.h"

#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

using vantora::teste::Emulador;

namespace {

struct Saida {
    int status = -1;
    QString out, err;
};

// Runs vantora-prog (or another program) in tests/data, processing events meanwhile so
// that the emulators in this process keep reading, and calling `enquanto`. With
// `terminal`, its stderr is a pseudo-terminal 60 columns wide, as in a shell; with `saida`, its stdout
// is that descriptor.
Saida roda(const QStringList& args, const QString& programa = QStringLiteral(VANTORA_PROG),
           bool terminal = false, const std::function<void(QProcess&)>& enquanto = {}, int saida = -1) {
    QProcess p;
    p.setWorkingDirectory(QStringLiteral(VANTORA_DADOS));
    if (saida >= 0) p.setChildProcessModifier([saida] { ::dup2(saida, STDOUT_FILENO); });
    const int mestre = terminal ? posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK) : -1;
    if (mestre >= 0 && grantpt(mestre) == 0 && unlockpt(mestre) == 0) {
        const winsize tamanho{24, 60, 0, 0}; // a terminal 60 columns wide
        ::ioctl(mestre, TIOCSWINSZ, &tamanho);
        p.setStandardErrorFile(QString::fromLocal8Bit(ptsname(mestre)));
    }
    QByteArray tela;
    const auto le = [&] {
        char b[4096];
        for (ssize_t n; mestre >= 0 && (n = ::read(mestre, b, sizeof b)) > 0;)
            tela.append(b, n);
    };
    p.start(programa, args);
    const bool fim = QTest::qWaitFor(
        [&] {
            le();
            if (enquanto) enquanto(p);
            return p.state() == QProcess::NotRunning;
        },
        60000);
    le();
    if (mestre >= 0) ::close(mestre);
    return {fim && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(terminal ? tela : p.readAllStandardError())};
}

const QString EXEMPLO = QStringLiteral(VANTORA_EXEMPLOS "/mercado.key");

// A file of tests/data (the expected output of a command), or one named by its path.
QString esperado(const QString& nome) {
    QFile f(QDir(QStringLiteral(VANTORA_DADOS)).filePath(nome));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

bool grava(const QString& caminho, const QByteArray& bytes) {
    QFile f(caminho);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A file named by its bytes (which need not be UTF-8), read whole.
QByteArray le(const QByteArray& nome) {
    std::ifstream f(nome.constData(), std::ios::binary);
    return QByteArray::fromStdString(std::string(std::istreambuf_iterator<char>(f), {}));
}

// What the keyboard got, from the end command on, once it has it all.
QString recebido(Emulador& e) {
    return e.espera("FIM_LAYOUT") ? e.linhas.mid(e.linhas.indexOf("FIM")).join('\n') + '\n' : QString();
}

} // namespace

class TesteFerramentas : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QTemporaryDir alcance; // what an unprivileged user runs and reads, wherever the checkout lies

  private slots:
    // No command needs a display: the programs run here get none.
    void initTestCase() {
        QFile::setPermissions(alcance.path(),
                              QFile::permissions(alcance.path()) | QFile::ReadOther | QFile::ExeOther);
        QFile::copy(VANTORA_PROG, alcance.filePath("vantora-prog"));
        QFile::copy(EXEMPLO, alcance.filePath("mercado.key"));
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
        qputenv("QT_QPA_PLATFORM", "xcb");
    }

    // Refusals end with status 2, say what is wrong and print nothing else: usage
    // errors, Qt's own messages in Portuguese too; vantora-sim's bad option values; a
    // port of the wrong kind named for what it is; files that cannot be read, in every
    // command (the reader's own reasons, a file too large among them: teste_arquivos).
    // legend's output: the layout itself, even through a link, is never overwritten; a
    // folder that is missing or refuses the write is named with its reason; a pipe, a
    // link to one, a folder and a link that leads nowhere are refused before anything
    // is opened (a pipe would block the writer: the run would time out). As root, what
    // lies in `alcance` is run by nobody, from a copy of vantora-prog there. (Every
    // program's --version without a display, vantora-prog's help and each command's
    // against the manual: teste_instalacao.)
    void recusas() {
        const QString liga =
            QStringLiteral("import socket, sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])");
        const QString soquete = dir.filePath("soquete"), copia = dir.filePath("copia.key"),
                      fechada = alcance.filePath("fechada"), fechado = alcance.filePath("fechado.key");
        QVERIFY(roda({"-c", liga, soquete}, "python3").status == 0); // the socket file outlives its process
        QVERIFY(QFile::copy(EXEMPLO, copia) && QFile::link(copia, dir.filePath("elo.pdf")));
        QVERIFY(grava(fechado, {}) && QFile::setPermissions(fechado, {}) && QDir().mkdir(fechada) &&
                QFile::setPermissions(fechada, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                   QFileDevice::ReadOther | QFileDevice::ExeOther));
        const QString cano = dir.filePath("cano.png"), elo = dir.filePath("elo-cano.png"),
                      pasta = dir.filePath("pasta.png"), morto = dir.filePath("morto.png");
        QVERIFY(mkfifo(QFile::encodeName(cano).constData(), 0644) == 0 && QFile::link(cano, elo) &&
                QDir().mkdir(pasta) && QFile::link(dir.filePath("nenhum/l.png"), morto));
        QList<QPair<QStringList, QString>> erros = {
            {{"grava"}, "comando desconhecido: grava"},
            {{"show", "-x.key"}, "Opção desconhecida 'x.key'"},
            {{"show", EXEMPLO, "--model", "50"}, "modelo inválido: 50"},
            {{"show", EXEMPLO, "--sentinels"}, "--sentinels só vale com --format csv"},
            {{"check", EXEMPLO, "a", "b"}, "argumentos a mais: a b"},
            {{"legend", EXEMPLO, "-o", dir.filePath("l.txt")}, "formato desconhecido"},
            {{"legend", EXEMPLO}, "indique a folha: -o SAIDA.pdf"},
            {{"send", EXEMPLO, "--port", "/dev/null"}, "/dev/null: não é um dispositivo serial"},
            {{"send", EXEMPLO, "--port", "prog_erros.key"},
             "prog_erros.key: é um arquivo comum, não um dispositivo serial"},
            {{"send", EXEMPLO, "--port", cano}, cano + ": é um pipe (FIFO), não um dispositivo serial"},
            {{"send", EXEMPLO, "--port", soquete}, soquete + ": é um socket, não um dispositivo serial"},
            {{"send", EXEMPLO, "--port", dir.path()},
             dir.path() + ": é uma pasta, não um dispositivo serial"},
            {{"send", EXEMPLO, "--speed", "1200"}, "velocidade inválida: 1200"},
            {{"send", EXEMPLO, "--port", "COM31999"}, "COM31999: porta não encontrada"},
            {{"send", EXEMPLO, "--port", "COM99999999999"}, "COM99999999999: número de porta fora da faixa"},
            {{"send", EXEMPLO, "--port", "32768"}, "32768: número de porta fora da faixa"},
            {{"send", EXEMPLO, "--port", "com0"}, "com0: número de porta fora da faixa"},
            // refused before any port is looked for: nothing goes out
            {{"send", "prog_estranhos.key", "--port", "COM31999"}, "tem o código 300 na Tabela 03"},
            {{VANTORA_SIM, "--atraso", "3600001"}, "--atraso: \"3600001\" (um número de 0 a 3600000)"},
            {{VANTORA_SIM, "--atraso", "-1"}, "--atraso: \"-1\" (um número de 0 a 3600000)"},
            {{VANTORA_SIM, "--atrasados", "5-2"}, "valor inválido para --atrasados"},
            {{VANTORA_SIM, "--envia", "41,zz"}, "valor inválido para --envia"},
            {{"show", fechado}, "sem permissão para ler o arquivo"},
            {{"legend", copia, "-o", dir.filePath("elo.pdf")}, "a saída é o próprio arquivo de layout"},
            {{"legend", copia, "-o", dir.filePath("nao/l.pdf")},
             "a pasta " + dir.filePath("nao") + " não existe"},
            {{"legend", alcance.filePath("mercado.key"), "-o", fechada + "/l.png"},
             "sem permissão para gravar na pasta " + fechada},
            {{"legend", EXEMPLO, "-o", cano}, cano + ": não é um arquivo comum"},
            {{"legend", EXEMPLO, "-o", elo}, elo + ": o atalho não leva a um arquivo comum"},
            {{"legend", EXEMPLO, "-o", pasta}, pasta + ": é uma pasta, não um arquivo"},
            {{"legend", EXEMPLO, "-o", morto}, morto + ": o atalho não leva a um arquivo"}};
        const QList<QPair<QString, QString>> ruins = {
            {"prog_erros.key", "Arquivo referente a outro teclado"},
            {"prog_sem_tabela.key", "erro 13 (Tipos incompatíveis)"},
            {"nada.key", "arquivo não encontrado"},
            {dir.path(), "é uma pasta"}};
        for (const QString cmd : {"show", "send", "legend", "check"})
            for (const auto& [arquivo, motivo] : ruins)
                if (cmd != "check" || !arquivo.startsWith("prog_")) // check lists what is wrong
                    erros.append(
                        {QStringList{cmd, arquivo} +
                             (cmd == "legend" ? QStringList{"-o", dir.filePath("x.pdf")} : QStringList{}),
                         motivo});
        const QStringList ninguem{"--reuid=65534", "--regid=65534", "--clear-groups",
                                  alcance.filePath("vantora-prog")};
        for (const auto& [args, trecho] : erros) {
            const Saida s = args[0] == VANTORA_SIM ? roda(args.mid(1), VANTORA_SIM)
                            : geteuid() == 0 && args.last().startsWith(alcance.path())
                                ? roda(ninguem + args, "setpriv")
                                : roda(args);
            QVERIFY2(s.status == 2 && s.err.contains(trecho) && s.out.isEmpty() &&
                         !s.err.contains("QPainter"),
                     qPrintable(args.join(' ') + ": " + s.err));
        }
        QCOMPARE(esperado(copia), esperado(EXEMPLO));
        // The help on a terminal is broken at spaces to its width: the same words, no
        // line the terminal would break; to a pipe it is as it was.
        const Saida tela = roda({}, VANTORA_PROG, true), pipe = roda({});
        QVERIFY(tela.status == 2 && pipe.status == 2);
        QCOMPARE(tela.err.simplified(), pipe.err.simplified());
        QVERIFY(pipe.err.contains("\n  ports                 lista as portas seriais, como a caixa \"Porta Serial:\" "
                                  "da janela\n"));
        for (const QString& linha : QString(tela.err).remove('\r').split('\n'))
            QVERIFY2(linha.size() < 60, qPrintable(linha));
        QVERIFY2(tela.err.contains("\n                        caixa \"Porta Serial:\" da janela"),
                 qPrintable(tela.err));
    }

    // Whole outputs of show and check, with their exit statuses. show: text and CSV, the
    // sentinels in CSV as `send` puts them on the wire; codes without a visible character
    // (C1 controls, 160, 173) or out of range printed as <n>, never as they are; a comma
    // caption quoted. check: errors and warnings with file:line in line order (warnings
    // fail only with --strict); a repeated section told once, a missing table in one line;
    // a Notepad file (UTF-8 with BOM, CRLF) named as such, each value the window reads
    // otherwise than written and each sentinel sent as its default told, and where the
    // window stops reading with what it keeps; sections repeated in blanks and case told
    // once each, with every line of the name; a Notepad file that Save would refuse,
    // with Save's reason; a key name ending in a no-break space, which the reader takes
    // for another key, told as the reader sees it: the key missing, the other unknown.
    void saidas() {
        const QList<std::tuple<QStringList, int, QString>> casos = {
            {{"show", EXEMPLO}, 0, "prog_show.txt"},
            {{"show", EXEMPLO, "--format", "csv", "--model", "44"}, 0, "prog_show44.csv"},
            {{"show", EXEMPLO, "--format", "csv", "--sentinels"}, 0, "prog_sentinelas.csv"},
            {{"show", "prog_estranhos.key"}, 0, "prog_estranhos.txt"},
            {{"show", "prog_estranhos.key", "--format", "csv"}, 0, "prog_estranhos.csv"},
            {{"check", "prog_longas.key"}, 0, "prog_longas_check.txt"},
            {{"check", "prog_erros.key"}, 1, "prog_erros_check.txt"},
            {{"check", "prog_avisos.key"}, 0, "prog_avisos_check.txt"},
            {{"check", "prog_avisos.key", "--strict"}, 1, "prog_avisos_check.txt"},
            {{"check", "prog_repetidas.key"}, 0, "prog_repetidas_check.txt"},
            {{"check", "prog_sem_tabela.key"}, 1, "prog_sem_tabela_check.txt"},
            {{"check", "prog_bloco_de_notas.key"}, 1, "prog_bloco_de_notas_check.txt"},
            {{"check", "prog_marca.key"}, 0, "prog_marca_check.txt"},
            {{"check", "prog_espaco_duro.key"}, 1, "prog_espaco_duro_check.txt"}};
        for (const auto& [args, status, saida] : casos) {
            const Saida s = roda(args);
            QCOMPARE(s.out, esperado(saida));
            QCOMPARE(s.status, status);
        }
    }

    // A layout of 64 MB, millions of sections of one name after the example, is shown as
    // the example within 1 GB of address space: a few bytes for each of its lines.
    void arquivo_enorme() {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("the sanitizers' own address space is no measure");
#endif
        const QString f = dir.filePath("enorme64.key");
        QVERIFY(grava(f, le(QFile::encodeName(EXEMPLO)) + QByteArray("[a]\r\n").repeated((64 << 20) / 5)));
        const Saida s = roda({"-c", "ulimit -v 1048576 && exec \"$0\" show \"$1\"", VANTORA_PROG, f},
                             QStringLiteral("sh"));
        QVERIFY(QFile::remove(f));
        QCOMPARE(s.status, 0);
        QCOMPARE(s.err + s.out, esperado("prog_show.txt")); // nothing on stderr
    }

    // Long captions in all four tables, the third empty on every other key: each shows
    // whole on its own line, one A4 landscape page, without a display; too small a
    // pitch cuts and marks them; too large a one tiles the grid over pages; PNG at 300 dpi.
    void legend() {
        const QString pdf = dir.filePath("l.pdf");
        QCOMPARE(roda({"legend", "prog_longas.key", "-o", pdf, "--pitch", "19,05"}).status, 0);
        const QString info = roda({pdf}, "pdfinfo").out;
        QVERIFY2(info.contains(QRegularExpression("Pages:\\s+1\\n[\\s\\S]*Page size:\\s+842 x 595 pts")),
                 qPrintable(info));
        const QString texto = roda({pdf, "-"}, "pdftotext").out;
        for (const QString c : {"Back SP", "Space", "HTAB", "DEL"})
            QVERIFY2(texto.count(c) == (c == "HTAB" ? 33 : 65), qPrintable(c));
        QCOMPARE(roda({"legend", "prog_longas.key", "-o", pdf, "--pitch", "7"}).status, 0);
        const QString pequeno = roda({pdf, "-"}, "pdftotext").out;
        QVERIFY2(pequeno.count("*1") == 66 && pequeno.contains("*1 Back SP (teclas 1-65)"),
                 qPrintable(pequeno));
        // At 40 mm a landscape A4 takes 6 columns by 4 rows: 11 columns need 2 pages.
        QCOMPARE(roda({"legend", "prog_longas.key", "-o", pdf, "--pitch", "40", "--model", "44"}).status, 0);
        QVERIFY(roda({pdf}, "pdfinfo").out.contains(QRegularExpression("Pages:\\s+2\\n")));
        // A layout `send` refuses is printed, with a warning.
        const Saida estranho = roda({"legend", "prog_estranhos.key", "-o", pdf});
        QVERIFY2(estranho.status == 0 &&
                     estranho.err.contains("aviso: A tecla 1 (linha 1, coluna 1) tem o código 300") &&
                     estranho.err.contains("\"vantora-prog send\" não grava este layout"),
                 qPrintable(estranho.err));
        // A link to a regular file has that file replaced, as a save does, with its
        // permissions.
        const QString alvo = dir.filePath("alvo.png"), atalho = dir.filePath("atalho.png");
        QVERIFY(grava(alvo, "velho") &&
                QFile::setPermissions(alvo, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadGroup) &&
                QFile::link(alvo, atalho));
        QCOMPARE(roda({"legend", EXEMPLO, "-o", atalho}).status, 0);
        QVERIFY(QFileInfo(atalho).isSymLink() && !QImage(alvo).isNull());
        struct stat st {};
        QVERIFY(::stat(QFile::encodeName(alvo).constData(), &st) == 0 && (st.st_mode & 07777) == 0640);
        const QString png = dir.filePath("l.png");
        QCOMPARE(roda({"legend", EXEMPLO, "-o", png, "--model", "44", "--pitch", "18"}).status, 0);
        QCOMPARE(QImage(png).width(), int((11 * 18 + 28) * 300 / 25.4 + 0.5));
    }

    // What comes from outside reaches the terminal as text. A file's sections, keys and
    // values with control characters (a section that would retitle and clear the
    // terminal, a value that would hide the lines after it, a NUL that would cut the
    // line) are shown escaped, accents as they are. Names that are no UTF-8 (bytes, on
    // Linux) are the files the user named, read and written, and shown escaped. A code
    // of -32768 shows whole in the grid.
    void texto_de_fora() {
        const QString controles = dir.filePath("controles.key");
        const char bytes[] = "[Teclado]\nTipo=Vantora\n[\x1b]0;x\x07\x1b[2J]\n[a\0b]\n[Tab1]\nx\0y=1\n"
                             "T0=\x1b[8mabc\nT1=\\x41\x7f\x81\xe9\n";
        QVERIFY(grava(controles, QByteArray(bytes, sizeof bytes - 1)));
        const Saida c = roda({"check", controles});
        QCOMPARE(c.status, 1);
        for (const QString linha : {":3: aviso: [\\x1b]0;x\\x07\\x1b[2J]: seção desconhecida: ignorada\n",
                                    ":4: aviso: [a\\x00b]: seção desconhecida: ignorada\n",
                                    ":6: aviso: [Tab1] x\\x00y: chave desconhecida: ignorada\n",
                                    ":7: erro: [Tab1] T0 (tecla 1): \"\\x1b[8mabc\" não é um número",
                                    ":8: erro: [Tab1] T1 (tecla 2): \"\\x5cx41\\x7f\\x81é\" não é um número"})
            QVERIFY2(c.out.contains(controles + linha), qPrintable(linha + "\n" + c.out));
        static const QRegularExpression controle(QStringLiteral("[\\x00-\\x09\\x0b-\\x1f\\x7f-\\x9f]"));
        QVERIFY2(!c.out.contains(controle), qPrintable(c.out));

        // \377.key, a copy of the example, a link to it and what the commands make of them.
        const QByteArray pasta = QFile::encodeName(dir.path()) + '/';
        const QByteArray exemplo = le(QFile::encodeName(EXEMPLO));
        QVERIFY(std::ofstream((pasta + "\xff.key").constData(), std::ios::binary)
                    .write(exemplo.constData(), exemplo.size()));
        const auto em_bytes = [&](const QString& comando) { // octal escapes of printf for the bytes
            return roda({"-c", "cd \"$1\" && exec \"$0\" " + comando, VANTORA_PROG, dir.path()}, "sh");
        };
        const Saida check = em_bytes("check \"$(printf '\\377.key')\"");
        QVERIFY2(check.status == 0 && check.out == "\\xff.key: sem problemas\n",
                 qPrintable(check.out + check.err));
        const Saida folha = em_bytes("legend \"$(printf '\\377.key')\" -o \"$(printf '\\376.png')\"");
        QVERIFY2(folha.status == 0 && folha.out == "Legendas gravadas em \\xfe.png\n", qPrintable(folha.err));
        QVERIFY(!QImage::fromData(le(pasta + "\xfe.png")).isNull());
        QVERIFY(::access(pasta + "\xef\xbf\xbd.png", F_OK) != 0); // U+FFFD: the name Qt would have made
        for (const char* nome : {"\xff.key", "\xfe.png"}) // Qt's removal of the folder does not reach them
            QVERIFY(::unlink(pasta + nome) == 0);
        const Saida nada = em_bytes("show \"$(printf '\\375\\033.key')\"");
        QVERIFY2(nada.status == 2 && nada.err.contains("\\xfd\\x1b.key: arquivo não encontrado"),
                 qPrintable(nada.err));

        const QString menor = dir.filePath("menor.key");
        QVERIFY(grava(
            menor,
            QString::fromLatin1(exemplo).replace(QRegularExpression("(?m)^T0=.*$"), "T0=-32768").toLatin1()));
        const Saida grade = roda({"show", menor});
        QVERIFY2(grade.status == 0 && grade.out.contains("\n  T1  <-32768> ") &&
                     grade.out.contains("\n  T4  <-32768>"),
                 qPrintable(grade.out));
    }

    // `ports` lists the extra ports whose path exists and names each entry it leaves
    // out: no number in 1..32767, no path, a number given before (even to a path that
    // is not there); a number given to two ports is refused, not guessed. Ports named
    // as `ports` prints them (any case), by number and by path, each get the example's
    // keys and the sentinels the window would send; one named twice is programmed once.
    void send() {
        Emulador a, b, c;
        qputenv("VANTORA_EXTRA_PORTS",
                QStringLiteral("91=%1; 92 = %2 ;93=%1;93=%2;x=;0=/b;9=;40000=/d;lixo;94=/nao/existe;94=%1")
                    .arg(b.caminho, c.caminho)
                    .toLocal8Bit());
        const Saida portas = roda({"ports"});
        QVERIFY2(portas.out.contains(QStringLiteral("COM92\t%1\tPorta virtual %1 (COM92)").arg(c.caminho)) &&
                     !portas.out.contains("COM94") && portas.err.count("foi ignorada") == 7,
                 qPrintable(portas.out + portas.err));
        for (const QString& dito :
             QStringList{"\"x=\" de VANTORA_EXTRA_PORTS foi ignorada", "\"0=/b\"", "\"9=\"", "\"40000=/d\"",
                         "\"lixo\"", "COM93 já foi dado a " + b.caminho, "COM94 já foi dado a /nao/existe"})
            QVERIFY2(portas.err.contains(dito), qPrintable(portas.err));
        const Saida ambiguo = roda({"send", EXEMPLO, "--port", "93"});
        QVERIFY2(ambiguo.status == 2 && ambiguo.err.contains("COM93: número ambíguo"),
                 qPrintable(ambiguo.err));
        const Saida s = roda({"send", EXEMPLO, "--port", a.caminho, "--port", "91", "--port", "cOm92",
                              "--port", b.caminho, "--speed", "9600"});
        qunsetenv("VANTORA_EXTRA_PORTS");
        QCOMPARE(s.status, 0);
        QVERIFY2(s.err.contains(QStringLiteral("--port 91, --port %1 são a mesma porta").arg(b.caminho)),
                 qPrintable(s.err));
        const QString ok = QStringLiteral("%1: Gravação do teclado efetuada.\n");
        QCOMPARE(s.out, ok.arg(a.caminho) + ok.arg("COM91 (" + b.caminho + ")") +
                            ok.arg("COM92 (" + c.caminho + ")"));
        for (Emulador* sim : {&a, &b, &c})
            QCOMPARE(recebido(*sim), esperado("prog_send.txt"));
    }

    // How an exchange ends, told apart, one case a boundary (every way it ends, on a
    // virtual clock: teste_troca; late answers on a pty: teste_ligacao), with a keyboard
    // answering in time programmed at the same time: half an hour's delay is no answer
    // at all, refused part-way, the line hung up. The status is the worst port's; on a terminal each
    // progress line ends as its port did.
    void send_falhas() {
        // clang-format off
        const QList<std::tuple<QStringList, int, QString>> casos = {
            {{"--atraso", "2147484"}, 3, "o teclado não respondeu"},
            {{"--rejeita", "6", "--a-partir", "11"}, 1, "parcialmente gravado: aceitou 10 de 71 registros (teclas 1 a 10)"},
            {{"--desliga", "5"}, 2, "aceitou 4 de 71 registros"}};
        // clang-format on
        for (const auto& [sim, status, trecho] : casos) {
            Emulador ok, e(sim);
            const Saida r =
                roda({"send", EXEMPLO, "--speed", "9600", "--port", ok.caminho, "--port", e.caminho},
                     VANTORA_PROG, true);
            QVERIFY2(r.status == status && r.err.contains(trecho) &&
                         r.err.contains(QRegularExpression(QRegularExpression::escape(e.caminho) +
                                                           " \\[[#.]{40}\\] +\\d+/71 FALHOU")) &&
                         r.err.contains(ok.caminho + " [" + QString(40, '#') + "] 71/71 fim") &&
                         r.out.count("Gravação do teclado efetuada.") == 1,
                     qPrintable(r.out + r.err.right(600)));
            QVERIFY(ok.espera("FIM_LAYOUT"));
            QVERIFY(!e.espera("FIM_LAYOUT", 50));
        }
        // Ctrl-C mid-exchange, a closed terminal (whose hang-up comes twice: from the
        // system and from the shell), a broken pipe: the progress line ends with what the
        // keyboard took, the result the same count, the count the keyboard itself took,
        // and the status is a shell's for an interrupt.
        for (const int sinal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
            Emulador e({"--atraso", "20"});
            int ditos = 0;
            const Saida r =
                roda({"send", EXEMPLO, "--port", e.caminho}, VANTORA_PROG, true, [&](QProcess& p) {
                    if (ditos < (sinal == SIGHUP ? 2 : 1) && e.tem("REGISTRO 10:") &&
                        p.state() == QProcess::Running)
                        ditos += ::kill(pid_t(p.processId()), sinal) == 0;
                });
            const auto m =
                QRegularExpression(" (\\d+)/71 interrompida\x1b\\[K\r\n.*gravação interrompida; o teclado "
                                   "ficou parcialmente gravado: aceitou (\\d+) de 71")
                    .match(r.err);
            QVERIFY2(r.status == 130 && m.hasMatch() && m.captured(1) == m.captured(2) &&
                         m.captured(1).toInt() >= 9,
                     qPrintable(r.err.right(400)));
            QVERIFY(!e.espera("FIM_LAYOUT", 50));
            QCOMPARE(e.linhas.filter(QRegularExpression("^REGISTRO .*-> 5")).size(), m.captured(2).toInt());
        }
        // stdout a pipe whose reader has ended: the program lives on, the result lines
        // go to stderr, and --one-by-one starts no port after it, as after Ctrl-C.
        int cano[2];
        QVERIFY(::pipe2(cano, O_CLOEXEC) == 0);
        ::close(cano[0]);
        for (const bool umPorUm : {false, true}) {
            Emulador a, b;
            QStringList args{"send", EXEMPLO, "--port", a.caminho, "--port", b.caminho};
            if (umPorUm) args << "--one-by-one";
            const Saida r = roda(args, VANTORA_PROG, false, {}, cano[1]);
            const QString ok = QStringLiteral("vantora-prog: %1: Gravação do teclado efetuada.\n");
            QCOMPARE(r.status, 130);
            QCOMPARE(r.err, ok.arg(a.caminho) + (umPorUm ? "vantora-prog: " + b.caminho +
                                                               ": gravação interrompida antes de começar; o "
                                                               "teclado não foi alterado\n"
                                                         : ok.arg(b.caminho)));
            QVERIFY(a.espera("FIM_LAYOUT"));
            QCOMPARE(b.espera("FIM_LAYOUT", umPorUm ? 50 : 5000), !umPorUm);
        }
        ::close(cano[1]);
    }

    // One device reached by two names, its path and a link to it, is one keyboard:
    // while one send programs it, a second one is refused, by root too (who passes the
    // exclusive opening); the first goes on undisturbed. (An unprivileged user is
    // refused by the exclusive opening itself, as the window is: teste_ligacao.)
    void send_um_dispositivo_dois_nomes() {
        Emulador e({"--atraso", "20"});
        const QString elo = dir.filePath("elo-porta");
        QVERIFY(QFile::link(e.caminho, elo));
        QProcess primeiro;
        primeiro.start(VANTORA_PROG, {"send", EXEMPLO, "--port", e.caminho, "--speed", "9600"});
        QVERIFY(e.espera("REGISTRO 1:"));
        const Saida segundo = roda({"send", EXEMPLO, "--port", elo, "--speed", "9600"});
        QVERIFY2(segundo.status == 2 &&
                     segundo.err.contains(elo + ": Não foi possivel abrir esta porta serial "
                                                "(ocupada por outro programa)"),
                 qPrintable(segundo.err));
        QVERIFY(QTest::qWaitFor([&] { return primeiro.state() == QProcess::NotRunning; }, 60000));
        QCOMPARE(primeiro.readAllStandardOutput(),
                 e.caminho.toLocal8Bit() + ": Gravação do teclado efetuada.\n");
        QCOMPARE(recebido(e), esperado("prog_send.txt"));
    }
};

QTEST_MAIN(TesteFerramentas)
#include "teste_ferramentas.moc"
