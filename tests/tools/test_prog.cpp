// vantora-prog from the outside: each sub-command on sample files and on bad ones
// (exit statuses, messages), and send end-to-end against vantora-sim.
#include "../link/simulador.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

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
        QVERIFY(linhas[1].startsWith(QStringLiteral("  T1  A       B")));
        QVERIFY(s.out.contains(QStringLiteral("Back SP")));
        QVERIFY(s.out.contains(QStringLiteral("Trilha 2, erro de leitura:       10    0    0    0")));
        const Saida csv = roda({QStringLiteral("show"), exemplo(), QStringLiteral("--format"),
                                QStringLiteral("csv"), QStringLiteral("--model"), QStringLiteral("44")});
        QCOMPARE(csv.status, 0);
        const QStringList l = csv.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(l.size(), 1 + 44 + 6);
        QCOMPARE(l[1], QStringLiteral("0,0,0,65,0,0,0,A,,,"));
        QCOMPARE(
            roda({QStringLiteral("show"), exemplo(), QStringLiteral("--model"), QStringLiteral("50")}).status,
            2);
    }

    void arquivos_ruins() {
        const QString outro = variante(dir, QStringLiteral("outro.key"),
                                       {{QStringLiteral("Tipo=Vantora"), QStringLiteral("Tipo=vantora")}});
        const QString faltando = variante(
            dir, QStringLiteral("faltando.key"),
            {{QStringLiteral("[Tab2]\r\nT0=0\r\nT1=0\r\nT2=0\r\nT3=0\r\nT4=0\r\nT5=0\r\nT6=0\r\nT7=0\r\n"),
              QStringLiteral("[Tab2]\r\nT0=0\r\nT1=0\r\nT2=0\r\nT3=0\r\nT4=0\r\nT5=0\r\nT6=0\r\n")}});
        for (const char* cmd : {"show", "send", "legend"}) {
            QStringList extra;
            if (QByteArray(cmd) == "legend")
                extra = {QStringLiteral("-o"), dir.filePath(QStringLiteral("x.pdf"))};
            const Saida a = roda(QStringList{QString::fromLatin1(cmd), outro} + extra);
            QCOMPARE(a.status, 2);
            QVERIFY2(a.err.contains(QStringLiteral("Arquivo referente a outro teclado")), qPrintable(a.err));
            const Saida b =
                roda(QStringList{QString::fromLatin1(cmd), dir.filePath(QStringLiteral("nada.key"))} + extra);
            QCOMPARE(b.status, 2);
            QVERIFY(b.err.contains(QStringLiteral("arquivo não encontrado")));
            const Saida c = roda(QStringList{QString::fromLatin1(cmd), dir.path()} + extra);
            QCOMPARE(c.status, 2);
        }
        const Saida f = roda({QStringLiteral("show"), faltando});
        QCOMPARE(f.status, 2);
        QVERIFY2(f.err.contains(QStringLiteral("erro 13")), qPrintable(f.err));
    }

    void check() {
        const Saida limpo = roda({QStringLiteral("check"), exemplo()});
        QCOMPARE(limpo.status, 0);
        QVERIFY(limpo.out.contains(QStringLiteral("sem problemas")));

        const QString ruim = variante(
            dir, QStringLiteral("ruim.key"),
            {{QStringLiteral("Tipo=Vantora"), QStringLiteral("Tipo=Outro")},
             {QStringLiteral("ProtDisp=0"), QStringLiteral("ProtDisp=5")},
             {QStringLiteral("[Tab1]\r\nT0=65"), QStringLiteral("[Tab1]\r\nT0=300")},
             {QStringLiteral("[Tab3]\r\nT0=0\r\nT1=0"), QStringLiteral("[Tab3]\r\nT0=0\r\nT1=abc")},
             {QStringLiteral("[Tab2]\r\nT0=0\r\nT1=0\r\nT2=0\r\nT3=0\r\nT4=0\r\nT5=0\r\nT6=0\r\nT7=0\r\n"),
              QStringLiteral("[Tab2]\r\nT0=0\r\nT1=0\r\nT2=0\r\nT3=0\r\nT4=0\r\nT5=0\r\nT6=0\r\n")},
             {QStringLiteral("Prot=1\r\n"), QStringLiteral("Prot=1\r\nCor=azul\r\n")}});
        const Saida s = roda({QStringLiteral("check"), ruim});
        QCOMPARE(s.status, 1);
        const auto tem = [&](const QString& trecho) {
            if (!s.out.contains(trecho)) qWarning("%s", qPrintable(s.out));
            return s.out.contains(trecho);
        };
        QVERIFY(tem(ruim + QStringLiteral(":2: [Teclado] Tipo: o tipo é \"Outro\"")));
        QVERIFY(tem(ruim + QStringLiteral(":4: [Teclado] Cor: opção desconhecida")));
        QVERIFY(tem(ruim + QStringLiteral(":5: [Teclado] ProtDisp: valor 5 fora de 0, 1 e 2")));
        QVERIFY(tem(ruim + QStringLiteral(":8: [Tab1] T0: código 300 fora de 0 a 255")));
        QVERIFY(tem(QStringLiteral("[Tab2] T7: ausente: a janela não abre o arquivo (erro 13)")));
        QVERIFY(tem(QStringLiteral("[Tab3] T1: \"abc\" não é um número")));
        QVERIFY(tem(QStringLiteral("6 problema(s)")));
        QCOMPARE(roda({QStringLiteral("check"), dir.filePath(QStringLiteral("nada.key"))}).status, 2);
    }

    void legend() {
        const QString pdf = dir.filePath(QStringLiteral("l.pdf"));
        const Saida a = roda({QStringLiteral("legend"), exemplo(), QStringLiteral("-o"), pdf});
        QCOMPARE(a.status, 0);
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().startsWith("%PDF"));
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

    void send() {
        Simulador a;
        Simulador b;
        QVERIFY(!a.caminho.isEmpty() && !b.caminho.isEmpty());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VANTORA_EXTRA_PORTS"), QStringLiteral("91=") + b.caminho);
        // One by path, one by its number.
        const Saida s = roda({QStringLiteral("send"), exemplo(), QStringLiteral("--port"), a.caminho,
                              QStringLiteral("--port"), QStringLiteral("91"), QStringLiteral("--speed"),
                              QStringLiteral("9600")},
                             env);
        QCOMPARE(s.status, 0);
        QCOMPARE(s.out.count(QStringLiteral("Gravação do teclado efetuada.")), 2);
        QVERIFY(a.espera(QStringLiteral("FIM_LAYOUT")));
        QVERIFY(b.espera(QStringLiteral("FIM_LAYOUT")));
        QCOMPARE(teclasRecebidas(a), teclasDoExemplo());
        QCOMPARE(teclasRecebidas(b), teclasDoExemplo());
        // What the window would send: box 0 of the read-error rows shows the default 10.
        QVERIFY(a.tem(QStringLiteral("SENTINELA 68 10 0 0 0")));
        QVERIFY(a.tem(QStringLiteral("SENTINELA 66 59 0 0 0")));
        QVERIFY(a.tem(QStringLiteral("OPCOES 0")));
    }

    void send_recusado_e_erros() {
        Simulador recusa({QStringLiteral("--rejeita"), QStringLiteral("6")});
        const Saida r = roda({QStringLiteral("send"), exemplo(), QStringLiteral("--port"), recusa.caminho});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains(QStringLiteral("Erro de comunicação com o teclado")));
        QVERIFY(!recusa.tem(QStringLiteral("FIM_LAYOUT")));

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

        const Saida p =
            roda({QStringLiteral("send"), exemplo(), QStringLiteral("--port"), QStringLiteral("31999")});
        QCOMPARE(p.status, 2);
        QVERIFY(p.err.contains(QStringLiteral("porta não encontrada")));
        QCOMPARE(roda({QStringLiteral("send"), exemplo(), QStringLiteral("--speed"), QStringLiteral("1200")})
                     .status,
                 2);

        // The keyboard hangs up after a few records.
        Simulador cai({QStringLiteral("--desliga"), QStringLiteral("5")});
        const Saida c = roda({QStringLiteral("send"), exemplo(), QStringLiteral("--port"), cai.caminho});
        QCOMPARE(c.status, 2);
        QVERIFY2(c.err.contains(QStringLiteral("não foi gravado por completo")), qPrintable(c.err));
    }
};

QTEST_MAIN(TesteProg)
#include "test_prog.moc"
