// The layout editor in the window: start-up state, selection and blink, table
// switching and the card-reader page, code assignment with captions and tooltips,
// the 44-key view, New, and the error trap.
#include "comum/falsos.h"

#include "editor/conversao.h"
#include "editor/tabelas.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

using namespace vantora;
using teste::JanelaDeTeste;

namespace {
// Clicks a control as the operator would.
void clica(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

QStringList textosSentinelas(Frm_Grava& j) {
    QStringList l;
    for (auto* linha : j.linhas_sentinela())
        for (auto* caixa : *linha)
            l << caixa->text();
    return l;
}
} // namespace

class TesteEditor : public QObject {
    Q_OBJECT

  private slots:
    void estado_inicial() {
        JanelaDeTeste j;
        QCOMPARE(j->windowTitle(), QStringLiteral("Corvalo USB/Serial"));
        QCOMPARE(j->Tecla_Atual, 0);
        QCOMPARE(j->Tecla_PC_Atual, 0);
        QCOMPARE(j->aba_atual(), 1);
        QCOMPARE(j->Lbl_tab->caption(), QStringLiteral("1"));
        QVERIFY(!j->Frame[0]->isHidden());
        QVERIFY(j->Frame[2]->isHidden());
        QVERIFY(j->Frm_Envia->isHidden());
        QVERIFY(j->Opt_9600[1]->isChecked());
        QVERIFY(!j->Opt_9600[0]->isChecked());
        QVERIFY(!j->Chk_Tec44->isChecked());
        QVERIFY(j->Chk_Autoriza_prot->isChecked());
        QVERIFY(j->Chk_Autoriza_prot->isHidden());
        QVERIFY(j->Txt_dado->isHidden());
        QVERIFY(j->Tmr_POSICAO->isActive());
        QCOMPARE(j->Tmr_POSICAO->interval(), 250);
        QCOMPARE(j->cmbserialterm->currentText(), QStringLiteral("1"));
        QCOMPARE(j->Cmd_Grava_Teclado_Tag, QStringLiteral("0"));
        for (int n = 1; n <= 4; ++n)
            for (auto v : j->codigos.tabela(n))
                QCOMPARE(v, 0);
        QCOMPARE(textosSentinelas(*j.janela),
                 QStringList({"02", "00", "00", "00", "03", "00", "00", "00", "10", "00", "00", "00",
                              "02", "00", "00", "00", "03", "00", "00", "00", "10", "00", "00", "00"}));
        // Typing stops at three characters in every sentinel box.
        for (auto* linha : j->linhas_sentinela())
            for (auto* caixa : *linha) {
                caixa->clear();
                QTest::keyClicks(caixa, "1234");
                QCOMPARE(caixa->text(), QStringLiteral("123"));
            }
        QVERIFY(j.mensagens.vistas.empty());
        // Controls carry their names.
        QVERIFY(j->findChild<QWidget*>(QStringLiteral("Lbl_TeclaLBtab_64")));
        QVERIFY(j->findChild<QWidget*>(QStringLiteral("cmbserialterm")));
        QVERIFY(j->findChild<QAction*>(QStringLiteral("mnuNovo")));
    }

    void porta_guardada_vai_para_a_caixa() {
        JanelaDeTeste j(false);
        j.configuracao.valores[QStringLiteral("Sistema/Serial")] = QStringLiteral("7");
        QVERIFY(j->Form_Load());
        QCOMPARE(j->cmbserialterm->currentText(), QStringLiteral("7"));
    }

    void pisca() {
        JanelaDeTeste j;
        j->Tmr_POSICAO_Timer();
        QCOMPARE(j->Sp_TeclaLBtab[0]->BackColor(), 0x00FF00u);
        QCOMPARE(j->Sp_TeclaLB[0]->BackColor(), 0x00FFFFu);
        QCOMPARE(j->Fase_Pisca, 1);
        j->Tmr_POSICAO_Timer();
        QCOMPARE(j->Sp_TeclaLBtab[0]->BackColor(), 0x00FFFFu);
        QCOMPARE(j->Sp_TeclaLB[0]->BackColor(), 0xC0FFFFu);
        QCOMPARE(j->Fase_Pisca, 0);
        // Another value changes nothing.
        j->Fase_Pisca = 7;
        j->Tmr_POSICAO_Timer();
        QCOMPARE(j->Sp_TeclaLBtab[0]->BackColor(), 0x00FFFFu);
    }

