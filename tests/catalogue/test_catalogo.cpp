// The key catalogue: identifiers, lookup rules, codes and captions, and the layout
// pass of the on-screen PC keyboard.
#include "comum/falsos.h"

#include "catalogue/catalogo.h"

#include <QtTest>

using namespace vantora;

class TesteCatalogo : public QObject {
    Q_OBJECT
    Catalogo cat;

  private slots:
    void initTestCase() { cat.preenche(); }

    void localiza_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("tecla");
        QTest::newRow("F1 released") << "C03B0001112" << 2;
        QTest::newRow("F1 pressed") << "003B0001112" << 2;
        QTest::newRow("key 7D auto-repeat") << "407D0001255" << 30;
        QTest::newRow("key 7D released") << "C07D0001255" << 30;
        QTest::newRow("Backspace via alternate") << "C00E00018" << 31;
        QTest::newRow("pad 7 Num Lock off") << "C047000136" << 56;
        QTest::newRow("pad 7 Num Lock on") << "C0470001103" << 56;
        QTest::newRow("Alt with context bit") << "E038000118" << 98;
        QTest::newRow("Alt without context bit") << "C038000118" << 98;
        QTest::newRow("Enter is the upper half") << "C01C000113" << 52;
        QTest::newRow("pad Enter is the upper half") << "C11C000113" << 96;
        QTest::newRow("Right Windows not in catalogue") << "C15C000192" << 0;
        QTest::newRow("Left Windows hidden key") << "C15B000191" << 109;
        QTest::newRow("Menu hidden key") << "C15D000193" << 111;
        QTest::newRow("Print Screen variant") << "C001000144" << 14;
        QTest::newRow("Right Shift variant") << "C136000116" << 91;
        QTest::newRow("ABNT / key") << "40730001193" << 90;
        QTest::newRow("pad separator Num Lock on") << "407E0001108" << 77;
        QTest::newRow("Home nav is not pad 7") << "C147000136" << 33;
        QTest::newRow("Y") << "C015000189" << 45;
        QTest::newRow("N") << "C031000178" << 85;
        QTest::newRow("marker 0 never matches") << "0" << 0;
        QTest::newRow("marker 1 never matches") << "1" << 0;
        QTest::newRow("one char differs in code") << "C03B0001113" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("prefix only") << "C03B000111" << 0;
    }
    void localiza() {
        QFETCH(QString, id);
        QFETCH(int, tecla);
        QCOMPARE(cat.localiza(id), tecla);
    }

    // Every identifier of the catalogue finds its own key, except where a lower key
    // carries the same one (the lower halves of the two Enter keys).
    void cada_identificador_acha_a_tecla() {
        for (const LinhaCatalogo& l : LINHAS_CATALOGO) {
            for (const char* id : {l.identificador, l.alternativo}) {
                if (!id || QByteArray(id).size() < 2) continue;
                const int esperado = l.tecla == 73 ? 52 : l.tecla == 108 ? 96 : l.tecla;
                QCOMPARE(cat.localiza(QString::fromLatin1(id)), esperado);
            }
        }
    }

    void tabelas() {
        QCOMPARE(cat.Codigo_TeclaLB[0], QStringLiteral("0"));
        QCOMPARE(cat.Codigo_TeclaLB[2], QStringLiteral("1"));
        QCOMPARE(cat.Codigo_TeclaLB[39], QStringLiteral("11")); // Tab assigns 11 ("Tab"); F8 assigns 9
        QCOMPARE(cat.Codigo_TeclaLB[9], QStringLiteral("9"));
        QCOMPARE(cat.Codigo_TeclaLB[70], QStringLiteral("199"));
        QVERIFY(cat.Codigo_TeclaLB[109].isEmpty());
        QVERIFY(cat.Codigo_TeclaLB[111].isEmpty());
        QCOMPARE(cat.Legenda_TeclaLB[16], QStringLiteral("\""));
        QCOMPARE(cat.Legenda_TeclaLB[78], QStringLiteral("\\"));
        QCOMPARE(cat.Legenda_TeclaLB[22], QStringLiteral("¨"));
        QCOMPARE(cat.Id_TeclaPC[30], QStringLiteral("1"));
        QCOMPARE(cat.Id_TeclaPC[109], QStringLiteral("0"));
        for (int i : {104, 108, 109, 110})
            QCOMPARE(cat.Id_TeclaPC_Alt[i], QStringLiteral("0"));
        QCOMPARE(cat.Nome_Codigo[0], QString());
        QCOMPARE(cat.Nome_Codigo[9], QStringLiteral("HTAB"));
        QCOMPARE(cat.Nome_Codigo[11], QStringLiteral("Tab"));
        QCOMPARE(cat.Nome_Codigo[27], QStringLiteral("ESC"));
    }

    // The caption of every on-screen key is what the caption rule gives for its code.
    void legendas_seguem_a_regra() {
        for (int k = 1; k <= 108; ++k) {
            if (k == 105) // folded away; its caption is never seen
                continue;
            const int c = cat.Codigo_TeclaLB[k].toInt();
            QCOMPARE(cat.Legenda_TeclaLB[k - 1], legenda_codigo(c, cat));
        }
    }

    void layout_do_teclado_na_janela() {
        teste::JanelaDeTeste j;
        QCOMPARE(j->Lbl_TeclaLB[2]->caption(), QStringLiteral("SOH"));
        QCOMPARE(j->Lbl_TeclaLB[1]->caption(), QStringLiteral("ESC"));
        QCOMPARE(j->Lbl_TeclaLB[99]->caption(), QStringLiteral("Space"));
        QCOMPARE(j->Lbl_TeclaLB[17]->caption(), QStringLiteral("\""));
        QCOMPARE(j->Lbl_TeclaLB[0]->caption(), QString());
        QCOMPARE(j->Lbl_TeclaLB[109]->caption(), QStringLiteral("Iniciar"));
        QCOMPARE(j->Lbl_TeclaLB[111]->caption(), QStringLiteral("Atalho"));
        QVERIFY(!j->Lbl_TeclaLB[110]);
        // The numeric-pad 0 is one wide key.
        QVERIFY(j->Lbl_TeclaLB[105]->isHidden());
        QVERIFY(j->Sp_TeclaLB[105]->isHidden());
        QCOMPARE(j->Lbl_TeclaLB[106]->retanguloTwips().x(), 8220);
        QCOMPARE(j->Lbl_TeclaLB[106]->retanguloTwips().width(), 810);
        QCOMPARE(j->Sp_TeclaLB[106]->retanguloTwips().x(), 8220);
        QCOMPARE(j->Sp_TeclaLB[106]->retanguloTwips().width(), 810);
        for (int k : {109, 111}) {
            QVERIFY(j->Lbl_TeclaLB[k]->isHidden());
            QVERIFY(j->Sp_TeclaLB[k]->isHidden());
        }
        int visiveis = 0;
        for (auto* l : j->Lbl_TeclaLB)
            visiveis += l && !l->isHidden();
        QCOMPARE(visiveis, 108); // 0..108 less the folded 105
        // "Sem Código" lies exactly over key 0.
        QCOMPARE(j->Lbl_TeclaLBnula->geometry(), j->Lbl_TeclaLB[0]->geometry());
        QCOMPARE(j->Lbl_TeclaLBnula->text(), QStringLiteral("Sem Código"));
    }

    // Rows and sizes of the on-screen keyboard; no two visible keys overlap, and
    // everything lies inside the window.
    void geometria() {
        teste::JanelaDeTeste j;
        const std::array<std::pair<int, int>, 6> linhas = {
            {{3510, 1}, {4050, 17}, {4575, 39}, {5100, 60}, {5625, 78}, {6150, 97}}};
        for (auto [topo, primeira] : linhas)
            QCOMPARE(j->Lbl_TeclaLB[primeira]->retanguloTwips().y(), topo);
        QCOMPARE(j->Lbl_TeclaLB[99]->retanguloTwips().width(), 2790);
        QCOMPARE(j->Lbl_TeclaLB[60]->retanguloTwips().width(), 705);
        QCOMPARE(j->Lbl_TeclaLB[52]->retanguloTwips().y(), 4575); // Enter: 52 over 73
        QCOMPARE(j->Lbl_TeclaLB[73]->retanguloTwips().y(), 5100);
        QRect janela(0, 0, 10035, 6705);
        for (int a = 0; a <= 108; ++a) {
            auto* la = j->Lbl_TeclaLB[a];
            if (!la || la->isHidden()) continue;
            QVERIFY2(janela.contains(la->retanguloTwips()), qPrintable(QString::number(a)));
            for (int b = a + 1; b <= 108; ++b) {
                auto* lb = j->Lbl_TeclaLB[b];
                if (lb && !lb->isHidden())
                    QVERIFY2(!la->retanguloTwips().intersects(lb->retanguloTwips()),
                             qPrintable(QStringLiteral("%1 %2").arg(a).arg(b)));
            }
        }
    }
};

QTEST_MAIN(TesteCatalogo)
#include "test_catalogo.moc"
