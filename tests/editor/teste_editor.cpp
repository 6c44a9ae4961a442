// The layout editor in the window: the caption rule, selection and blink,
// code assignment, table switching and the card-reader page, the 44-key view, New,
// the sentinel boxes and the error trap.
#include "capture/MDL_Keyboard.h"
#include "capture/travas.h"
#include "comum/falsos.h"

#include "editor/tabelas.h"
#include "files/disco.h"
#include "files/ini.h"
#include "files/layout.h"

#include <QCheckBox>
#include <QFontMetricsF>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace vantora;
using teste::JanelaDeTeste;

namespace {
void clica(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

const QString MERCADO = QStringLiteral(VANTORA_EXEMPLOS "/mercado.key");

// A layout file whose keys all hold 49 ("1") but Tab1 T0, Tab2 T10 and Tab3 T64,
// which hold `texto`.
void grava_layout(const QString& caminho, const QString& texto) {
    Layout l;
    for (Tabela& t : l.tabelas)
        std::fill_n(t.begin(), QTD_TECLAS, std::int16_t(49));
    PerfilPrivado ini;
    Grava_Layout(ini, l);
    for (const auto& [secao, chave] : {std::pair{"Tab1", "T0"}, {"Tab2", "T10"}, {"Tab3", "T64"}})
        ini.grava(secao, chave, texto.toStdString());
    salva(ini, caminho);
}

// Every key shows what its table holds (caption and tooltip, which is also what a
// screen reader says of it), a number whole inside its key and any other caption in
// the window's font: the tab on view as it is, then each table's tab in turn, ending
// on the tab that was on view.
void confere_teclas(JanelaDeTeste& j, const char* passo) {
    const auto confere = [&j, passo](int t) {
        for (int k = 0; k < QTD_TECLAS; ++k) {
            const int codigo = j.doc->layout().tabela(t)[k];
            const Rotulo* r = j.tecla(k);
            const bool numero = r->caption().startsWith(QLatin1Char('<')) && r->caption().size() > 1;
            const bool cabe =
                numero ? QFontMetricsF(r->font()).horizontalAdvance(r->caption()) <= r->width() + 1.5
                       : r->font() == j.controle<QFrame>(indexado("Frame", 0))->font();
            QVERIFY2(r->caption().toStdString() == legenda_codigo(codigo, j.pc->padroes) &&
                         r->toolTip().toStdString() == dica_codigo(codigo) && cabe,
                     qPrintable(QString::asprintf("%s: tabela %d, tecla %d com %d mostra \"%ls\" (%ls)",
                                                  passo, t, k, codigo, qUtf16Printable(r->caption()),
                                                  qUtf16Printable(r->toolTip()))));
        }
    };
    const int aba = j.doc->aba();
    if (aba <= QTD_TABELAS) confere(aba);
    for (int t = 1; t <= QTD_TABELAS; ++t) {
        j.abas()->setCurrentIndex(t - 1);
        confere(t);
    }
    j.abas()->setCurrentIndex(aba - 1);
}

// The captions of keys `teclas`.
QStringList legendas(const JanelaDeTeste& j, const QList<int>& teclas) {
    QStringList r;
    for (int k : teclas)
        r << j.tecla(k)->caption();
    return r;
}

} // namespace

class TesteEditor : public QObject {
    Q_OBJECT

  private slots:
    // The key shows the caption and tooltip of a code once it is assigned.
    void legenda() {
        JanelaDeTeste j;
        const std::tuple<int, const char*, const char*> casos[] = {
            {11, "Tab", "11 (Bh)"}, {255, "ÿ", "255 (FFh)"}, {129, "<129>", "129 (81h)"}};
        for (const auto& [codigo, legenda, dica] : casos) {
            j.doc->escolhe_tecla(4);
            j.doc->insere_codigo(codigo);
            QCOMPARE(j.tecla(4)->caption() + j.tecla(4)->toolTip(), QString::fromUtf8(legenda) + dica);
        }
        QVERIFY(j.mensagens.vistas.empty());
    }