    void selecao_pinta_a_antiga_de_branco() {
        JanelaDeTeste j;
        clica(j->Lbl_TeclaLBtab[5]);
        j->Tmr_POSICAO_Timer();
        QCOMPARE(j->Sp_TeclaLBtab[5]->BackColor(), 0x00FF00u);
        clica(j->Lbl_TeclaLBtab[20]);
        QCOMPARE(j->Tecla_Atual, 20);
        QCOMPARE(j->Sp_TeclaLBtab[5]->BackColor(), 0xFFFFFFu);
        QCOMPARE(j->Sp_TeclaLBtab[20]->BackColor(), 0xFFFFFFu); // coloured at the next tick
        j->Tmr_POSICAO_Timer();
        QCOMPARE(j->Sp_TeclaLBtab[20]->BackColor(), 0x00FFFFu);
        int coloridas = 0;
        for (auto* s : j->Sp_TeclaLBtab)
            coloridas += s->BackColor() != 0xFFFFFFu;
        QCOMPARE(coloridas, 1);
    }

    void atribui_codigo() {
        JanelaDeTeste j;
        clica(j->Lbl_TeclaLBtab[3]);
        clica(j->Lbl_TeclaLB[61]); // "A"
        QCOMPARE(j->codigos.Codigos_Tab1[3], 65);
        QCOMPARE(j->Lbl_TeclaLBtab[3]->caption(), QStringLiteral("A"));
        QCOMPARE(j->Lbl_TeclaLBtab[3]->toolTip(), QStringLiteral("65 (41h)"));
        QCOMPARE(j->Tecla_Atual, 4);
        QCOMPARE(j->Tecla_PC_Atual, 61);
        QCOMPARE(j->Sp_TeclaLBtab[3]->BackColor(), 0xFFFFFFu);
        // "Sem Código" clears the entry and advances.
        clica(j->Lbl_TeclaLBtab[3]);
        clica(j->Lbl_TeclaLBnula);
        QCOMPARE(j->codigos.Codigos_Tab1[3], 0);
        QCOMPARE(j->Lbl_TeclaLBtab[3]->caption(), QString());
        QCOMPARE(j->Lbl_TeclaLBtab[3]->toolTip(), QStringLiteral("0 (0h)"));
        QCOMPARE(j->Tecla_Atual, 4);
        QCOMPARE(j->Tecla_PC_Atual, 0);
        QCOMPARE(j->Sp_TeclaLB[61]->BackColor(), 0xFFFFFFu);
        // The last key wraps to key 0.
        clica(j->Lbl_TeclaLBtab[64]);
        clica(j->Lbl_TeclaLB[39]); // Tab assigns 11
        QCOMPARE(j->codigos.Codigos_Tab1[64], 11);
        QCOMPARE(j->Lbl_TeclaLBtab[64]->caption(), QStringLiteral("Tab"));
        QCOMPARE(j->Lbl_TeclaLBtab[64]->toolTip(), QStringLiteral("11 (Bh)"));
        QCOMPARE(j->Tecla_Atual, 0);
    }

    void uma_fileira_de_teclas() {
        JanelaDeTeste j;
        for (int k : {18, 19, 20, 21})
            clica(j->Lbl_TeclaLB[k]);
        QCOMPARE(j->Tecla_Atual, 4);
        QCOMPARE(j->codigos.Codigos_Tab1[0], 33);
        QCOMPARE(j->codigos.Codigos_Tab1[3], 36);
        QCOMPARE(j->Lbl_TeclaLBtab[1]->caption(), QStringLiteral("@"));
    }

