// vantora-prog from the outside: each sub-command on sample files and on bad ones
// (exit statuses, messages, whole outputs against the files in tests/data), the legend
// sheet read back by poppler, and send end to end against vantora-sim.
#include "comum/emulador.h"

#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>
#include <unistd.h>

using vantora::teste::Emulador;

namespace {

struct Saida {
    int status = -1;
    QString out, err;
};

// Runs vantora-prog (or another program) in tests/data, processing events meanwhile so
// that the emulators in this process keep reading.
Saida roda(const QStringList& args, const QString& programa = QStringLiteral(VANTORA_PROG)) {
    QProcess p;
    p.setWorkingDirectory(QStringLiteral(VANTORA_DADOS));
    p.start(programa, args);
    const bool fim = QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 60000);
    return {fim && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

const QString EXEMPLO = QStringLiteral(VANTORA_EXEMPLOS "/mercado.key");

// A file of tests/data: the expected output of a command.
QString esperado(const QString& nome) {
    QFile f(QStringLiteral(VANTORA_DADOS "/") + nome);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

class TesteFerramentas : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

  private slots:
    // No command needs a display: the programs run here get none.
    void initTestCase() {
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
        qputenv("QT_QPA_PLATFORM", "xcb");
    }

    // vantora-sim: help in Portuguese, bad values refused with a message (options and
    // commands).
    void simulador() {
        QVERIFY(roda({"--help"}, VANTORA_SIM).out.startsWith("Uso: vantora-sim [opções]"));
        for (const QStringList& a : {QStringList{"--rejeita", "abc"}, {"--envia", "41,zz"}}) {
            const Saida s = roda(a, VANTORA_SIM);
            QVERIFY2(s.status == 2 && s.err.contains("valor inválido para " + a[0]), qPrintable(s.err));
        }
        Emulador sim;
        sim.comando("envia zz");
        QVERIFY(sim.espera("ERRO envia: \"zz\""));
    }

    void ajuda_e_erros_de_uso() {
        QVERIFY(roda({"--help"}).out.contains(QStringLiteral("Uso: vantora-prog COMANDO")));
        for (const QString c : {"ports", "send", "show", "check", "legend"}) {
            const Saida s = roda({c, "--help"});
            QVERIFY2(s.status == 0 && s.out.startsWith("Uso: vantora-prog " + c), qPrintable(s.out));
        }
        QCOMPARE(roda({}).status, 2);
        const QList<QPair<QStringList, QString>> erros = {
            {{"grava"}, "comando desconhecido: grava"},
            {{"show", "--nada", EXEMPLO}, "nada"},
            {{"show", EXEMPLO, "--model", "50"}, "uso: vantora-prog show"},
            {{"legend", EXEMPLO, "-o", dir.filePath("l.txt")}, "formato desconhecido"},
            {{"legend", EXEMPLO}, "uso: vantora-prog legend"},
            {{"send", EXEMPLO, "--speed", "1200"}, "velocidade inválida: 1200"},
            {{"send", EXEMPLO, "--port", "COM31999"}, "COM31999: porta não encontrada"},
            // refused before any port is looked for: nothing goes out
            {{"send", "prog_estranhos.key", "--port", "COM31999"}, "tem o código 300 na Tabela 03"}};
        for (const auto& [args, trecho] : erros) {
            const Saida s = roda(args);
            QVERIFY2(s.status == 2 && s.err.contains(trecho), qPrintable(s.err));
        }
    }

    // Whole outputs of show and check, with their exit statuses. show: text and CSV, the
    // sentinels in CSV as `send` puts them on the wire; codes without a visible character
    // (C1 controls, 160, 173) or out of range printed as <n>, never as they are; a comma
    // caption quoted. check: errors and warnings with file:line in line order (warnings
    // fail only with --strict); a repeated section told once, a missing table in one line.
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
            {{"check", "prog_sem_tabela.key"}, 1, "prog_sem_tabela_check.txt"}};
        for (const auto& [args, status, saida] : casos) {
            const Saida s = roda(args);
            QCOMPARE(s.out, esperado(saida));
            QCOMPARE(s.status, status);
        }
    }

