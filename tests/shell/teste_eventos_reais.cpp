// The real window under a real X server (tests/comum/xvfb.sh), driven by xdotool:
// keys that close the real Qt dialogs, focus that moves away with a key held, wheel
// turns, double-clicks and clicks on check boxes. Each case checks that the layout
// took nothing it should not have, and that the next ordinary key still assigns.
#include "comum/janela_real.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace vantora;
using namespace vantora::teste;

class TesteEventosReais : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

  private slots:
    // A key that closes a dialog (on its press) comes up in the window: nothing is
    // assigned, on the press nor on the release.
    void tecla_que_fecha_dialogo_data() {
        QTest::addColumn<QString>("comando");
        QTest::addColumn<QString>("tecla");
        QTest::newRow("Salvar aceito com Enter") << "salvar"
                                                 << "Return";
        QTest::newRow("Abrir cancelado com Esc") << "abrir"
                                                 << "Escape";
        QTest::newRow("sobrescrever respondido com Enter") << "sobrescrever"
                                                           << "Return";
        QTest::newRow("caixa de erro fechada com Enter") << "erro"
                                                         << "Return";
    }
    void tecla_que_fecha_dialogo() {
        QFETCH(QString, comando);
        QFETCH(QString, tecla);
        JanelaReal j;
        QVERIFY(ativa(j.janela.get()));
        j->Lbl_TeclaLBtab_Click(20);
        const QList<int> antes = j.teclas();
        const QString arquivo = dir_.filePath(comando + ".key");
        if (comando == "sobrescrever") QVERIFY(QFile(arquivo).open(QIODevice::WriteOnly));
        // While the command runs its dialogs: file dialogs get the name; the last
        // dialog gets the key pressed down, and it goes up once the window has the
        // keyboard again, as when the operator lets go a moment later.
        QTimer operador;
        QWidget* respondido = nullptr;
        connect(&operador, &QTimer::timeout, this, [&] {
            QWidget* d = QApplication::activeModalWidget();
            if (!d || d == respondido || !d->isVisible()) return;
            respondido = d;
            if (auto* fd = qobject_cast<QFileDialog*>(d)) {
                fd->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(arquivo);
                if (comando == "sobrescrever") {
                    QTimer::singleShot(0, fd, [fd] { static_cast<QDialog*>(fd)->accept(); });
                    return;
                }
            }
            operador.stop();
            QVERIFY(ativa(d));
            xdo({"keydown", tecla});
        });
        operador.start(20);
        if (comando == "abrir")
            j->mnu_Abrir_Click();
        else if (comando == "erro")
            j->Lbl_TeclaLB_Click(109); // the hidden key without a code: error 13
        else
            j->mnuSalvar_Click();
        QVERIFY(respondido);
        QVERIFY(ativa(j.janela.get()));
        xdo({"keyup", tecla});
        QTest::qWait(300);
        QCOMPARE(j.teclas(), antes);
        QCOMPARE(int(j->Tecla_Atual), 20);
        if (comando != "abrir") QVERIFY(QFileInfo(arquivo).size() > 0 || comando == "erro");
        j.confere_tecla_ordinaria();
    }

    // Alt pressed in the window and let go while another program has the keyboard:
    // afterwards the left Ctrl key is chosen again and releases carry no Alt.
    void alt_solto_fora_da_janela() {
        JanelaReal j;
        QVERIFY(ativa(j.janela.get()));
        j->Lbl_TeclaLBtab_Click(30);
        xdo({"keydown", "Alt_L"});
        QTest::qWait(100);
        xdo({"mousemove", "--sync", "1020", "760"});
        const QString raiz = [] {
            QProcess p;
            p.start(QStringLiteral("xdotool"), {"search", "--maxdepth", "0", "--name", ""});
            p.waitForFinished();
            return QString::fromLatin1(p.readAllStandardOutput()).split('\n').value(0);
        }();
        xdo({"windowfocus", raiz});
        QTRY_VERIFY(QApplication::activeWindow() == nullptr);
        xdo({"keyup", "Alt_L"});
        QTest::qWait(100);
        aponta(j.janela.get());
        QVERIFY(ativa(j.janela.get()));
        xdo({"key", "Control_L"});
        QTRY_COMPARE(int(j->Tecla_Atual), 31);
        QCOMPARE(int(j->Tecla_PC_Atual), j->padroes.localiza(QStringLiteral("C01D000117")));
        j.confere_tecla_ordinaria();
    }

    // The mouse the window should not take: the wheel over the tabs, the second
    // press of a double-click, the grey state of a box the operator clicks.
    void mouse() {
        JanelaReal j;
        QVERIFY(ativa(j.janela.get()));
        j->Lbl_TeclaLBtab_Click(12);
        aponta(j->TabStrip->tabBar());
        for (const char* botao : {"5", "5", "5", "5", "4"})
            xdo({"click", botao});
        QTest::qWait(200);
        QCOMPARE(j->aba_atual(), 1);
        QCOMPARE(int(j->Tecla_Atual), 12);
        QVERIFY(j->captura_instalada());

        aponta(j->Lbl_TeclaLB[61]); // "A"
        xdo({"click", "--repeat", "2", "--delay", "60", "1"});
        QTRY_COMPARE(int(j->codigos.Codigos_Tab1[12]), 65);
        QTest::qWait(200);
        QCOMPARE(int(j->Tecla_Atual), 13);
        QCOMPARE(int(j->codigos.Codigos_Tab1[13]), 0);

        Frm_Grava::define_caixa(j->Chk_Prot44serial, 2);
        aponta(j->Chk_Prot44serial, {8, j->Chk_Prot44serial->height() / 2});
        QList<int> estados;
        for (int i = 0; i < 3; ++i) {
            xdo({"click", "1"});
            QTest::qWait(150);
            estados << Frm_Grava::valor_caixa(j->Chk_Prot44serial);
        }
        QCOMPARE(estados, (QList<int>{1, 0, 1}));
    }
};

QTEST_MAIN(TesteEventosReais)
#include "teste_eventos_reais.moc"