    void sem_selecao_so_move_o_destaque() {
        JanelaDeTeste j;
        j->Tecla_Atual = TECLA_NENHUMA;
        const CodigosLayout antes = j->codigos;
        clica(j->Lbl_TeclaLB[61]);
        QCOMPARE(j->Tecla_PC_Atual, 61);
        QVERIFY(j->codigos == antes);
        j->insere_codigo(65);
        QCOMPARE(j->Tecla_PC_Atual, 0);
        QVERIFY(j->codigos == antes);
        QCOMPARE(j->Tecla_Atual, TECLA_NENHUMA);
        // Picking a hidden key with nothing selected reports nothing.
        j->Lbl_TeclaLB_Click(109);
        QVERIFY(j.mensagens.vistas.empty());
    }

    void tecla_oculta_da_erro_13() {
        JanelaDeTeste j;
        clica(j->Lbl_TeclaLBtab[5]);
        clica(j->Lbl_TeclaLB[61]);
        clica(j->Lbl_TeclaLBtab[5]);
        j->Lbl_TeclaLB_Click(109); // Left Windows, reported by the keyboard filter
        QCOMPARE(j.mensagens.vistas.size(), size_t(1));
        const auto& m = j.mensagens.vistas.front();
        QCOMPARE(
            m.texto,
            QStringLiteral(
                "Error 13 (Tipos incompatíveis) in procedure Lbl_TeclaLB_Click of Formulário Frm_Grava"));
        QCOMPARE(m.icone, Icone::Nenhum);
        QCOMPARE(m.botoes, Botoes::Ok);
        QVERIFY(m.titulo.isEmpty()); // the application's title
        QCOMPARE(j->Tecla_Atual, 5);
        QCOMPARE(j->codigos.Codigos_Tab1[5], 65);
        QCOMPARE(j->Lbl_TeclaLBtab[5]->caption(), QStringLiteral("A"));
        QCOMPARE(j->Tecla_PC_Atual, 109);
    }

    void insere_codigo_legendas() {
        JanelaDeTeste j;
        const std::array<std::tuple<int, const char*, const char*>, 6> casos = {{
            {13, "CR", "13 (Dh)"},
            {32, "Space", "32 (20h)"},
            {127, "DEL", "127 (7Fh)"},
            {199, "Ç", "199 (C7h)"},
            {128, "€", "128 (80h)"},
            {0, "", "0 (0h)"},
        }};
        for (auto [codigo, legenda, dica] : casos) {
            const int k = j->Tecla_Atual;
            j->insere_codigo(codigo);
            QCOMPARE(j->codigos.Codigos_Tab1[k], codigo);
            QCOMPARE(j->Lbl_TeclaLBtab[k]->caption(), QString::fromUtf8(legenda));
            QCOMPARE(j->Lbl_TeclaLBtab[k]->toolTip(), QString::fromUtf8(dica));
            QCOMPARE(j->Tecla_Atual, k + 1);
        }
        // Codes the caption rule cannot name are reported, naming insere_codigo.
        j->insere_codigo(-1);
        QVERIFY(j.mensagens.ultima().startsWith(QStringLiteral("Error 9 (")));
        QVERIFY(j.mensagens.ultima().endsWith(
            QStringLiteral("in procedure insere_codigo of Formulário Frm_Grava")));
        j->insere_codigo(300);
        QVERIFY(j.mensagens.ultima().startsWith(QStringLiteral("Error 5 (")));
    }