    // Files that cannot be read are named for what is wrong with them, in every command.
    void arquivos_ruins() {
        QFile enorme(dir.filePath("enorme.key")); // sparse: no disk space taken
        QVERIFY(enorme.open(QIODevice::WriteOnly) && enorme.resize(257LL * 1024 * 1024));
        const QList<QPair<QString, QString>> casos = {
            {"prog_erros.key", "Arquivo referente a outro teclado"},
            {"prog_sem_tabela.key", "erro 13 (Tipos incompatíveis)"},
            {"nada.key", "arquivo não encontrado"},
            {dir.path(), "é uma pasta"},
            {enorme.fileName(), "grande demais"}};
        for (const QString cmd : {"show", "send", "legend", "check"})
            for (const auto& [arquivo, motivo] : casos) {
                if (cmd == "check" && arquivo.startsWith("prog_")) continue; // check lists what is wrong
                const Saida a =
                    roda(QStringList{cmd, arquivo} +
                         (cmd == "legend" ? QStringList{"-o", dir.filePath("x.pdf")} : QStringList{}));
                QVERIFY2(a.status == 2 && a.err.contains(motivo), qPrintable(cmd + ": " + a.err));
            }
        // A file its reader may not open (as root, read by an unprivileged user, who runs
        // a copy of the program: the checkout may lie where nobody cannot enter).
        QTemporaryFile fechado(QDir::tempPath() + "/vantora-XXXXXX.key");
        QVERIFY(fechado.open() && fechado.setPermissions({}));
        const QStringList show{"show", fechado.fileName()};
        QTemporaryDir copia;
        const QString prog = copia.filePath("vantora-prog");
        QVERIFY(QFile::setPermissions(copia.path(), QFile::permissions(copia.path()) | QFile::ExeOther) &&
                QFile::copy(VANTORA_PROG, prog));
        const QStringList ninguem{"--reuid=65534", "--regid=65534", "--clear-groups", prog};
        const Saida p = geteuid() == 0 ? roda(ninguem + show, "setpriv") : roda(show);
        QVERIFY2(p.status == 2 && p.err.contains("sem permissão para ler o arquivo"), qPrintable(p.err));
    }

    // Long captions in all four tables, the third empty on every other key: each shows
    // whole on its own line, one A4 landscape page, without a display; too small a
    // pitch cuts and marks them; too large a one tiles the grid over pages; PNG at 300 dpi.
    void legend() {
        const QString pdf = dir.filePath("l.pdf");
        const Saida a = roda({"legend", "prog_longas.key", "-o", pdf, "--pitch", "19,05"});
        QVERIFY2(a.status == 0, qPrintable(a.err));
        const QString info = roda({pdf}, "pdfinfo").out;
        QVERIFY2(info.contains(QRegularExpression("Pages:\\s+1\\n[\\s\\S]*Page size:\\s+842 x 595 pts")),
                 qPrintable(info));
        const QString texto = roda({pdf, "-"}, "pdftotext").out;
        for (const QString c : {"Back SP", "Space", "HTAB", "DEL"})
            QVERIFY2(texto.count(c) == (c == "HTAB" ? 33 : 65), qPrintable(c));
        QCOMPARE(roda({"legend", "prog_longas.key", "-o", pdf, "--pitch", "7"}).status, 0);
        const QString pequeno = roda({pdf, "-"}, "pdftotext").out;
        QVERIFY2(pequeno.count("*1") == 66 && pequeno.contains("*1 Back SP"), qPrintable(pequeno));
        // At 40 mm a landscape A4 takes 6 columns by 4 rows: 11 columns need 2 pages.
        QCOMPARE(roda({"legend", "prog_longas.key", "-o", pdf, "--pitch", "40", "--model", "44"}).status, 0);
        QVERIFY(roda({pdf}, "pdfinfo").out.contains(QRegularExpression("Pages:\\s+2\\n")));
        const QString png = dir.filePath("l.png");
        QCOMPARE(roda({"legend", EXEMPLO, "-o", png, "--model", "44", "--pitch", "18"}).status, 0);
        QCOMPARE(QImage(png).width(), int((11 * 18 + 28) * 300 / 25.4 + 0.5));
    }