    // A layout file may hold codes no caption shows, outside 0..255. Opened after
    // mercado.key, every key shows what its table holds on every tab, with no box; the
    // last file's code stays so after an assignment and after New, and the send refuses
    // it before the port. (A read stopped halfway: teste_arquivos.)
    void codigos_sem_legenda() {
        // The text in the file, its caption and tooltip.
        const std::tuple<QString, QString, QString> casos[] = {{"300", "<300>", "300 (12Ch)"},
                                                               {"-1", "<-1>", "-1 (FFFFh)"},
                                                               {"&HFFFF", "<-1>", "-1 (FFFFh)"},
                                                               {"-32768", "<-32768>", "-32768 (8000h)"}};
        JanelaDeTeste j;
        QTemporaryDir dir;
        const QString arquivo = dir.filePath("codigos.key");
        for (const auto& [caso, legenda, dica] : casos) {
            grava_layout(arquivo, caso);
            j.arq->abre_arquivo(MERCADO);
            j.arq->abre_arquivo(arquivo);
            QCOMPARE(j.mensagens.textos(), QStringList());
            QCOMPARE(legendas(j, {0, 1}), (QStringList{legenda, "1"}));
            QCOMPARE(j.tecla(0)->toolTip(), dica);
            confere_teclas(j, qPrintable(caso));
        }
        j.lig->Cmd_Grava_Teclado_Click();
        QCOMPARE(j.mensagens.textos(),
                 QStringList{"A tecla 1 (linha 1, coluna 1) tem o código -32768 na Tabela 01; os códigos vão "
                             "de 0 a 255. Nada foi enviado ao teclado."});
        QVERIFY(j.portas.aberturas.isEmpty());

        // Assigned from the PC keyboard and back through the serial capture.
        j.doc->escolhe_tecla(0);
        clica(j.pc->Lbl_TeclaLB[61]);
        QCOMPARE(j.tecla(0)->caption() + j.tecla(0)->toolTip(), "A65 (41h)");
        j.doc->escolhe_tecla(0);
        j.doc->insere_codigo(-32768);
        QCOMPARE(j.tecla(0)->caption(), QStringLiteral("<-32768>"));
        confere_teclas(j, "atribuido");
        j->menu().mnuNovo->trigger();
        QCOMPARE(j.tecla(0)->caption(), QString());
        confere_teclas(j, "novo");
        QCOMPARE(j.mensagens.vistas.size(), std::size_t(1));
    }

    // The selected key blinks green/cyan; a new selection paints the old one white.
    // Clicks on the PC keyboard assign and advance; "Sem Código" clears; the last key
    // wraps to key 0; codes the rule cannot name are reported.
    void selecao_e_atribuicao() {
        JanelaDeTeste j;
        clica(j.tecla(5));
        j.ed->Tmr_POSICAO_Timer();
        QCOMPARE(j.fundo(5)->BackColor(), 0x00FF00u);
        QCOMPARE(j.pc->Sp_TeclaLB[0]->BackColor(), 0x00FFFFu);
        j.ed->Tmr_POSICAO_Timer();
        QCOMPARE(j.fundo(5)->BackColor(), 0x00FFFFu);
        QCOMPARE(j.pc->Sp_TeclaLB[0]->BackColor(), 0xC0FFFFu);
        clica(j.tecla(20));
        j.ed->Tmr_POSICAO_Timer();
        QCOMPARE(j.fundo(5)->BackColor(), BRANCO);
        QCOMPARE(j.fundo(20)->BackColor(), 0x00FF00u);
        // The key selected, the PC keys clicked (-1 "Sem Código"), its code, the key selected next.
        const std::tuple<int, QList<int>, int, int> atribuicoes[] = {
            {0, {18, 19, 20, 21}, 33, 4}, {1, {-1}, 0, 2}, {64, {39}, 11, 0}};
        for (const auto& [k, teclas_pc, codigo, proxima] : atribuicoes) {
            clica(j.tecla(k));
            for (int p : teclas_pc)
                clica(p < 0 ? j.pc->Lbl_TeclaLBnula : j.pc->Lbl_TeclaLB[p]);
            QCOMPARE(j.doc->layout().tabela(1)[k], codigo);
            QCOMPARE(j.doc->tecla(), proxima);
            QCOMPARE(j.doc->tecla_pc(), std::max(0, teclas_pc.last()));
        }
        QVERIFY(j.mensagens.vistas.empty());
    }

    // With no key selected a click only moves the highlight; a hidden key picked with
    // a key selected is the trap's error 13 and changes nothing. A table switch shows
    // that table and its number; the card-reader page shows its own frame instead.
    void sem_selecao_e_troca_de_tabela() {
        JanelaDeTeste j;
        j.doc->escolhe_tecla(TECLA_NENHUMA);
        clica(j.pc->Lbl_TeclaLB[61]);
        QCOMPARE(j.doc->tecla_pc(), 61);
        emit j.pc->clicada(109);
        QVERIFY(j.mensagens.vistas.empty() && j.doc->layout() == Layout{});
        clica(j.tecla(5));
        emit j.pc->clicada(109); // Left Windows, reported by the keyboard filter
        QCOMPARE(j.mensagens.textos(), QStringList{teste::erro_em("Lbl_TeclaLB_Click")});
        QVERIFY(j.doc->tecla() == 5 && j.doc->layout() == Layout{});
        clica(j.pc->Lbl_TeclaLB[61]);
        j.abas()->setCurrentIndex(1);
        QCOMPARE(j.controle<Rotulo>(QStringLiteral("Lbl_tab"))->caption(), QStringLiteral("2"));
        QCOMPARE(j.tecla(5)->caption(), QString());
        clica(j.pc->Lbl_TeclaLB[62]);
        QCOMPARE(j.doc->layout().tabela(2)[5], 83);
        const auto quadros = [&j] {
            return QList<bool>{j.controle<QFrame>(indexado("Frame", 0))->isHidden(),
                               j.controle<QFrame>(indexado("Frame", 2))->isHidden()};
        };
        j.abas()->setCurrentIndex(4);
        QCOMPARE(quadros(), (QList<bool>{true, false}));
        j.abas()->setCurrentIndex(0);
        QCOMPARE(quadros(), (QList<bool>{false, true}));
        QCOMPARE(j.tecla(5)->caption(), QStringLiteral("A"));
        QCOMPARE(j.mensagens.vistas.size(), std::size_t(1));
    }