    void regra_da_legenda_data() {
        QTest::addColumn<int>("codigo");
        QTest::addColumn<QString>("legenda");
        QTest::addColumn<QString>("dica");
        QTest::newRow("0") << 0 << ""
                           << "0 (0h)";
        QTest::newRow("9") << 9 << "HTAB"
                           << "9 (9h)";
        QTest::newRow("11") << 11 << "Tab"
                            << "11 (Bh)";
        QTest::newRow("27") << 27 << "ESC"
                            << "27 (1Bh)";
        QTest::newRow("31") << 31 << "US"
                            << "31 (1Fh)";
        QTest::newRow("32") << 32 << "Space"
                            << "32 (20h)";
        QTest::newRow("33") << 33 << "!"
                            << "33 (21h)";
        QTest::newRow("65") << 65 << "A"
                            << "65 (41h)";
        QTest::newRow("126") << 126 << "~"
                             << "126 (7Eh)";
        QTest::newRow("127") << 127 << "DEL"
                             << "127 (7Fh)";
        QTest::newRow("128") << 128 << "€"
                             << "128 (80h)";
        QTest::newRow("129 undefined") << 129 << QString(QChar(0x81)) << "129 (81h)";
        QTest::newRow("150") << 150 << "–"
                             << "150 (96h)";
        QTest::newRow("168") << 168 << "¨"
                             << "168 (A8h)";
        QTest::newRow("180") << 180 << "´"
                             << "180 (B4h)";
        QTest::newRow("199") << 199 << "Ç"
                             << "199 (C7h)";
        QTest::newRow("255") << 255 << "ÿ"
                             << "255 (FFh)";
    }
    void regra_da_legenda() {
        QFETCH(int, codigo);
        QFETCH(QString, legenda);
        QFETCH(QString, dica);
        Catalogo cat;
        cat.preenche();
        QCOMPARE(legenda_codigo(codigo, cat), legenda);
        QCOMPARE(dica_codigo(codigo), dica);
        if (codigo >= 128) QCOMPARE(codigo_ansi(legenda.at(0)), codigo);
    }

    void troca_de_tabela() {
        JanelaDeTeste j;
        clica(j->Lbl_TeclaLBtab[12]);
        clica(j->Lbl_TeclaLB[61]); // key 12 gets "A", 13 selected
        QCOMPARE(j->Tecla_Atual, 13);
        j->TabStrip->setCurrentIndex(1); // "Tabela 02"
        QCOMPARE(j->Tecla_Atual, 12);    // back to the key that just got its code
        QCOMPARE(j->Lbl_tab->caption(), QStringLiteral("2"));
        QCOMPARE(j->Lbl_TeclaLBtab[12]->caption(), QString()); // table 2 is empty
        clica(j->Lbl_TeclaLB[62]);                             // "S" into table 2
        QCOMPARE(j->codigos.Codigos_Tab2[12], 83);
        QCOMPARE(j->codigos.Codigos_Tab1[12], 65);
        j->TabStrip->setCurrentIndex(0);
        QCOMPARE(j->Lbl_TeclaLBtab[12]->caption(), QStringLiteral("A"));
        QCOMPARE(j->Lbl_TeclaLBtab[12]->toolTip(), QStringLiteral("65 (41h)"));
        // Key 0 and "none" do not step back.
        j->Lbl_TeclaLBtab_Click(0);
        j->TabStrip->setCurrentIndex(2);
        QCOMPARE(j->Tecla_Atual, 0);
        j->Tecla_Atual = TECLA_NENHUMA;
        j->TabStrip->setCurrentIndex(3);
        QCOMPARE(j->Tecla_Atual, TECLA_NENHUMA);
    }

    void mostra_tabela_fora_de_faixa() {
        JanelaDeTeste j;
        j->codigos.Codigos_Tab1[7] = 65;
        j->mostra_tabela(1);
        j->mostra_tabela(0);
        j->mostra_tabela(5);
        QCOMPARE(j->Lbl_TeclaLBtab[7]->caption(), QStringLiteral("A"));
        // A value the caption rule cannot name stops the refresh at that key and is
        // reported by the tab handler.
        j->codigos.Codigos_Tab2[3] = -5;
        j->codigos.Codigos_Tab2[2] = 66;
        j->codigos.Codigos_Tab2[4] = 67;
        j->TabStrip->setCurrentIndex(1);
        QVERIFY(j.mensagens.ultima().endsWith(
            QStringLiteral("in procedure TabStrip_Click of Formulário Frm_Grava")));
        QCOMPARE(j->Lbl_TeclaLBtab[2]->caption(), QStringLiteral("B"));
        QCOMPARE(j->Lbl_TeclaLBtab[4]->caption(), QString());
    }

