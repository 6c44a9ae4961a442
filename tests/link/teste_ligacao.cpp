// The keyboard link end to end: the window on one side of a pseudo-terminal,
// vantora-sim answering like the keyboard on the other.
#include "comum/emulador.h"
#include "comum/falsos.h"
#include "link/gravacao.h"

#include <QAction>
#include <QGroupBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <numeric>

using namespace vantora;
using namespace vantora::teste;

namespace {

constexpr int PORTA = 250; // the emulator's port, through VANTORA_EXTRA_PORTS

// The emulator, and the window on the machine's own inventory, which reads
// VANTORA_EXTRA_PORTS at every listing, and the real port opener; the stored port
// setting names the emulator's port.
struct ComEmulador {
    Emulador sim;
};
struct JanelaLigacao : ComEmulador, JanelaDeTeste {
    explicit JanelaLigacao(const QStringList& argumentos = {})
        : ComEmulador{Emulador(argumentos)}, JanelaDeTeste([this](JanelaDeTeste& j) {
              static const auto sistema = criaInventarioSistema();
              static AberturaPortasQt abertura(*sistema);
              qputenv("VANTORA_EXTRA_PORTS",
                      QStringLiteral("%1=%2").arg(PORTA).arg(sim.caminho).toLocal8Bit());
              j.servicos.inventario = sistema.get();
              j.servicos.portas = &abertura;
              j.configuracao.valores[QStringLiteral("Sistema/Serial")] = QString::number(PORTA);
          }) {}
};

// What an exchange holds off, one digit each, 1 where it stands as at rest: capture,
// the sending frame, the blinking, Open, Save, New, serial capture, Send, the exchange.
QString repouso(const JanelaDeTeste& j) {
    const auto& m = j->menu();
    QString r;
    for (const bool b :
         {!j.cap->suspensa(), j.controle<QGroupBox>(QStringLiteral("Frm_Envia"))->isHidden(),
          j.controle<QTimer>(QStringLiteral("Tmr_POSICAO"))->isActive(), m.mnu_Abrir->isEnabled(),
          m.mnuSalvar->isEnabled(), m.mnuNovo->isEnabled(), m.mnu_ativa_serial->isEnabled(),
          j.controle<QPushButton>(QStringLiteral("Cmd_Grava_Teclado"))->isEnabled(),
          !j.lig->gravacao_em_curso()})
        r += b ? '1' : '0';
    return r;
}

// The state every way out of an exchange leaves behind: the 1 ms timers asked for
// during it (on Windows) let go too.
void confere_ocioso(const JanelaDeTeste& j) {
    QCOMPARE(repouso(j), QStringLiteral("111111111"));
    QVERIFY(!j.lig->MSComm1->PortOpen());
    QCOMPARE(ResolucaoTimer::pedidos(), 0);
}

// The send command, which returns at once; the exchange goes on while the window runs.
void envia(const JanelaDeTeste& j) {
    j.controle<QPushButton>(QStringLiteral("Cmd_Grava_Teclado"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(!j.lig->gravacao_em_curso(), 60000);
}

const QString SUCESSO = QStringLiteral("Gravação do teclado efetuada.");

} // namespace

class TesteLigacao : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        if (!QFileInfo::exists(QStringLiteral(VANTORA_SIM)))
            QSKIP("no vantora-sim: the Windows build's tests use the Linux build's (build/)");
    }

