// Real keystrokes on the real window in a private X server with the ABNT2 keymap
// (tests/comum/xvfb.sh), typed by xdotool: what each key assigns, the lock lamps
// following the lock keys within one tick, a key that opens a box, a key held down.
#include "comum/janela_real.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

using namespace vantora;
using namespace vantora::teste;

class TesteTeclasX11 : public QObject {
    Q_OBJECT

  private slots:
    void teclas_reais() {
        JanelaReal j;
        QVERIFY(ativa(j.janela.get()));
        const Tabela& t1 = j->codigos.tabela(1);
        const auto lampadas = [&j] {
            QString s;
            for (int i = 0; i < 3; ++i)
                s += j->shpKeys[i]->FillColor() == VERDE ? '1' : '0';
            return s;
        };
        // digita(X keycode, key of table 1 it fills, code, caption, PC key chosen)
        const auto digita = [&](const char* tecla, int k, int codigo, const char* legenda, int pc) {
            xdo({"key", tecla});
            QTRY_COMPARE(int(t1[k]), codigo);
            QCOMPARE(j->Lbl_TeclaLBtab[k]->caption(), QString::fromUtf8(legenda));
            QCOMPARE(j->Tecla_PC_Atual, pc);
            QCOMPARE(j->Tecla_Atual, k + 1);
        };
        // The lamps follow a lock key within one 250 ms tick, and a little more.
        const auto lampada = [&](const char* tecla, const char* acesas) {
            xdo({"key", tecla});
            QTRY_COMPARE_WITH_TIMEOUT(lampadas(), QString::fromLatin1(acesas), 700);
        };
        QTRY_COMPARE(lampadas(), QStringLiteral("000"));
        QCOMPARE(j->Tecla_Atual, 0);
        digita("38", 0, 65, "A", 61);
        digita("67", 1, 1, "SOH", 2);
        digita("36", 2, 13, "CR", 52);
        digita("79", 3, 55, "7", 56); // numeric pad 7, Num Lock off (KP_Home)
        lampada("77", "100");         // Num Lock on: assigns ETB as well
        QTRY_COMPARE(int(t1[4]), 23);
        digita("79", 5, 55, "7", 56);   // numeric pad 7, Num Lock on (KP_7)
        digita("108", 6, 62, ">", 100); // Alt Gr: one assignment, its Ctrl half is ignored
        digita("97", 7, 63, "?", 90);   // the ABNT "/" key (scan code 73h)
        xdo({"key", "134"});            // Right Windows: not in the catalogue
        QTRY_COMPARE(j->Txt_dado->text(), QStringLiteral("15C000192"));
        QCOMPARE(j->Tecla_Atual, 8);

        // Left Windows, the hidden key without a code: error 13 in a real box; the
        // Enter that answers it assigns nothing, on its press nor on its release.
        QString caixa;
        QTimer operador;
        operador.callOnTimeout([&] {
            auto* b = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!b || !b->isVisible()) return;
            operador.stop();
            caixa = b->text();
            QVERIFY(ativa(b));
            xdo({"key", "Return"});
        });
        operador.start(20);
        xdo({"key", "133"});
        QTRY_COMPARE(caixa, QStringLiteral("Error 13 (Tipos incompatíveis) in procedure Lbl_TeclaLB_Click of "
                                           "Formulário Frm_Grava"));
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QVERIFY(ativa(j.janela.get()));
        QTest::qWait(400);
        QCOMPARE(j->Tecla_Atual, 8);
        QCOMPARE(int(t1[8]), 0);

        lampada("66", "110"); // Caps Lock
        QTRY_COMPARE(int(t1[8]), 123);
        lampada("78", "111"); // Scroll Lock
        lampada("77", "011"); // Num Lock off
        lampada("66", "001"); // Caps Lock off
        lampada("78", "000"); // Scroll Lock off

        // The ABNT "/" key held down: every auto-repeat press chooses key 90 again,
        // and the release once more (the server repeats after 660 ms, 25 times a second).
        const int antes = j->Tecla_Atual;
        xdo({"keydown", "97"});
        QTest::qWait(1200);
        xdo({"keyup", "97"});
        QTest::qWait(500);
        const int depois = j->Tecla_Atual;
        QVERIFY2(depois - antes >= 3, qPrintable(QStringLiteral("%1 -> %2").arg(antes).arg(depois)));
        QCOMPARE(int(std::count(t1.begin(), t1.end(), 63)), depois - antes + 1);
    }
};

QTEST_MAIN(TesteTeclasX11)
#include "teste_teclas_x11.moc"
