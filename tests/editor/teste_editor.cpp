// The layout editor in the window (the document's own rules: teste_documento): captions
// of every code on every tab, selection and blink, table switching and the card-reader
// page, the 44-key view, New, Exit, the sentinel boxes and the error trap.
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
#include <QtTest>

using namespace vantora;
using teste::JanelaDeTeste;

namespace {
void clica(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

const QString MERCADO = QStringLiteral(VANTORA_EXEMPLOS "/mercado.key");

// A new layout's file but for Tab1 T0, Tab2 T10 and Tab3 T64, which hold `texto`.
void grava_layout(const QString& caminho, const QString& texto) {
    PerfilPrivado ini;
    Grava_Layout(ini, Layout{});
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

} // namespace

class TesteEditor : public QObject {
    Q_OBJECT

  private slots:
    // A layout file may hold codes no caption shows, outside 0..255. Opened after
    // mercado.key, every key shows what its table holds on every tab, with no box, and
    // still after an assignment and after New; the send refuses it before the port. (A
    // read stopped halfway: teste_arquivos; those codes' captions: teste_nucleo.)
    void codigos_sem_legenda() {
        JanelaDeTeste j;
        QTemporaryDir dir;
        const QString arquivo = dir.filePath("codigos.key");
        for (const char* caso : {"300", "-1", "&HFFFF", "-32768"}) {
            grava_layout(arquivo, caso);
            j.arq->abre_arquivo(MERCADO);
            j.arq->abre_arquivo(arquivo);
            QCOMPARE(j.mensagens.textos(), QStringList());
            confere_teclas(j, caso);
        }
        j.lig->Cmd_Grava_Teclado_Click();
        QCOMPARE(j.mensagens.textos(),
                 QStringList{"A tecla 1 (linha 1, coluna 1) tem o código -32768 na Tabela 01; os códigos vão "
                             "de 0 a 255. Nada foi enviado ao teclado."});
        QVERIFY(j.portas.aberturas.isEmpty());

        // The shrunk key assigned from the PC keyboard, then New: back to the window's font.
        j.doc->escolhe_tecla(0);
        clica(j.pc->Lbl_TeclaLB[61]);
        confere_teclas(j, "atribuido");
        j->menu().mnuNovo->trigger();
        confere_teclas(j, "novo");
        QCOMPARE(j.mensagens.vistas.size(), std::size_t(1));
    }

    // The selected key blinks green/cyan; a new selection paints the old one white. A
    // hidden key picked with a key selected is the trap's error 13 and changes nothing.
    // A table switch shows its number; the card-reader page shows its own frame instead.
    void selecao_e_troca_de_tabela() {
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
        emit j.pc->clicada(109); // Left Windows, reported by the keyboard filter
        QCOMPARE(j.mensagens.textos(), QStringList{teste::erro_em("Lbl_TeclaLB_Click")});
        QVERIFY(j.doc->tecla() == 20 && j.doc->layout() == Layout{});
        j.abas()->setCurrentIndex(1);
        QCOMPARE(j.controle<Rotulo>(QStringLiteral("Lbl_tab"))->caption(), QStringLiteral("2"));
        for (const auto& [aba, leitor] : {std::pair{4, true}, {0, false}}) {
            j.abas()->setCurrentIndex(aba);
            QCOMPARE(j.controle<QFrame>(indexado("Frame", 0))->isHidden(), leitor);
            QCOMPARE(j.controle<QFrame>(indexado("Frame", 2))->isHidden(), !leitor);
        }
    }

    // The sentinel boxes show the document's texts. The 44-key model hides the keys it
    // lacks (nothing of them under the mouse), and unchecking brings them back with
    // their captions. Exit asks nothing. (New: codigos_sem_legenda; the model New keeps:
    // teste_documento.)
    void modelo_44_e_sair() {
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