    // A keyboard answering after noise (06 FA FE) gets 433 bytes, each record once and
    // in order, decoding to the layout opened just as vantora-prog sends it, at the speed
    // chosen; record 5, which it leaves unanswered, is accepted by a "Y" typed on the PC
    // as by the keyboard's "5"; the flags record carries the three option boxes as
    // they stand after the sentinel records: no authorisation, NORVA greyed but ticked
    // during them, BNC greyed (no bit). While the records go out every command that
    // would disturb them is off and a second click starts nothing; the sending frame
    // lies above every control.
    void gravacao_completa() {
        QTemporaryDir dir;
        const QString key = dir.filePath(QStringLiteral("recebido.key"));
        JanelaLigacao j({"--saida", key, "--ruido", "--silencia", "1", "--a-partir", "5"});
        j.dialogo.respostas = {QStringLiteral(VANTORA_EXEMPLOS "/mercado.key")};
        j.arq->mnu_Abrir_Click();
        j.controle<QRadioButton>(indexado("Opt_9600", 0))
            ->setChecked(true); // 9600, not the 57600 the window starts with
        for (int c = 0; c < QTD_OPCOES; ++c)
            Editor::define_caixa(j.opcao(size_t(c)), c == 0 ? 0 : 2);
        QString suspensos;
        QStringList por_cima;
        j.sim.aoLer = [&](const QString& l) {
            if (l.startsWith(QLatin1String("REGISTRO 5:"))) emit j.cap->resposta(45);
            if (l.startsWith(QLatin1String("REGISTRO 10:"))) {
                suspensos = repouso(j) + QString::number(ResolucaoTimer::pedidos());
                QTimer::singleShot(0, j.lig, [&j] {
                    j.lig->Cmd_Grava_Teclado_Click(); // ignored
                    j.lig->mnu_ativa_serial_Click();  // ignored
                });
            }
            if (!l.startsWith(QLatin1String("REGISTRO 66:"))) return;
            j.opcao(1)->setChecked(true);
            // What a click or a paint finds at the frame's corners and on the PC keys row.
            const auto* quadro = j.controle<QGroupBox>(QStringLiteral("Frm_Envia"));
            const QRect r = quadro->geometry();
            for (const QPoint& p :
                 {r.bottomLeft() + QPoint(8, -8), r.bottomRight() - QPoint(8, 8), r.center()}) {
                QWidget* achado = j->centralWidget()->childAt(p);
                if (achado != quadro && !quadro->isAncestorOf(achado))
                    por_cima << (achado ? achado->objectName() : QStringLiteral("-"));
            }
        };
        envia(j);

        QCOMPARE(suspensos, QStringLiteral("0000000001"));
        QCOMPARE(por_cima, QStringList{});
        QCOMPARE(j.mensagens.textos(), QStringList{SUCESSO});
        QCOMPARE(j.mensagens.vistas[0].icone, Icone::Informacao);
        QVERIFY(j.sim.espera(QStringLiteral("FIM_LAYOUT")));
        QList<int> ordem(72); // key records 1..65, sentinel records 66..71, the flags record (0)
        std::iota(ordem.begin(), ordem.end() - 1, 1);
        QCOMPARE(j.sim.indices(), ordem);
        const QString esperado =
            QString::fromUtf8(le_bytes(qEnvironmentVariable("VANTORA_DADOS") + "/prog_send.txt"))
                .replace("OPCOES 0", "OPCOES 3")         // authorisation refused, NORVA
                .replace("TECLA 05 69 ", "TECLA 05 0 "); // the keyboard kept no record it left unanswered
        const QStringList& linhas = j.sim.linhas;
        const qsizetype fim = linhas.indexOf("FIM");
        QStringList recebido = linhas.mid(fim, linhas.indexOf("FIM_LAYOUT") + 1 - fim);
        QCOMPARE(recebido.removeAll("GRAVADO " + key), 1);
        QCOMPARE(recebido, esperado.split('\n', Qt::SkipEmptyParts));
        QCOMPARE(j.controle<QProgressBar>(QStringLiteral("PBar"))->value(), 73);
        confere_ocioso(j);
        // The emulator's layout file holds what arrived.
        QVERIFY(le_bytes(key).contains("[Tab1]\r\nT0=65\r\n"));
    }

