// vantora-prog from the outside: each sub-command on sample files and on bad ones
// (exit statuses, messages), and send end-to-end against vantora-sim.
#include "../link/simulador.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>
#include <unistd.h>

using vantora::teste::Simulador;

namespace {

struct Saida {
    int status = -1;
    QString out;
    QString err;
};

Saida roda(const QStringList& args,
           const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VANTORA_PROG), args);
    // Processes events meanwhile, so that emulators in this process keep reading.
    QElapsedTimer t;
    t.start();
    while (p.state() != QProcess::NotRunning && t.elapsed() < 60000)
        QTest::qWait(10);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

QString exemplo() {
    return QStringLiteral(VANTORA_EXEMPLOS) + QStringLiteral("/mercado.key");
}

// The example with some entries changed, written to `dir`.
QString variante(const QTemporaryDir& dir, const QString& nome, const QList<QPair<QString, QString>>& trocas,
                 const QStringList& extras = {}) {
    QFile f(exemplo());
    f.open(QIODevice::ReadOnly);
    QString texto = QString::fromLatin1(f.readAll());
    for (const auto& [de, para] : trocas)
        texto.replace(de, para);
    texto += extras.join(QStringLiteral("\r\n"));
    const QString caminho = dir.filePath(nome);
    QFile o(caminho);
    o.open(QIODevice::WriteOnly);
    o.write(texto.toLatin1());
    return caminho;
}

// A whole layout file whose entry i of table t holds codigo(t, i).
QString layoutCom(const QTemporaryDir& dir, const QString& nome, const std::function<int(int, int)>& codigo) {
    QString texto = QStringLiteral("[Teclado]\r\nTipo=Vantora\r\nProt=1\r\nProtDisp=0\r\nProtDispBNC=0\r\n");
    for (int t = 1; t <= 4; ++t) {
        texto += QStringLiteral("[Tab%1]\r\n").arg(t);
        for (int i = 0; i < 72; ++i)
            texto += QStringLiteral("T%1=%2\r\n").arg(i).arg(codigo(t, i));
    }
    QFile o(dir.filePath(nome));
    o.open(QIODevice::WriteOnly);
    o.write(texto.toLatin1());
    return o.fileName();
}

QString programa(const QString& nome, const QStringList& args) {
    QProcess p;
    p.start(nome, args);
    p.waitForFinished(30000);
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

// Table codes of the example file, key record by key record: "TECLA n c1 c2 c3 c4".
QStringList teclasDoExemplo() {
    QFile f(exemplo());
    f.open(QIODevice::ReadOnly);
    std::array<std::array<int, 72>, 4> t{};
    int tab = -1;
    for (const QByteArray& l : f.readAll().split('\n')) {
        const QByteArray s = l.trimmed();
        if (s.startsWith("[Tab"))
            tab = s.mid(4, 1).toInt() - 1;
        else if (tab >= 0 && s.startsWith('T'))
            t[size_t(tab)][size_t(s.mid(1, s.indexOf('=') - 1).toInt())] = s.mid(s.indexOf('=') + 1).toInt();
    }
    QStringList r;
    for (int k = 0; k < 65; ++k)
        r << QStringLiteral("TECLA %1 %2 %3 %4 %5")
                 .arg(k + 1, 2, 10, QLatin1Char('0'))
                 .arg(t[0][k])
                 .arg(t[1][k])
                 .arg(t[2][k])
                 .arg(t[3][k]);
    return r;
}

QStringList teclasRecebidas(const Simulador& s) {
    QStringList r;
    for (const QString& l : s.linhas)
        if (l.startsWith(QLatin1String("TECLA "))) r << l;
    return r;
}

} // namespace

