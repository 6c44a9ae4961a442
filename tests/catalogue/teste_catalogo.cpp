// The key catalogue: how a key report finds its on-screen key, and the on-screen PC
// keyboard laid out from it.
#include "comum/falsos.h"

#include "catalogue/catalogo.h"

#include <QtTest>

using namespace vantora;

class TesteCatalogo : public QObject {
    Q_OBJECT
    Catalogo cat;

  private slots:
    void initTestCase() { cat.preenche(); }

    // How an identifier finds its key: pressed as released, by the alternative
    // identifier, Enter's upper half, Home apart from the numeric-pad 7, a marker never.
    // (The keys of the ABNT2 keyboard by their release: teste_captura.)
    void localiza() {
        const QList<QPair<QString, int>> casos = {
            {"003B0001112", 2}, {"C00E00018", 31}, {"C01C000113", 52}, {"C147000136", 33}, {"0", 0}};
        for (const auto& [id, tecla] : casos)
            QCOMPARE(cat.localiza(id), tecla);
    }

    // The caption of every on-screen key is what the caption rule gives for its code.
    void legendas_seguem_a_regra() {
        for (int k = 1; k <= 108; ++k) {
            if (k == 105) // folded away; its caption is never seen
                continue;
            QCOMPARE(cat.Legenda_TeclaLB[k - 1], legenda_codigo(cat.Codigo_TeclaLB[k].toInt(), cat));
        }
    }

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
