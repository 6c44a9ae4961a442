// vantora-prog from the outside: each sub-command on sample files and on bad ones
// (exit statuses, messages), the legend sheet read back by poppler, and send end to
// end against vantora-sim.
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

// Runs vantora-prog (or another program), processing events meanwhile so that the
// emulators in this process keep reading.
Saida roda(const QStringList& args, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
           const QString& programa = QStringLiteral(VANTORA_PROG)) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(programa, args);
    QElapsedTimer t;
    t.start();
    while (p.state() != QProcess::NotRunning && t.elapsed() < 60000)
        QTest::qWait(10);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

QString exemplo() {
    return QStringLiteral(VANTORA_EXEMPLOS "/mercado.key");
}

QString escreve(const QTemporaryDir& dir, const QString& nome, const QString& texto) {
    QFile o(dir.filePath(nome));
    o.open(QIODevice::WriteOnly);
    o.write(texto.toLatin1());
    return o.fileName();
}

// The example with some texts replaced and some lines added.
QString variante(const QTemporaryDir& dir, const QString& nome, const QList<QPair<QString, QString>>& trocas,
                 const QString& extra = {}) {
    QFile f(exemplo());
    f.open(QIODevice::ReadOnly);
    QString texto = QString::fromLatin1(f.readAll());
    for (const auto& [de, para] : trocas)
        texto.replace(de, para);
    return escreve(dir, nome, texto + extra);
}

// A whole layout file whose entry i of table t holds codigo(t, i); tables in `sem` left out.
QString layout_com(const QTemporaryDir& dir, const QString& nome, const std::function<int(int, int)>& codigo,
                   int sem = 0) {
    QString texto = QStringLiteral("[Teclado]\r\nTipo=Vantora\r\nProt=1\r\nProtDisp=0\r\nProtDispBNC=0\r\n");
    for (int t = 1; t <= 4; ++t) {
        if (t == sem) continue;
        texto += QStringLiteral("[Tab%1]\r\n").arg(t);
        for (int i = 0; i < 72; ++i)
            texto += QStringLiteral("T%1=%2\r\n").arg(i).arg(codigo(t, i));
    }
    return escreve(dir, nome, texto);
}

const QString TAB2_T7 =
    QStringLiteral("[Tab2]\r\nT0=0\r\nT1=0\r\nT2=0\r\nT3=0\r\nT4=0\r\nT5=0\r\nT6=0\r\nT7=0\r\n");

} // namespace