    void pagina_lcm() {
        JanelaDeTeste j;
        clica(j->Lbl_TeclaLBtab[10]);
        j->TabStrip->setCurrentIndex(4);
        QVERIFY(j->Frame[0]->isHidden());
        QVERIFY(!j->Frame[2]->isHidden());
        QCOMPARE(j->Lbl_tab->caption(), QString());
        QCOMPARE(j->Tecla_Atual, 10); // kept
        // A click on the on-screen keyboard changes no table but still rewrites the
        // caption and advances.
        clica(j->Lbl_TeclaLB[61]);
        for (int n = 1; n <= 4; ++n)
            QCOMPARE(j->codigos.tabela(n)[10], 0);
        QCOMPARE(j->Lbl_TeclaLBtab[10]->caption(), QStringLiteral("A"));
        QCOMPARE(j->Tecla_Atual, 11);
        j->TabStrip->setCurrentIndex(2);
        QVERIFY(!j->Frame[0]->isHidden());
        QVERIFY(j->Frame[2]->isHidden());
        QCOMPARE(j->Tecla_Atual, 10);
        QCOMPARE(j->Lbl_tab->caption(), QStringLiteral("3"));
    }

    void modelo_44() {
        JanelaDeTeste j;
        j->codigos.Codigos_Tab1[60] = 65;
        j->mostra_tabela(1);
        clica(j->Lbl_TeclaLBtab[12]);
        j->Chk_Tec44->setChecked(true);
        QList<int> ocultas;
        for (int k = 0; k <= 65; ++k) {
            QCOMPARE(j->Lbl_TeclaLBtab[k]->isHidden(), j->Sp_TeclaLBtab[k]->isHidden());
            if (j->Lbl_TeclaLBtab[k]->isHidden()) ocultas << k;
        }
        QList<int> esperadas = {11, 12, 24, 25, 37, 38, 50, 51};
        for (int k = 52; k <= 65; ++k)
            esperadas << k;
        QCOMPARE(ocultas, esperadas);
        QCOMPARE(j->Tecla_Atual, 12); // stays, unseen
        clica(j->Lbl_TeclaLB[62]);
        QCOMPARE(j->codigos.Codigos_Tab1[12], 83);
        QCOMPARE(j->Tecla_Atual, 13);
        // The advance runs 0..10, 13..23, 26..36, 39..49, 0.
        QList<int> percurso;
        j->Lbl_TeclaLBtab_Click(0);
        for (int i = 0; i < 45; ++i) {
            percurso << j->Tecla_Atual;
            j->insere_codigo(49);
        }
        QList<int> esperado;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c <= 10; ++c)
                esperado << r * 13 + c;
        esperado << 0;
        QCOMPARE(percurso, esperado);
        // The step back on a table switch does not skip hidden keys.
        j->Lbl_TeclaLBtab_Click(13);
        j->TabStrip->setCurrentIndex(1);
        QCOMPARE(j->Tecla_Atual, 12);
        // A hidden key cannot be clicked: nothing of it is under the mouse.
        j->show();
        QWidget* sob = j->Frame[0]->childAt(j->Lbl_TeclaLBtab[60]->geometry().center());
        QVERIFY(sob != j->Lbl_TeclaLBtab[60]);
        // Unchecking shows them again with their codes and captions.
        j->Chk_Tec44->setChecked(false);
        j->TabStrip->setCurrentIndex(0);
        QVERIFY(!j->Lbl_TeclaLBtab[60]->isHidden());
        QCOMPARE(j->Lbl_TeclaLBtab[60]->caption(), QStringLiteral("A"));
        QVERIFY(j->Lbl_TeclaLBtab[65]->isHidden());
        QCOMPARE(j->Frame[0]->childAt(j->Lbl_TeclaLBtab[60]->geometry().center()), j->Lbl_TeclaLBtab[60]);
    }

