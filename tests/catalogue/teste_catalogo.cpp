// The on-screen PC keyboard laid out from the key catalogue (the catalogue itself:
// teste_nucleo).
#include "comum/falsos.h"

#include <QtTest>

using namespace vantora;

class TesteCatalogo : public QObject {
    Q_OBJECT

  private slots:
    // In the window: the numeric-pad 0 is one wide key, the hidden keys stay hidden,
    // "Sem Código" lies over key 0, no two visible keys overlap and all lie inside.
    void teclado_na_janela() {
        teste::JanelaDeTeste j;
        QCOMPARE(j.pc->Lbl_TeclaLB[106]->retanguloTwips(), j.pc->Sp_TeclaLB[106]->retanguloTwips());
        QCOMPARE(j.pc->Lbl_TeclaLB[106]->retanguloTwips().width(), 810);
        for (int k : {105, 109, 111})
            QVERIFY(j.pc->Lbl_TeclaLB[k]->isHidden() && j.pc->Sp_TeclaLB[k]->isHidden());
        QCOMPARE(j.pc->Lbl_TeclaLBnula->geometry(), j.pc->Lbl_TeclaLB[0]->geometry());
        const QRect janela(0, 0, 10035, 6705);
        int visiveis = 0;
        for (int a = 0; a <= 108; ++a) {
            auto* la = j.pc->Lbl_TeclaLB[a];
            if (!la || la->isHidden()) continue;
            ++visiveis;
            QVERIFY2(janela.contains(la->retanguloTwips()), qPrintable(QString::number(a)));
            for (int b = a + 1; b <= 108; ++b) {
                auto* lb = j.pc->Lbl_TeclaLB[b];
                if (lb && !lb->isHidden())
                    QVERIFY2(!la->retanguloTwips().intersects(lb->retanguloTwips()),
                             qPrintable(QStringLiteral("%1 %2").arg(a).arg(b)));
            }
        }
        QCOMPARE(visiveis, 108); // 0..108 less the folded 105
    }
};

QTEST_MAIN(TesteCatalogo)
#include "teste_catalogo.moc"