class TesteFerramentas : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

  private slots:
    void ajuda_e_erros_de_uso() {
        QVERIFY(roda({"--help"}).out.contains(QStringLiteral("Uso: vantora-prog COMANDO")));
        for (const QString c : {"ports", "send", "show", "check", "legend"}) {
            const Saida s = roda({c, "--help"});
            QVERIFY2(s.status == 0 && s.out.startsWith("Uso: vantora-prog " + c), qPrintable(s.out));
        }
        QCOMPARE(roda({}).status, 2);
        QVERIFY(roda({"grava"}).err.contains(QStringLiteral("comando desconhecido: grava")));
        for (const QStringList& a : {QStringList{"show", "--nada", exemplo()},
                                     {"show", exemplo(), "--model", "50"},
                                     {"legend", exemplo(), "-o", dir.filePath("l.txt")},
                                     {"legend", exemplo()},
                                     {"send", exemplo(), "--speed", "1200"}})
            QVERIFY2(roda(a).status == 2, qPrintable(a.join(' ')));
    }

    // Text and CSV, the sentinels in CSV as `send` puts them on the wire; codes without
    // a visible character never reach a terminal as they are; a comma caption is quoted.
    void show() {
        const Saida s = roda({"show", exemplo()});
        QVERIFY(s.status == 0 && s.out.startsWith(QStringLiteral("      [1]     [2]")));
        QVERIFY(s.out.contains(QStringLiteral("Trilha 2, erro de leitura:       10    0    0    0")));
        const QStringList l =
            roda({"show", exemplo(), "--format", "csv", "--model", "44"}).out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(l.size(), 1 + 44);
        QCOMPARE(l[1], QStringLiteral("1,1,1,65,0,0,0,A,,,"));
        const QStringList ls =
            roda({"show", exemplo(), "--format", "csv", "--sentinels"}).out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(ls.size(), 1 + 6);
        QCOMPARE(ls[6], QStringLiteral("71,3,erro,10,0,0,0,LF,,,"));
        const QList<int> invisiveis = {129, 141, 143, 144, 157, 160, 173};
        const QString f = layout_com(dir, "invisiveis.key", [&](int t, int i) {
            return t == 1 && i < invisiveis.size() ? invisiveis[i] : (t == 2 && i == 0 ? 44 : 0);
        });
        for (const char* formato : {"text", "csv"}) {
            const Saida s = roda({"show", f, "--format", formato});
            for (int c : invisiveis)
                QVERIFY2(s.out.contains(QStringLiteral("<%1>").arg(c)), qPrintable(s.out));
            for (const QChar ch : s.out)
                QVERIFY2(ch == '\n' || (ch.isPrint() && ch.unicode() != 0xA0 && ch.unicode() != 0xAD),
                         qPrintable(QString::number(ch.unicode())));
        }
        QVERIFY(roda({"show", f, "--format", "csv"}).out.contains(QStringLiteral(",\",\",")));
    }

    // Files that cannot be read are named for what is wrong with them, in every command.
    void arquivos_ruins() {
        const QString outro = variante(dir, "outro.key", {{"Tipo=Vantora", "Tipo=vantora"}});
        QFile enorme(dir.filePath("enorme.key")); // sparse: no disk space taken
        QVERIFY(enorme.open(QIODevice::WriteOnly) && enorme.resize(257LL * 1024 * 1024));
        enorme.close();
        const QList<QPair<QString, QString>> casos = {{outro, "Arquivo referente a outro teclado"},
                                                      {dir.filePath("nada.key"), "arquivo não encontrado"},
                                                      {dir.path(), "é uma pasta"},
                                                      {enorme.fileName(), "grande demais"}};
        for (const QString cmd : {"show", "send", "legend", "check"})
            for (const auto& [arquivo, motivo] : casos) {
                if (cmd == "check" && arquivo == outro) continue; // check lists it instead
                const Saida a =
                    roda(QStringList{cmd, arquivo} +
                         (cmd == "legend" ? QStringList{"-o", dir.filePath("x.pdf")} : QStringList{}));
                QVERIFY2(a.status == 2 && a.err.contains(motivo), qPrintable(cmd + ": " + a.err));
            }
        // A file its reader may not open (as root, read by an unprivileged user).
        QTemporaryFile fechado(QDir::tempPath() + "/vantora-XXXXXX.key");
        QVERIFY(fechado.open());
        fechado.setPermissions(geteuid() == 0 ? QFileDevice::ReadOwner : QFileDevice::Permissions());
        const Saida p = geteuid() == 0 ? roda({"--reuid=65534", "--regid=65534", "--clear-groups",
                                               VANTORA_PROG, "show", fechado.fileName()},
                                              QProcessEnvironment::systemEnvironment(), "setpriv")
                                       : roda({"show", fechado.fileName()});
        QVERIFY2(p.status == 2 && p.err.contains("sem permissão para ler o arquivo"), qPrintable(p.err));
        const QString faltando =
            variante(dir, "faltando.key", {{TAB2_T7, QString(TAB2_T7).remove("T7=0\r\n")}});
        QVERIFY(roda({"show", faltando}).err.contains(QStringLiteral("erro 13")));
    }

    void check_data() {
        QTest::addColumn<QString>("arquivo");
        QTest::addColumn<QStringList>("opcoes");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("trechos");
        QTest::addColumn<QStringList>("ausentes");
        QTest::newRow("limpo") << exemplo() << QStringList{} << 0 << QStringList{"sem problemas"}
                               << QStringList{};
        const QString ruim = variante(dir, "ruim.key",
                                      {{"Tipo=Vantora", "Tipo=Outro"},
                                       {"ProtDisp=0", "ProtDisp=5"},
                                       {"[Tab1]\r\nT0=65", "[Tab1]\r\nT0=300"},
                                       {"[Tab3]\r\nT0=0\r\nT1=0", "[Tab3]\r\nT0=0\r\nT1=abc"},
                                       {TAB2_T7, QString(TAB2_T7).remove("T7=0\r\n")},
                                       {"Prot=1\r\n", "Prot=1\r\nCor=azul\r\n"}});
        QTest::newRow("erros")
            << ruim << QStringList{} << 1
            << QStringList{ruim + ":2: erro: [Teclado] Tipo: o tipo é \"Outro\"",
                           ruim + ":4: aviso: [Teclado] Cor: opção desconhecida",
                           ruim + ":5: erro: [Teclado] ProtDisp: valor 5 fora de 0, 1 e 2",
                           ruim + ":8: erro: [Tab1] T0 (tecla 1): código 300 fora de 0 a 255",
                           "erro: [Tab2] T7 (tecla 8): ausente: a janela não abre o arquivo (erro 13)",
                           "erro: [Tab3] T1 (tecla 2): \"abc\" não é um número",
                           "5 erro(s), 1 aviso(s)"}
            << QStringList{};
        // Only warnings: an unknown option, a missing one, a foreign section, a second [Tab1].
        QFile ex(exemplo());
        ex.open(QIODevice::ReadOnly);
        const QString texto = QString::fromLatin1(ex.readAll());
        const qsizetype tab1 = texto.indexOf("[Tab1]");
        const QString avisos =
            variante(dir, "avisos.key", {{"Prot=1\r\n", "Cor=azul\r\n"}},
                     texto.mid(tab1, texto.indexOf("[Tab2]") - tab1) + "[Outra]\r\nx=1\r\n");
        const QStringList quatro{"aviso: [Teclado] Cor: opção desconhecida", "aviso: [Teclado] Prot: ausente",
                                 "aviso: [Outra]: seção desconhecida",
                                 "aviso: [Tab1]: seção repetida nas linhas 6 e 298", "0 erro(s), 4 aviso(s)"};
        QTest::newRow("avisos") << avisos << QStringList{} << 0 << quatro
                                << QStringList{"chave repetida", "-2"};
        QTest::newRow("avisos estrito") << avisos << QStringList{"--strict"} << 1 << quatro << QStringList{};
        QTest::newRow("tabela ausente")
            << layout_com(
                   dir, "semtab.key", [](int, int) { return 0; }, 2)
            << QStringList{} << 1 << QStringList{"erro: [Tab2]: T0–T71 ausentes", "1 erro(s), 0 aviso(s)"}
            << QStringList{"[Tab2] T"};
    }
    void check() {
        QFETCH(QString, arquivo);
        QFETCH(QStringList, opcoes);
        QFETCH(int, status);
        QFETCH(QStringList, trechos);
        QFETCH(QStringList, ausentes);
        const Saida s = roda(QStringList{"check", arquivo} + opcoes);
        QVERIFY2(s.status == status, qPrintable(s.out));
        for (const QString& t : trechos)
            QVERIFY2(s.out.contains(t), qPrintable(t + "\n" + s.out));
        for (const QString& t : ausentes)
            QVERIFY2(!s.out.contains(t), qPrintable(s.out));
    }

    // Long captions in all four tables, the third empty on every other key: each shows
    // whole on its own line, one A4 landscape page, without a display; too small a
    // pitch cuts and marks them; too large a one tiles the grid over pages; PNG at 300 dpi.
    void legend() {
        const QList<QPair<int, QString>> longas = {{8, "Back SP"}, {32, "Space"}, {9, "HTAB"}, {127, "DEL"}};
        const QString f = layout_com(dir, "longas.key", [&](int t, int i) {
            return i >= 65 || (t == 3 && i % 2) ? 0 : longas[t - 1].first;
        });
        const QString pdf = dir.filePath("l.pdf");
        QProcessEnvironment sem_tela = QProcessEnvironment::systemEnvironment();
        sem_tela.remove("DISPLAY");
        sem_tela.remove("WAYLAND_DISPLAY");
        sem_tela.insert("QT_QPA_PLATFORM", "xcb");
        const Saida a = roda({"legend", f, "-o", pdf, "--pitch", "19,05"}, sem_tela);
        QVERIFY2(a.status == 0, qPrintable(a.err));
        const QString info = roda({pdf}, sem_tela, "pdfinfo").out;
        QVERIFY2(info.contains(QRegularExpression("Pages:\\s+1\\n")) &&
                     info.contains(QRegularExpression("Page size:\\s+842 x 595 pts")),
                 qPrintable(info));
        const QString texto = roda({pdf, "-"}, sem_tela, "pdftotext").out;
        for (int t = 0; t < 4; ++t)
            QVERIFY2(texto.count(longas[t].second) == (t == 2 ? 33 : 65), qPrintable(longas[t].second));
        QCOMPARE(roda({"legend", f, "-o", pdf, "--pitch", "7"}).status, 0);
        const QString pequeno = roda({pdf, "-"}, sem_tela, "pdftotext").out;
        QVERIFY2(pequeno.count("*1") == 66 && pequeno.contains("*1 Back SP"), qPrintable(pequeno));
        // At 40 mm a landscape A4 takes 6 columns by 4 rows: 11 columns need 2 pages.
        QCOMPARE(roda({"legend", f, "-o", pdf, "--pitch", "40", "--model", "44"}).status, 0);
        QVERIFY(roda({pdf}, sem_tela, "pdfinfo").out.contains(QRegularExpression("Pages:\\s+2\\n")));
        const QString png = dir.filePath("l.png");
        QCOMPARE(roda({"legend", exemplo(), "-o", png, "--model", "44", "--pitch", "18"}).status, 0);
        QCOMPARE(QImage(png).width(), int((11 * 18 + 28) * 300 / 25.4 + 0.5));
    }

    // `ports` lists the extra ports; ports named as it prints them (any case), by number
    // and by path, each get the example's keys and the sentinels the window would send.
    void send() {
        Emulador a, b, c;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VANTORA_EXTRA_PORTS", QStringLiteral("91=%1;92=%2").arg(b.caminho, c.caminho));
        const QString portas = roda({"ports"}, env).out;
        QVERIFY2(portas.contains(QStringLiteral("COM92\t%1\tPorta virtual %1 (COM92)").arg(c.caminho)),
                 qPrintable(portas));
        const Saida s = roda(
            {"send", exemplo(), "--port", a.caminho, "--port", "91", "--port", "cOm92", "--speed", "9600"},
            env);
        QCOMPARE(s.status, 0);
        QCOMPARE(s.out.count(QStringLiteral("Gravação do teclado efetuada.")), 3);
        QVERIFY(s.out.contains(QStringLiteral("COM92 (%1): Gravação").arg(c.caminho)));
        for (Emulador* sim : {&a, &b, &c}) {
            QVERIFY(sim->espera("FIM_LAYOUT"));
            QCOMPARE(sim->comecando("TECLA "), a.comecando("TECLA "));
        }
        QCOMPARE(a.valor("TECLA 01"), QStringLiteral("65 0 0 0"));
        QCOMPARE(a.valor("TECLA 14"), QStringLiteral("78 0 0 0"));
        QVERIFY(a.tem("SENTINELA 68 10 0 0 0") && a.tem("SENTINELA 66 59 0 0 0") && a.tem("OPCOES 0"));
    }

    // How an exchange ends, told apart: refused, partly programmed, never answered,
    // not sent at all.
    void send_falhas_data() {
        QTest::addColumn<QStringList>("sim");
        QTest::addColumn<QString>("arquivo");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("trecho");
        QTest::newRow("recusado") << QStringList{"--rejeita", "6"} << exemplo() << 1
                                  << "não aceitou o layout); o teclado não foi alterado";
        QTest::newRow("parcial") << QStringList{"--rejeita", "6", "--a-partir", "11"} << exemplo() << 1
                                 << "parcialmente gravado: aceitou 10 de 71 registros (teclas 1 a 10)";
        QTest::newRow("desligado no meio")
            << QStringList{"--desliga", "5"} << exemplo() << 2 << "aceitou 4 de 71 registros";
        QTest::newRow("desligado no primeiro")
            << QStringList{"--desliga", "1"} << exemplo() << 3 << "o teclado não respondeu";
        QTest::newRow("codigo 300") << QStringList{}
                                    << variante(dir, "grande.key", {{"[Tab1]\r\nT0=65", "[Tab1]\r\nT0=300"}})
                                    << 2 << "300";
        QTest::newRow("porta COM31999")
            << QStringList{"?COM31999"} << exemplo() << 2 << "COM31999: porta não encontrada";
    }
    void send_falhas() {
        QFETCH(QStringList, sim);
        QFETCH(QString, arquivo);
        QFETCH(int, status);
        QFETCH(QString, trecho);
        const bool sem_porta = sim.value(0).startsWith('?');
        Emulador e(sem_porta ? QStringList{} : sim);
        const Saida r = roda({"send", arquivo, "--port", sem_porta ? sim[0].mid(1) : e.caminho});
        QVERIFY2(r.status == status && r.err.contains(trecho), qPrintable(r.err));
        QTest::qWait(50);
        QVERIFY(!e.tem("FIM_LAYOUT"));
        if (arquivo != exemplo()) QVERIFY(e.indices().isEmpty()); // nothing went out
    }

    // Several ports are programmed at the same time (each emulator gets its first
    // record before any has finished), one result line each, the worst status;
    // --one-by-one keeps them in turn.
    void send_varias_portas() {
        for (const bool um_por_um : {false, true}) {
            std::vector<std::unique_ptr<Emulador>> sims;
            QElapsedTimer relogio;
            relogio.start();
            std::vector<qint64> inicio(3, -1), fim(3, -1);
            QStringList args = {"send", exemplo()};
            for (size_t i = 0; i < 3; ++i) {
                sims.push_back(std::make_unique<Emulador>(
                    i == 2 ? QStringList{"--ritmo", "--silencia", "1000"} : QStringList{"--ritmo"}));
                sims.back()->aoLer = [&, i](const QString& l) {
                    if (l.startsWith("REGISTRO 1:") && inicio[i] < 0) inicio[i] = relogio.elapsed();
                    if (l.startsWith("FIM_LAYOUT") || l.startsWith("REGISTRO 3:")) fim[i] = relogio.elapsed();
                };
                args << "--port" << sims.back()->caminho;
            }
            if (um_por_um) args << "--one-by-one";
            const Saida s = roda(args);
            QCOMPARE(s.status, 3); // the silent one
            QCOMPARE(s.out.count(QStringLiteral("Gravação do teclado efetuada.")), 2);
            QCOMPARE(s.err.count(QStringLiteral("o teclado não respondeu")), 1);
            QTest::qWait(50);
            // (times as this process reads the emulators' lines, some milliseconds late)
            QString tempos;
            for (size_t i = 0; i < 3; ++i)
                tempos += QStringLiteral(" %1-%2").arg(inicio[i]).arg(fim[i]);
            QVERIFY2(*std::min_element(inicio.begin(), inicio.end()) >= 0 &&
                         *std::min_element(fim.begin(), fim.end()) >= 0,
                     qPrintable(tempos));
            if (um_por_um)
                QVERIFY2(fim[0] <= inicio[1] && fim[1] <= inicio[2], qPrintable(tempos));
            else
                QVERIFY2(*std::max_element(inicio.begin(), inicio.end()) <
                             *std::min_element(fim.begin(), fim.end()),
                         qPrintable(tempos));
        }
    }
};

QTEST_MAIN(TesteFerramentas)
#include "teste_ferramentas.moc"