    // A keyboard whose refusal of record 1 comes after the wait, sent it three times: the
    // exchange is abandoned without the flags record or the end command, one message
    // says so, nothing more afterwards, and the window is at rest again. A late answer
    // goes to no other record: the refusal of record 30 once went to record 31, and the
    // window said done. (Every way an exchange ends, on a virtual clock: teste_troca;
    // silent, refused part-way and a line hung up, on a pty: teste_ferramentas, through
    // the same serial driver.)
    void gravacao_interrompida() {
        JanelaLigacao j({"--atraso", "600", "--rejeita", "1", "--a-partir", "30"});
        envia(j);
        QTest::qWait(100); // anything still on its way arrives
        QCOMPARE(j.mensagens.textos(), QStringList{QStringLiteral("Erro de comunicação com o teclado")});
        QCOMPARE(j.mensagens.vistas[0].icone, Icone::Exclamacao);
        QCOMPARE(j.mensagens.vistas[0].titulo, QStringLiteral("Grava Dados Teclado"));
        QCOMPARE(j.sim.indices(), QList<int>(3, 1));
        QVERIFY(!j.sim.tem(QStringLiteral("FIM")));
        QCOMPARE(j.controle<QProgressBar>(QStringLiteral("PBar"))->value(), 0);
        confere_ocioso(j);
    }

    // Capture opens the port and stores it. Bytes arriving outside an exchange become
    // codes of the selected key, "5" and "1" too; the command again at the same settings
    // keeps the port; an exchange then uses that port and closes it (no byte reaches a
    // closed port). Capture on again, the line goes away: reported once, indicator
    // white, port closed. (A port another program holds: teste_ferramentas on a pty,
    // the window's word for it in teste_portas.)
    void captura_serial() {
        JanelaLigacao j;
        j.configuracao.valores.clear();
        j.lig->mnu_ativa_serial_Click();
        QCOMPARE(j.controle<Forma>(QStringLiteral("Shp_Captura_serial"))->FillColor(), 0x8000u);
        QCOMPARE(j.configuracao.valores.value(QStringLiteral("Sistema/Serial")), QString::number(PORTA));
        j.doc->escolhe_tecla(3);
        j.sim.comando(QStringLiteral("envia 41 35 31 00"));
        QTRY_COMPARE(int(j.doc->tecla()), 7);
        const auto& t1 = j.doc->layout().tabela(1);
        QCOMPARE((QList<int>{t1[3], t1[4], t1[5], t1[6]}), (QList<int>{65, 53, 49, 0}));
        j.lig->mnu_ativa_serial_Click();
        j.sim.comando(QStringLiteral("envia 0d"));
        QTRY_COMPARE(int(t1[7]), 13);

        envia(j);
        QCOMPARE(j.controle<Forma>(QStringLiteral("Shp_Captura_serial"))->FillColor(), BRANCO);
        confere_ocioso(j);

        j.lig->mnu_ativa_serial_Click();
        j.sim.comando(QStringLiteral("desliga"));
        QTRY_VERIFY(!j.lig->MSComm1->PortOpen());
        QTest::qWait(100);
        QCOMPARE(j.mensagens.textos(),
                 (QStringList{SUCESSO, "A porta serial deixou de responder (adaptador desconectado?). A "
                                       "captura serial foi desligada."}));
        QCOMPARE(j.controle<Forma>(QStringLiteral("Shp_Captura_serial"))->FillColor(), BRANCO);
    }

    // "Sair" while records go out: the exchange stops at once, says nothing more, and
    // closes the port. The keyboard is slow to answer, so that Sair comes while records
    // still go out however late this process hears of record 5; one more may be on the wire.
    void sair_no_meio() {
        JanelaLigacao j({"--atraso", "200"});
        qsizetype vistos = -1;
        j.sim.aoLer = [&](const QString& l) {
            if (!l.startsWith(QLatin1String("REGISTRO 5:"))) return;
            vistos = j.sim.indices().size();
            j->mnuSair_Click();
        };
        envia(j);
        QVERIFY(j.mensagens.vistas.empty());
        QVERIFY(!j.lig->MSComm1->PortOpen());
        QCOMPARE(ResolucaoTimer::pedidos(), 0);
        QTest::qWait(500);
        QVERIFY2(vistos > 0 && j.sim.indices().size() <= vistos + 1, qPrintable(QString::number(vistos)));
    }
};

QTEST_MAIN(TesteLigacao)
#include "teste_ligacao.moc"