    void novo() {
        JanelaDeTeste j;
        j->Chk_Tec44->setChecked(true);
        j->Chk_Prot44serial->setChecked(true);
        clica(j->Lbl_TeclaLBtab[3]);
        clica(j->Lbl_TeclaLB[61]);
        j->codigos.Codigos_Tab3[70] = 9;
        j->TabStrip->setCurrentIndex(4);
        j->Txt_Inicial[0]->setText(QStringLiteral("37"));
        j->mnuNovo->trigger();
        QCOMPARE(j->aba_atual(), 1);
        QVERIFY(!j->Frame[0]->isHidden());
        QVERIFY(j->Frame[2]->isHidden());
        QCOMPARE(j->Lbl_tab->caption(), QStringLiteral("1"));
        QCOMPARE(j->Tecla_Atual, 0);
        QCOMPARE(j->Tecla_PC_Atual, 0);
        QCOMPARE(j->Fase_Pisca, 0);
        QVERIFY(j->codigos == CodigosLayout{});
        QCOMPARE(j->Lbl_TeclaLBtab[3]->caption(), QString());
        QCOMPARE(j->Lbl_TeclaLBtab[3]->toolTip(), QStringLiteral("0 (0h)"));
        QCOMPARE(j->Sp_TeclaLB[61]->BackColor(), 0xFFFFFFu);
        QCOMPARE(textosSentinelas(*j.janela),
                 QStringList({"02", "0", "0", "0", "03", "0", "0", "0", "10", "0", "0", "0",
                              "04", "0", "0", "0", "05", "0", "0", "0", "10", "0", "0", "0"}));
        QVERIFY(j->Chk_Tec44->isChecked()); // left alone
        QVERIFY(j->Chk_Prot44serial->isChecked());
        QVERIFY(j.mensagens.vistas.empty()); // no question
        // Copying the boxes back (as Save and the send do) puts 2 into slot 66.
        j->copia_sentinelas();
        QCOMPARE(j->codigos.Codigos_Tab1[66], 2);
        QCOMPARE(j->codigos.Codigos_Tab1[69], 4);
        QCOMPARE(j->codigos.Codigos_Tab2[66], 0);
    }

    void copia_sentinelas_para_na_primeira_caixa_ruim() {
        JanelaDeTeste j;
        j->Txt_Final[2]->setText(QStringLiteral("x"));
        try {
            j->copia_sentinelas();
            QFAIL("expected error 13");
        } catch (const ErroExecucao& e) {
            QCOMPARE(e.numero(), 13);
        }
        QCOMPARE(j->codigos.Codigos_Tab1[66], 2);
        QCOMPARE(j->codigos.Codigos_Tab2[67], 0); // box 1 of the row: "00"
        QCOMPARE(j->codigos.Codigos_Tab3[67], 0);
    }

    void sair_sem_pergunta() {
        JanelaDeTeste j;
        j->show();
        clica(j->Lbl_TeclaLBtab[3]);
        clica(j->Lbl_TeclaLB[61]); // unsaved change
        j->mnuSair->trigger();
        QVERIFY(!j->isVisible());
        QVERIFY(j.mensagens.vistas.empty());
        QVERIFY(!j->Tmr_POSICAO->isActive());
    }

    void falha_na_carga_encerra() {
        class ConfiguracaoQuebrada : public teste::ConfiguracaoFalsa {
          public:
            QString le(const QString&, const QString&, const QString&) override {
                throw ErroExecucao(ERRO_TIPOS);
            }
        } quebrada;
        teste::MensagensFalsas mensagens;
        Servicos s;
        s.mensagens = &mensagens;
        s.configuracao = &quebrada;
        Frm_Grava j(s);
        j.show();
        QVERIFY(!j.Form_Load());
        QCOMPARE(
            mensagens.textos(),
            QStringList({"Error 13 (Tipos incompatíveis) in procedure Form_Load of Formulário Frm_Grava"}));
        QVERIFY(!j.isVisible());
        QVERIFY(!j.Tmr_POSICAO->isActive()); // the steps after the failure did not run
    }
};

QTEST_MAIN(TesteEditor)
#include "test_editor.moc"