class TesteProg : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

  private slots:
    void ajuda() {
        const Saida geral = roda({QStringLiteral("--help")});
        QCOMPARE(geral.status, 0);
        QVERIFY(geral.out.contains(QStringLiteral("Uso: vantora-prog COMANDO")));
        for (const char* c : {"ports", "send", "show", "check", "legend"}) {
            const Saida s = roda({QString::fromLatin1(c), QStringLiteral("--help")});
            QCOMPARE(s.status, 0);
            QVERIFY2(s.out.startsWith(QStringLiteral("Uso: vantora-prog ") + QString::fromLatin1(c)),
                     qPrintable(s.out));
        }
        QCOMPARE(roda({}).status, 2);
        const Saida errado = roda({QStringLiteral("grava")});
        QCOMPARE(errado.status, 2);
        QVERIFY(errado.err.contains(QStringLiteral("comando desconhecido: grava")));
        QCOMPARE(roda({QStringLiteral("show"), QStringLiteral("--nada"), exemplo()}).status, 2);
    }

    void show() {
        const Saida s = roda({QStringLiteral("show"), exemplo()});
        QCOMPARE(s.status, 0);
        const QStringList linhas = s.out.split(QLatin1Char('\n'));
        QVERIFY(linhas[0].startsWith(QStringLiteral("      [1]     [2]")));
        QVERIFY(linhas[1].startsWith(QStringLiteral("  T1  A       B")));
        QVERIFY(s.out.contains(QStringLiteral("Back SP")));
        QVERIFY(s.out.contains(QStringLiteral("Trilha 2, erro de leitura:       10    0    0    0")));
        const Saida csv = roda({QStringLiteral("show"), exemplo(), QStringLiteral("--format"),
                                QStringLiteral("csv"), QStringLiteral("--model"), QStringLiteral("44")});
        QCOMPARE(csv.status, 0);
        const QStringList l = csv.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(l.size(), 1 + 44);
        QCOMPARE(l[1], QStringLiteral("1,1,1,65,0,0,0,A,,,"));
        // The sentinels as `send` puts them on the wire: box 0 of the read-error rows is 10.
        const Saida st = roda({QStringLiteral("show"), exemplo(), QStringLiteral("--format"),
                               QStringLiteral("csv"), QStringLiteral("--sentinels")});
        QCOMPARE(st.status, 0);
        const QStringList ls = st.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(ls.size(), 1 + 6);
        QCOMPARE(ls[3], QStringLiteral("68,2,erro,10,0,0,0,LF,,,"));
        QCOMPARE(ls[6], QStringLiteral("71,3,erro,10,0,0,0,LF,,,"));
        // Every numeric column of both layouts holds an integer.
        for (const QStringList* linhasCsv : {&l, &ls})
            for (const QString& linha : linhasCsv->mid(1)) {
                const QStringList campos = linha.split(QLatin1Char(','));
                for (int c = 0; c < 7; ++c) {
                    if (linhasCsv == &ls && c == 2) continue; // campo: a word
                    bool ok = false;
                    campos[c].toInt(&ok);
                    QVERIFY2(ok, qPrintable(linha));
                }
            }
        QCOMPARE(
            roda({QStringLiteral("show"), exemplo(), QStringLiteral("--model"), QStringLiteral("50")}).status,
            2);
    }

    // Codes without a visible character never reach a terminal as they are.
    void show_codigos_invisiveis() {
        const QList<int> invisiveis = {129, 141, 143, 144, 157, 160, 173};
        const QString f = layoutCom(dir, QStringLiteral("invisiveis.key"), [&](int t, int i) {
            return t == 1 && i < invisiveis.size() ? invisiveis[i] : (t == 2 && i == 0 ? 65 : 0);
        });
        for (const QStringList& extra :
             {QStringList{}, QStringList{QStringLiteral("--format"), QStringLiteral("csv")}}) {
            const Saida s = roda(QStringList{QStringLiteral("show"), f} + extra);
            QCOMPARE(s.status, 0);
            for (int c : invisiveis)
                QVERIFY2(s.out.contains(QStringLiteral("<%1>").arg(c)), qPrintable(s.out));
            for (const QChar ch : s.out)
                QVERIFY2(ch == QLatin1Char('\n') ||
                             (ch.isPrint() && ch.unicode() != 0xA0 && ch.unicode() != 0xAD),
                         qPrintable(QString::number(ch.unicode())));
        }
    }

    // Files that cannot be read are named for what is wrong with them, in every command.
    void arquivos_ruins() {
        const QString outro = variante(dir, QStringLiteral("outro.key"),
                                       {{QStringLiteral("Tipo=Vantora"), QStringLiteral("Tipo=vantora")}});
        const QString faltando = variante(
            dir, QStringLiteral("faltando.key"),
            {{QStringLiteral("[Tab2]\r\nT0=0\r\nT1=0\r\nT2=0\r\nT3=0\r\nT4=0\r\nT5=0\r\nT6=0\r\nT7=0\r\n"),
              QStringLiteral("[Tab2]\r\nT0=0\r\nT1=0\r\nT2=0\r\nT3=0\r\nT4=0\r\nT5=0\r\nT6=0\r\n")}});
        QFile enorme(dir.filePath(QStringLiteral("enorme.key"))); // sparse: no disk space taken
        QVERIFY(enorme.open(QIODevice::WriteOnly) && enorme.resize(257LL * 1024 * 1024));
        enorme.close();
        const QList<QPair<QString, QString>> casos = {
            {outro, QStringLiteral("Arquivo referente a outro teclado")},
            {dir.filePath(QStringLiteral("nada.key")), QStringLiteral("arquivo não encontrado")},
            {dir.path(), QStringLiteral("é uma pasta")},
            {enorme.fileName(), QStringLiteral("grande demais")}};
        for (const char* cmd : {"show", "send", "legend", "check"}) {
            QStringList extra;
            if (QByteArray(cmd) == "legend")
                extra = {QStringLiteral("-o"), dir.filePath(QStringLiteral("x.pdf"))};
            for (const auto& [arquivo, motivo] : casos) {
                if (QByteArray(cmd) == "check" && arquivo == outro) continue; // check lists it instead
                const Saida a = roda(QStringList{QString::fromLatin1(cmd), arquivo} + extra);
                QCOMPARE(a.status, 2);
                QVERIFY2(a.err.contains(motivo), qPrintable(QByteArray(cmd) + ": " + a.err));
            }
        }
        // A file its reader may not open (as root, read by an unprivileged user).
        QTemporaryFile fechado(QDir::tempPath() + QStringLiteral("/vantora-XXXXXX.key"));
        QVERIFY(fechado.open());
        fechado.setPermissions(geteuid() == 0 ? QFileDevice::ReadOwner : QFileDevice::Permissions());
        QProcess p;
        if (geteuid() == 0)
            p.start(QStringLiteral("setpriv"),
                    {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                     QStringLiteral("--clear-groups"), QStringLiteral(VANTORA_PROG), QStringLiteral("show"),
                     fechado.fileName()});
        else
            p.start(QStringLiteral(VANTORA_PROG), {QStringLiteral("show"), fechado.fileName()});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY2(p.readAllStandardError().contains("sem permissão para ler o arquivo"), "no permission");

        const Saida f = roda({QStringLiteral("show"), faltando});
        QCOMPARE(f.status, 2);
        QVERIFY2(f.err.contains(QStringLiteral("erro 13")), qPrintable(f.err));
    }

    void check() {
        const Saida limpo = roda({QStringLiteral("check"), exemplo()});
        QCOMPARE(limpo.status, 0);
        QVERIFY(limpo.out.contains(QStringLiteral("sem problemas")));

        const QString tab2 =
            QStringLiteral("[Tab2]\r\nT0=0\r\nT1=0\r\nT2=0\r\nT3=0\r\nT4=0\r\nT5=0\r\nT6=0\r\nT7=0\r\n");
        const QString ruim =
            variante(dir, QStringLiteral("ruim.key"),
                     {{QStringLiteral("Tipo=Vantora"), QStringLiteral("Tipo=Outro")},
                      {QStringLiteral("ProtDisp=0"), QStringLiteral("ProtDisp=5")},
                      {QStringLiteral("[Tab1]\r\nT0=65"), QStringLiteral("[Tab1]\r\nT0=300")},
                      {QStringLiteral("[Tab3]\r\nT0=0\r\nT1=0"), QStringLiteral("[Tab3]\r\nT0=0\r\nT1=abc")},
                      {tab2, QString(tab2).replace(QStringLiteral("T7=0\r\n"), QString())},
                      {QStringLiteral("Prot=1\r\n"), QStringLiteral("Prot=1\r\nCor=azul\r\n")}});
        // Only warnings: an unknown option, a missing one, a foreign section, a second [Tab1].
        QFile ex(exemplo());
        ex.open(QIODevice::ReadOnly);
        const QString texto = QString::fromLatin1(ex.readAll());
        const QString tab1 =
            texto.mid(texto.indexOf(QStringLiteral("[Tab1]")),
                      texto.indexOf(QStringLiteral("[Tab2]")) - texto.indexOf(QStringLiteral("[Tab1]")));
        const QString avisos = variante(dir, QStringLiteral("avisos.key"),
                                        {{QStringLiteral("Prot=1\r\n"), QStringLiteral("Cor=azul\r\n")}},
                                        {tab1, QStringLiteral("[Outra]\r\nx=1\r\n")});
        const QString semTabela = layoutCom(dir, QStringLiteral("semtab.key"), [](int, int) { return 0; });
        {
            QFile f(semTabela);
            f.open(QIODevice::ReadOnly);
            QString t = QString::fromLatin1(f.readAll());
            f.close();
            const qsizetype de = t.indexOf(QStringLiteral("[Tab2]")),
                            ate = t.indexOf(QStringLiteral("[Tab3]"));
            t.remove(de, ate - de);
            f.open(QIODevice::WriteOnly | QIODevice::Truncate);
            f.write(t.toLatin1());
        }
        const struct {
            QString arquivo;
            QStringList opcoes;
            int status;
            QStringList trechos;
            QStringList ausentes;
        } casos[] = {
            {ruim,
             {},
             1,
             {ruim + QStringLiteral(":2: erro: [Teclado] Tipo: o tipo é \"Outro\""),
              ruim + QStringLiteral(":4: aviso: [Teclado] Cor: opção desconhecida"),
              ruim + QStringLiteral(":5: erro: [Teclado] ProtDisp: valor 5 fora de 0, 1 e 2"),
              ruim + QStringLiteral(":8: erro: [Tab1] T0 (tecla 1): código 300 fora de 0 a 255"),
              QStringLiteral("erro: [Tab2] T7 (tecla 8): ausente: a janela não abre o arquivo (erro 13)"),
              QStringLiteral("erro: [Tab3] T1 (tecla 2): \"abc\" não é um número"),
              QStringLiteral("5 erro(s), 1 aviso(s)")},
             {}},
            {avisos,
             {},
             0,
             {QStringLiteral("aviso: [Teclado] Cor: opção desconhecida"),
              QStringLiteral("aviso: [Teclado] Prot: ausente"),
              QStringLiteral("aviso: [Outra]: seção desconhecida"),
              QStringLiteral("aviso: [Tab1]: seção repetida nas linhas 6 e 298"),
              QStringLiteral("0 erro(s), 4 aviso(s)")},
             {QStringLiteral("chave repetida"), QStringLiteral("-2")}},
            {avisos, {QStringLiteral("--strict")}, 1, {QStringLiteral("0 erro(s), 4 aviso(s)")}, {}},
            {semTabela,
             {},
             1,
             {QStringLiteral("erro: [Tab2]: T0–T71 ausentes"), QStringLiteral("1 erro(s), 0 aviso(s)")},
             {QStringLiteral("[Tab2] T")}},
        };
        for (const auto& c : casos) {
            const Saida s = roda(QStringList{QStringLiteral("check"), c.arquivo} + c.opcoes);
            QVERIFY2(s.status == c.status, qPrintable(s.out));
            for (const QString& t : c.trechos)
                QVERIFY2(s.out.contains(t), qPrintable(t + QStringLiteral("\n") + s.out));
            for (const QString& t : c.ausentes)
                QVERIFY2(!s.out.contains(t), qPrintable(s.out));
        }
    }

    // Long captions in all four tables, the third empty on every other key: each shows
    // whole on its own line, and the sheet is one A4 landscape page.
    void legend() {
        const QList<QPair<int, QString>> longas = {{8, QStringLiteral("Back SP")},
                                                   {32, QStringLiteral("Space")},
                                                   {9, QStringLiteral("HTAB")},
                                                   {127, QStringLiteral("DEL")}};
        const QString f = layoutCom(dir, QStringLiteral("longas.key"), [&](int t, int i) {
            return i >= 65 || (t == 3 && i % 2) ? 0 : longas[t - 1].first;
        });
        const QString pdf = dir.filePath(QStringLiteral("l.pdf"));
        QProcessEnvironment semTela = QProcessEnvironment::systemEnvironment();
        semTela.remove(QStringLiteral("DISPLAY"));
        semTela.remove(QStringLiteral("WAYLAND_DISPLAY"));
        semTela.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        const Saida a = roda({QStringLiteral("legend"), f, QStringLiteral("-o"), pdf,
                              QStringLiteral("--pitch"), QStringLiteral("19,05")},
                             semTela);
        QVERIFY2(a.status == 0, qPrintable(a.err));
        const QString info = programa(QStringLiteral("pdfinfo"), {pdf});
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+842 x 595 pts"))),
                 qPrintable(info));
        const QString texto = programa(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        for (int t = 0; t < 4; ++t)
            QVERIFY2(texto.count(longas[t].second) == (t == 2 ? 33 : 65),
                     qPrintable(longas[t].second + QStringLiteral(": ") +
                                QString::number(texto.count(longas[t].second))));
        // Too small for the smallest legible size: cut, marked, and listed whole under the grid.
        const Saida b = roda({QStringLiteral("legend"), f, QStringLiteral("-o"), pdf,
                              QStringLiteral("--pitch"), QStringLiteral("7")});
        QCOMPARE(b.status, 0);
        const QString pequeno = programa(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY2(pequeno.count(QStringLiteral("*1")) == 66 && pequeno.contains(QStringLiteral("*1 Back SP")),
                 qPrintable(pequeno));

        const QString png = dir.filePath(QStringLiteral("l.png"));
        QCOMPARE(
            roda({QStringLiteral("legend"), exemplo(), QStringLiteral("-o"), png, QStringLiteral("--model"),
                  QStringLiteral("44"), QStringLiteral("--pitch"), QStringLiteral("18")})
                .status,
            0);
        const QImage img(png);
        QCOMPARE(img.width(), int((11 * 18 + 28) * 300 / 25.4 + 0.5));
        QCOMPARE(roda({QStringLiteral("legend"), exemplo(), QStringLiteral("-o"),
                       dir.filePath(QStringLiteral("l.txt"))})
                     .status,
                 2);
        QCOMPARE(roda({QStringLiteral("legend"), exemplo()}).status, 2);
    }

    void ports() {
        Simulador sim;
        QVERIFY(!sim.caminho.isEmpty());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VANTORA_EXTRA_PORTS"), QStringLiteral("90=") + sim.caminho);
        const Saida s = roda({QStringLiteral("ports")}, env);
        QCOMPARE(s.status, 0);
        QVERIFY2(s.out.contains(QStringLiteral("COM90\t%1\tPorta virtual %1 (COM90)").arg(sim.caminho)),
                 qPrintable(s.out));
    }

    // Ports named as `ports` prints them (any case), by number and by path.
    void send() {
        Simulador a;
        Simulador b;
        Simulador c;
        QVERIFY(!a.caminho.isEmpty() && !b.caminho.isEmpty() && !c.caminho.isEmpty());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VANTORA_EXTRA_PORTS"),
                   QStringLiteral("91=%1;92=%2").arg(b.caminho, c.caminho));
        const Saida s = roda({QStringLiteral("send"), exemplo(), QStringLiteral("--port"), a.caminho,
                              QStringLiteral("--port"), QStringLiteral("91"), QStringLiteral("--port"),
                              QStringLiteral("cOm92"), QStringLiteral("--speed"), QStringLiteral("9600")},
                             env);
        QCOMPARE(s.status, 0);
        QCOMPARE(s.out.count(QStringLiteral("Gravação do teclado efetuada.")), 3);
        QVERIFY(s.out.contains(QStringLiteral("COM92 (%1): Gravação").arg(c.caminho)));
        for (Simulador* sim : {&a, &b, &c}) {
            QVERIFY(sim->espera(QStringLiteral("FIM_LAYOUT")));
            QCOMPARE(teclasRecebidas(*sim), teclasDoExemplo());
        }
        // What the window would send: box 0 of the read-error rows shows the default 10.
        QVERIFY(a.tem(QStringLiteral("SENTINELA 68 10 0 0 0")));
        QVERIFY(a.tem(QStringLiteral("SENTINELA 66 59 0 0 0")));
        QVERIFY(a.tem(QStringLiteral("OPCOES 0")));
    }

    // How an exchange ends, told apart: refused, partly programmed, never answered.
    void send_falhas() {
        const struct {
            QStringList sim;
            int status;
            QString trecho;
        } casos[] = {
            {{QStringLiteral("--rejeita"), QStringLiteral("6")},
             1,
             QStringLiteral("não aceitou o layout); o teclado não foi alterado")},
            {{QStringLiteral("--rejeita"), QStringLiteral("6"), QStringLiteral("--a-partir"),
              QStringLiteral("11")},
             1,
             QStringLiteral("parcialmente gravado: aceitou 10 de 71 registros (teclas 1 a 10)")},
            {{QStringLiteral("--desliga"), QStringLiteral("5")},
             2,
             QStringLiteral("aceitou 4 de 71 registros")},
            {{QStringLiteral("--silencia"), QStringLiteral("1000")},
             3,
             QStringLiteral("o teclado não respondeu")},
            {{QStringLiteral("--desliga"), QStringLiteral("1")},
             3,
             QStringLiteral("o teclado não respondeu")},
        };
        for (const auto& c : casos) {
            Simulador sim(c.sim);
            const Saida r = roda({QStringLiteral("send"), exemplo(), QStringLiteral("--port"), sim.caminho});
            QVERIFY2(r.status == c.status && r.err.contains(c.trecho),
                     qPrintable(c.sim.join(' ') + ": " + r.err));
            QVERIFY(!sim.tem(QStringLiteral("FIM_LAYOUT")));
        }

        // A code the keyboard cannot take: nothing goes out.
        Simulador nada;
        const QString grande =
            variante(dir, QStringLiteral("grande.key"),
                     {{QStringLiteral("[Tab1]\r\nT0=65"), QStringLiteral("[Tab1]\r\nT0=300")}});
        const Saida g = roda({QStringLiteral("send"), grande, QStringLiteral("--port"), nada.caminho});
        QCOMPARE(g.status, 2);
        QVERIFY2(g.err.contains(QStringLiteral("300")), qPrintable(g.err));
        QTest::qWait(100);
        QVERIFY(nada.registros().isEmpty());

        for (const QString& porta : {QStringLiteral("31999"), QStringLiteral("COM31999")}) {
            const Saida p = roda({QStringLiteral("send"), exemplo(), QStringLiteral("--port"), porta});
            QCOMPARE(p.status, 2);
            QVERIFY(p.err.contains(QStringLiteral("COM31999: porta não encontrada")));
        }
        QCOMPARE(roda({QStringLiteral("send"), exemplo(), QStringLiteral("--speed"), QStringLiteral("1200")})
                     .status,
                 2);
    }

    // Several ports: programmed at the same time (each emulator gets its first record
    // before any has finished), one result line each, the worst status; --one-by-one
    // keeps them in turn.
    void send_varias_portas() {
        for (const bool umPorUm : {false, true}) {
            std::vector<std::unique_ptr<Simulador>> sims;
            QElapsedTimer relogio;
            relogio.start();
            std::vector<qint64> inicio(3, -1), fim(3, -1);
            QStringList args = {QStringLiteral("send"), exemplo()};
            for (int i = 0; i < 3; ++i) {
                sims.push_back(std::make_unique<Simulador>(i == 2 ? QStringList{QStringLiteral("--ritmo"),
                                                                                QStringLiteral("--silencia"),
                                                                                QStringLiteral("1000")}
                                                                  : QStringList{QStringLiteral("--ritmo")}));
                sims.back()->aoLer = [&, i](const QString& l) {
                    if (l.startsWith(QLatin1String("REGISTRO 1:")) && inicio[size_t(i)] < 0)
                        inicio[size_t(i)] = relogio.elapsed();
                    if (l.startsWith(QLatin1String("FIM_LAYOUT")) ||
                        l.startsWith(QLatin1String("REGISTRO 3:")))
                        fim[size_t(i)] = relogio.elapsed();
                };
                args << QStringLiteral("--port") << sims.back()->caminho;
            }
            if (umPorUm) args << QStringLiteral("--one-by-one");
            const Saida s = roda(args);
            QCOMPARE(s.status, 3); // the silent one
            QCOMPARE(s.out.count(QStringLiteral("Gravação do teclado efetuada.")), 2);
            QCOMPARE(s.err.count(QStringLiteral("o teclado não respondeu")), 1);
            QTest::qWait(50);
            for (int i = 0; i < 3; ++i)
                QVERIFY(inicio[size_t(i)] >= 0 && fim[size_t(i)] >= 0);
            const qint64 ultimoInicio = *std::max_element(inicio.begin(), inicio.end());
            const qint64 primeiroFim = *std::min_element(fim.begin(), fim.end());
            // (times as this process reads the emulators' lines, some milliseconds late)
            const QString tempos = QStringLiteral("%1-%2 %3-%4 %5-%6")
                                       .arg(inicio[0])
                                       .arg(fim[0])
                                       .arg(inicio[1])
                                       .arg(fim[1])
                                       .arg(inicio[2])
                                       .arg(fim[2]);
            if (umPorUm)
                QVERIFY2(fim[0] <= inicio[1] && fim[1] <= inicio[2], qPrintable(tempos));
            else
                QVERIFY2(ultimoInicio < primeiroFim,
                         qPrintable(QStringLiteral("%1 %2").arg(ultimoInicio).arg(primeiroFim)));
        }
    }
};

QTEST_MAIN(TesteProg)
#include "test_prog.moc"