    // `ports` lists the extra ports; ports named as it prints them (any case), by number
    // and by path, each get the example's keys and the sentinels the window would send.
    void send() {
        Emulador a, b, c;
        qputenv("VANTORA_EXTRA_PORTS", QStringLiteral("91=%1;92=%2").arg(b.caminho, c.caminho).toLocal8Bit());
        const QString portas = roda({"ports"}).out;
        QVERIFY2(portas.contains(QStringLiteral("COM92\t%1\tPorta virtual %1 (COM92)").arg(c.caminho)),
                 qPrintable(portas));
        const Saida s = roda(
            {"send", EXEMPLO, "--port", a.caminho, "--port", "91", "--port", "cOm92", "--speed", "9600"});
        qunsetenv("VANTORA_EXTRA_PORTS");
        QCOMPARE(s.status, 0);
        const QString ok = QStringLiteral("%1: Gravação do teclado efetuada.\n");
        QCOMPARE(s.out, ok.arg(a.caminho) + ok.arg("COM91 (" + b.caminho + ")") +
                            ok.arg("COM92 (" + c.caminho + ")"));
        for (Emulador* sim : {&a, &b, &c}) {
            QVERIFY(sim->espera("FIM_LAYOUT"));
            QCOMPARE(sim->linhas.mid(sim->linhas.indexOf("FIM")).join('\n') + '\n',
                     esperado("prog_send.txt"));
        }
    }

    // How an exchange ends, told apart: refused, partly programmed, never answered.
    void send_falhas() {
        const QList<std::tuple<QStringList, int, QString>> casos = {
            {{"--rejeita", "6"}, 1, "não aceitou o layout); o teclado não foi alterado"},
            {{"--rejeita", "6", "--a-partir", "11"},
             1,
             "parcialmente gravado: aceitou 10 de 71 registros (teclas 1 a 10)"},
            {{"--desliga", "5"}, 2, "aceitou 4 de 71 registros"},
            {{"--desliga", "1"}, 3, "o teclado não respondeu"}};
        for (const auto& [sim, status, trecho] : casos) {
            Emulador e(sim);
            const Saida r = roda({"send", EXEMPLO, "--port", e.caminho});
            QVERIFY2(r.status == status && r.err.contains(trecho), qPrintable(r.err));
            QVERIFY(!e.espera("FIM_LAYOUT", 50));
        }
    }

    // Several ports are programmed at the same time (each emulator gets its first
    // record before any has finished), one result line each, the worst status;
    // --one-by-one keeps them in turn.
    void send_varias_portas() {
        for (const bool um_por_um : {false, true}) {
            Emulador sims[3] = {Emulador({"--ritmo"}), Emulador({"--ritmo"}),
                                Emulador({"--ritmo", "--silencia", "1000"})};
            QElapsedTimer relogio;
            relogio.start();
            // Each one's first record and end, as this process reads them (some milliseconds late).
            QList<qint64> t(6, -1);
            QStringList args = {"send", EXEMPLO};
            for (int i = 0; i < 3; ++i) {
                args << "--port" << sims[i].caminho;
                sims[i].aoLer = [&, i](const QString& l) {
                    if (l.startsWith("REGISTRO 1:")) t[2 * i] = relogio.elapsed();
                    if (l.startsWith("FIM_LAYOUT") || l.startsWith("REGISTRO 3:"))
                        t[2 * i + 1] = relogio.elapsed();
                };
            }
            if (um_por_um) args << "--one-by-one";
            const Saida s = roda(args);
            QCOMPARE(s.status, 3); // the silent one
            QCOMPARE(s.out.count(QStringLiteral("Gravação do teclado efetuada.")), 2);
            QCOMPARE(s.err.count(QStringLiteral("o teclado não respondeu")), 1);
            QTest::qWait(50);
            const bool certo = um_por_um ? t[0] >= 0 && std::is_sorted(t.begin(), t.end())
                                         : std::min({t[0], t[2], t[4]}) >= 0 &&
                                               std::max({t[0], t[2], t[4]}) < std::min({t[1], t[3], t[5]});
            QVERIFY2(certo, qPrintable(QDebug::toString(t)));
        }
    }
};

QTEST_MAIN(TesteFerramentas)
#include "teste_ferramentas.moc"