    // The sentinel boxes show the document's texts. The 44-key model hides the keys it
    // lacks (nothing of them under the mouse), and unchecking brings them back with
    // their captions. New clears the captions without a question and keeps the model
    // box. Exit asks nothing.
    void modelo_44_e_novo() {
        JanelaDeTeste j;
        QCOMPARE(teste::textos_sentinela(j).join(' '),
                 "02 00 00 00 03 00 00 00 10 00 00 00 02 00 00 00 03 00 00 00 10 00 00 00");
        j.poe_codigo(1, 60, 65);
        j.controle<QCheckBox>(QStringLiteral("Chk_Tec44"))->setChecked(true);
        for (int k = 0; k <= 65; ++k)
            QCOMPARE(j.tecla(k)->isHidden() && j.fundo(k)->isHidden(), oculta_no_modelo_44(k));
        j->show();
        QVERIFY(j.controle<QFrame>(indexado("Frame", 0))->childAt(j.tecla(60)->geometry().center()) !=
                j.tecla(60));
        j.controle<QCheckBox>(QStringLiteral("Chk_Tec44"))->setChecked(false);
        j.abas()->setCurrentIndex(1);
        j.abas()->setCurrentIndex(0);
        QCOMPARE(j.controle<QFrame>(indexado("Frame", 0))->childAt(j.tecla(60)->geometry().center()),
                 j.tecla(60));
        QCOMPARE(j.tecla(60)->caption(), QStringLiteral("A"));

        j.controle<QCheckBox>(QStringLiteral("Chk_Tec44"))->setChecked(true);
        j.abas()->setCurrentIndex(4);
        j->menu().mnuNovo->trigger();
        QCOMPARE(j.tecla(60)->caption(), QString());
        QCOMPARE(teste::textos_sentinela(j).join(' '),
                 "02 0 0 0 03 0 0 0 10 0 0 0 04 0 0 0 05 0 0 0 10 0 0 0");
        QVERIFY(j.controle<QCheckBox>(QStringLiteral("Chk_Tec44"))->isChecked() &&
                !j.controle<QFrame>(indexado("Frame", 0))->isHidden());
        j->menu().mnuSair->trigger();
        QVERIFY(!j->isVisible() && !j.controle<QTimer>(QStringLiteral("Tmr_POSICAO"))->isActive());
        QVERIFY(j.mensagens.vistas.empty());
    }

    // The edits the web page's test makes, here through the window's handlers: mercado.key
    // opened, clicks on PC keys, keys of the computer (X11's keycode and keysym: A, F1, the
    // pad's 7 with Num Lock), another table. What Save writes is the golden file the page's
    // download must equal too.
    void edicao_da_pagina() {
        teste::TravasFalsas travas;
        travas.estados = {{VK_NUMLOCK, std::int16_t(1)}};
        JanelaDeTeste j([&](JanelaDeTeste& j) { j.servicos.travas = &travas; });
        j.cap->Modulo_Teclado().tradutor.define_plataforma(Plataforma::X11);
        j.arq->abre_arquivo(MERCADO);
        clica(j.tecla(0));
        clica(j.pc->Lbl_TeclaLB[18]);
        clica(j.pc->Lbl_TeclaLBnula);
        for (const auto& [codigo, simbolo] : {std::pair{38u, 0x61u}, {67u, 0xffbeu}, {79u, 0xffb7u}})
            for (const auto tipo : {QEvent::KeyPress, QEvent::KeyRelease}) {
                QKeyEvent k(tipo, 0, Qt::NoModifier, codigo, simbolo, 0);
                QCoreApplication::sendEvent(j.janela.get(), &k);
            }
        j.abas()->setCurrentIndex(1);
        clica(j.tecla(10));
        clica(j.pc->Lbl_TeclaLB[39]);
        QTemporaryDir d;
        j.dialogo.respostas = {d.filePath(QStringLiteral("edicao.key"))};
        j.arq->mnuSalvar_Click();
        QCOMPARE(
            teste::le_bytes(d.filePath(QStringLiteral("edicao.key"))),
            teste::le_bytes(qEnvironmentVariable("VANTORA_DADOS") + QStringLiteral("/pagina_edicao.key")));
        QVERIFY(j.mensagens.vistas.empty());
    }

    // A failing start-up reports the trap's error and closes.
    void falha_na_carga() {
        JanelaDeTeste f([](JanelaDeTeste& f) { f.configuracao.falha = ERRO_TIPOS; }, false);
        f->show();
        QVERIFY(!f->Form_Load());
        QCOMPARE(f.mensagens.textos(), QStringList{teste::erro_em("Form_Load")});
        QVERIFY(!f->isVisible() && !f.controle<QTimer>(QStringLiteral("Tmr_POSICAO"))->isActive());
    }
};

QTEST_MAIN(TesteEditor)
#include "teste_editor.moc"
