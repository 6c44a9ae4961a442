#include "editor/editor.h"

#include "base/armadilha.h"
#include "catalogue/teclado_pc.h"
#include "editor/documento.h"

#include <QCheckBox>
#include <QFontMetricsF>
#include <QFrame>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>

namespace vantora {
namespace {

// A code shown as its number ("<-32768>") is drawn narrower, then smaller, until it
// fits its key: narrow digits read better than small ones (any 16-bit code fits at the
// window's size). The catalogue's captions keep
// the window's font (a few, such as "Space", touch the key's edges and always have).
// The tooltip and the name a screen reader says carry the code whole either way.
void cabe_na_tecla(Rotulo* r) {
    constexpr qreal MENOR_CORPO = 6;
    constexpr int MENOR_LARGURA = 60; // percent of the font's own width
    constexpr qreal MENOR_CORPO_SEM_ESTREITA = 4;
    const QString texto = r->caption();
    QFont f = r->parentWidget()->font();
    // What is drawn must fit, not the blank the brackets leave at either end (a little
    // more than half a pixel each at this size).
    const qreal largura = r->contentsRect().width() + 1.5;
    const bool numero = texto.size() > 1 && texto.startsWith(QLatin1Char('<'));
    if (!numero || QFontMetricsF(f).horizontalAdvance(texto) <= largura) {
        if (r->testAttribute(Qt::WA_SetFont)) r->setFont(QFont());
        return;
    }
    int estreita = 100;
    for (;;) {
        estreita = int(100 * largura / QFontMetricsF(f).horizontalAdvance(texto));
        if (estreita >= MENOR_LARGURA || f.pointSizeF() - 0.5 < MENOR_CORPO) break;
        f.setPointSizeF(f.pointSizeF() - 0.5);
    }
    f.setStretch(std::max(estreita, 50));
    // A font engine that draws no narrower type (some ignore the stretch) gets a
    // smaller size instead, down to what still reads as digits.
    while (QFontMetricsF(f).horizontalAdvance(texto) > largura && f.pointSizeF() - 0.5 >= MENOR_CORPO_SEM_ESTREITA)
        f.setPointSizeF(f.pointSizeF() - 0.5);
    r->setFont(f);
}

} // namespace

Editor::Editor(Documento& documento, TecladoPC& teclado, Mensagens& mensagens, QObject* pai)
    : QObject(pai), documento_(documento), teclado_(teclado), mensagens_(mensagens) {
    Tmr_POSICAO = new QTimer(this);
    Tmr_POSICAO->setObjectName(QStringLiteral("Tmr_POSICAO"));
    Tmr_POSICAO->setInterval(250);
    connect(Tmr_POSICAO, &QTimer::timeout, this, &Editor::Tmr_POSICAO_Timer);
    connect(&teclado_, &TecladoPC::clicada, this, &Editor::Lbl_TeclaLB_Click);
    connect(&teclado_, &TecladoPC::nula_clicada, this, [this] { Lbl_TeclaLB_Click(0); });
    documento_.observa([this](Documento::Mudanca m) { mostra(int(m)); });
}

template <class F> bool Editor::trap(const QString& procedimento, F&& corpo) {
    return armadilha(mensagens_, procedimento, formulario(), std::forward<F>(corpo));
}

void Editor::monta(QWidget* area) {
    TabStrip = coloca(new QTabWidget(area), QStringLiteral("TabStrip"), 90, 240, 6855, 2985);
    TabStrip->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 2px 6px; }"));
    for (int t = 1; t <= QTD_TABELAS; ++t)
        TabStrip->addTab(new QWidget(TabStrip), QStringLiteral("Tabela %1").arg(t, 2, 10, QLatin1Char('0')));
    TabStrip->addTab(new QWidget(TabStrip), QStringLiteral("LCM"));
    TabStrip->setCurrentIndex(0);
    // A page the document has put on view is not chosen again.
    connect(TabStrip, &QTabWidget::currentChanged, this, [this](int i) {
        if (i + 1 != documento_.aba()) TabStrip_Click();
    });
    // Tabs change by a click only: a wheel turn would step the selection back.
    TabStrip->tabBar()->installEventFilter(new SemRoda(TabStrip));

    Frame[0] = moldura(area, indexado("Frame", 0), 180, 600, 6135, 2535);
    Frame[2] = moldura(area, indexado("Frame", 2), 180, 600, 6135, 2535);
    Frame[2]->hide();
    Frame[1] = moldura(area, indexado("Frame", 1), 6390, 555, 465, 2580);
    Lbl_tab = rotulo(Frame[1], QStringLiteral("Lbl_tab"), QStringLiteral("1"), 120, 1170, 270, 555,
                     Qt::AlignCenter);
    Lbl_tab->setFont(fonteBase(24, true));

    // The programmable keyboard: 5 rows of 13 keys, and key 65 off the grid, hidden.
    for (int k = 0; k <= QTD_TECLAS; ++k) {
        const int col = k % TECLAS_POR_LINHA;
        const int lin = k / TECLAS_POR_LINHA;
        auto* sp = new Forma(Frame[0], indexado("Sp_TeclaLBtab", k));
        auto* lb = new Rotulo(Frame[0], indexado("Lbl_TeclaLBtab", k));
        if (k < QTD_TECLAS) {
            sp->colocaTwips(135 + 450 * col, 135 + 450 * lin, 465, 495);
            lb->colocaTwips(165 + 450 * col, 165 + 450 * lin, 405, 435);
        } else {
            sp->colocaTwips(5850, 2205, 465, 495);
            lb->colocaTwips(5880, 2235, 405, 435);
            sp->hide();
            lb->hide();
        }
        sp->setFundoOpaco(true);
        sp->setBackColor(BRANCO);
        sp->lower();
        lb->setToolTip(QStringLiteral("0 (0h)"));
        connect(lb, &Rotulo::clicked, this, [this, k] { Lbl_TeclaLBtab_Click(k); });
        Lbl_TeclaLBtab[k] = lb;
        Sp_TeclaLBtab[k] = sp;
    }

    Chk_Tec44 = coloca(new QCheckBox(QStringLiteral("Teclado Norva USB/Serial"), area),
                       QStringLiteral("Chk_Tec44"), 4380, 300, 2565, 225);
    Chk_Tec44->setFont(fonteBase(8, true));
    connect(Chk_Tec44, &QCheckBox::stateChanged, this, [this] { Chk_Tec44_Click(); });

    monta_leitor_cartao();
}

void Editor::monta_leitor_cartao() {
    QWidget* p = Frame[2];
    rotulo(p, indexado("Label1", 1),
           QStringLiteral("Sentinelas Leitor de Cartão Magnético, Digite o Código ascii dos caracter "
                          "desejado, máximo 4 caracteres por sentinela."),
           270, 180, 5385, 435);
    forma(p, indexado("Shape", 1), 240, 780, 2775, 1395);
    forma(p, indexado("Shape", 2), 3090, 780, 2745, 1395);
    // Where each track's rows lie: its caption over them, each row's caption at its
    // left and its boxes 300 twips below the row before.
    struct Coluna {
        int trilha, esquerda_trilha, esquerda_legenda, largura_legenda, topo_legenda, esquerda_caixas,
            topo_caixas;
    };
    static constexpr std::array<Coluna, 2> colunas = {
        {{2, 1140, 330, 1230, 1200, 1560, 1155}, {3, 3960, 3180, 1200, 1230, 4380, 1170}}};
    int legenda = 2; // Label1_2.. name the row captions, Label1_8.. the track captions
    for (std::size_t c = 0; c < colunas.size(); ++c)
        rotulo(p, indexado("Label1", 8 + int(c)), QString::fromStdString(legenda_trilha(colunas[c].trilha)),
               colunas[c].esquerda_trilha, 870, 1500, 195);
    std::array<int, 2> linhas_na_coluna{};
    for (std::size_t i = 0; i < LINHAS_SENTINELA.size(); ++i) {
        const LinhaSentinela& s = LINHAS_SENTINELA[i];
        const std::size_t c = s.trilha == colunas[0].trilha ? 0 : 1;
        const Coluna& col = colunas[c];
        const int desce = 300 * linhas_na_coluna[c]++;
        rotulo(p, indexado("Label1", legenda++), QString::fromLatin1(s.legenda), col.esquerda_legenda,
               col.topo_legenda + desce, col.largura_legenda, 195);
        for (int b = 0; b < QTD_TABELAS; ++b) {
            auto* t = coloca(new QLineEdit(p), indexado(s.controle, b), col.esquerda_caixas + 330 * b,
                             col.topo_caixas + desce, 345, 285);
            // Three characters when typing; a longer code from a file shows whole.
            t->setValidator(new LimiteDigitacao(3, t));
            t->setText(QString::fromStdString(documento_.sentinela(int(i), b)));
            // Save and the send take what the box holds.
            connect(t, &QLineEdit::textChanged, this, [this, i, b](const QString& texto) {
                documento_.define_sentinela(int(i), b, texto.toStdString());
            });
            Txt_Sentinela[i][std::size_t(b)] = t;
        }
    }
}

void Editor::monta_opcoes(QWidget* area) {
    // Where each box lies, in the order they are made (the Tab key's): its option, top
    // and height; the one that authorises other protocols is kept but never shown.
    struct Lugar {
        int opcao, topo, altura;
        bool visivel;
    };
    static constexpr std::array<Lugar, 3> lugares = {
        {{1, 2610, 195, true}, {2, 2850, 195, true}, {0, 3060, 345, false}}};
    static_assert(lugares.size() == QTD_OPCOES, "every option box has its place");
    for (const Lugar& l : lugares) {
        const OpcaoLayout& o = OPCOES_LAYOUT[std::size_t(l.opcao)];
        auto* c = coloca(new QCheckBox(QString::fromUtf8(o.legenda), area), QString::fromLatin1(o.controle),
                         7020, l.topo, 2925, l.altura);
        define_caixa(c, documento_.layout().caixas[std::size_t(l.opcao)]);
        c->setVisible(l.visivel);
        // Greyed only as a file left it: the operator's click makes it a plain box again.
        connect(c, &QCheckBox::clicked, c, [c] { c->setTristate(false); });
        connect(c, &QCheckBox::stateChanged, this,
                [this, c, i = l.opcao] { documento_.define_opcao(i, valor_caixa(c)); });
        Chk_Opcao[std::size_t(l.opcao)] = c;
    }
    Chk_Opcao[2]->setToolTip(QStringLiteral("Altera o ACK = 0x06h"));
}

void Editor::mostra(int mudanca) {
    using M = Documento::Mudanca;
    switch (M(mudanca)) {
    case M::Novo:
        Fase_Pisca = 0;
        break;
    case M::Tabelas:
        mostra_teclas();
        break;
    case M::Tecla:
        Sp_TeclaLBtab[std::size_t(tecla_pintada_)]->setBackColor(BRANCO);
        tecla_pintada_ = documento_.tecla();
        break;
    case M::TeclaPC:
        teclado_.pinta(tecla_pc_pintada_, BRANCO);
        tecla_pc_pintada_ = documento_.tecla_pc();
        break;
    case M::Aba:
        if (TabStrip->currentIndex() != documento_.aba() - 1) TabStrip->setCurrentIndex(documento_.aba() - 1);
        if (documento_.na_pagina_cartao()) {
            Frame[0]->hide();
            Frame[2]->show();
            Lbl_tab->setCaption(QString());
        } else {
            if (!Frame[2]->isHidden()) {
                Frame[0]->show();
                Frame[2]->hide();
            }
            mostra_teclas();
            Lbl_tab->setCaption(QString::number(documento_.aba()));
        }
        break;
    case M::Sentinelas:
        for (std::size_t i = 0; i < Txt_Sentinela.size(); ++i)
            for (int b = 0; b < QTD_TABELAS; ++b) {
                QLineEdit* t = Txt_Sentinela[i][std::size_t(b)];
                const QString texto = QString::fromStdString(documento_.sentinela(int(i), b));
                if (t->text() != texto) t->setText(texto);
            }
        break;
    case M::Opcoes:
        for (std::size_t c = 0; c < Chk_Opcao.size(); ++c)
            if (valor_caixa(Chk_Opcao[c]) != documento_.layout().caixas[c])
                define_caixa(Chk_Opcao[c], documento_.layout().caixas[c]);
        break;
    case M::Modelo:
        if ((valor_caixa(Chk_Tec44) == 1) != documento_.modelo_44())
            Chk_Tec44->setChecked(documento_.modelo_44());
        for (int k = 0; k < QTD_TECLAS; ++k) {
            if (!oculta_no_modelo_44(k)) continue;
            Lbl_TeclaLBtab[std::size_t(k)]->setVisible(documento_.visivel(k));
            Sp_TeclaLBtab[std::size_t(k)]->setVisible(documento_.visivel(k));
        }
        break;
    }
}

void Editor::mostra_teclas() {
    if (documento_.na_pagina_cartao()) return;
    const Tabela& tabela = documento_.layout().tabela(documento_.aba());
    for (int k = 0; k < QTD_TECLAS; ++k)
        mostra_codigo(k, tabela[std::size_t(k)]);
}

// Every code has a caption (a file's 300 or -1 shows as "<300>", "<-1>"), so a key
// never keeps the caption of a table no longer on view.
void Editor::mostra_codigo(int tecla, int codigo) {
    Lbl_TeclaLBtab[std::size_t(tecla)]->setCaption(QString::fromStdString(legenda_codigo(codigo, teclado_.padroes)));
    Lbl_TeclaLBtab[std::size_t(tecla)]->setToolTip(QString::fromStdString(dica_codigo(codigo)));
    cabe_na_tecla(Lbl_TeclaLBtab[std::size_t(tecla)]);
}

void Editor::Lbl_TeclaLBtab_Click(int Index) {
    documento_.escolhe_tecla(Index);
}

void Editor::TabStrip_Click() {
    trap(QStringLiteral("TabStrip_Click"), [this] { documento_.escolhe_aba(TabStrip->currentIndex() + 1); });
}

void Editor::Tmr_POSICAO_Timer() {
    Forma* tecla = Sp_TeclaLBtab[std::size_t(documento_.tecla())];
    if (Fase_Pisca == 0) {
        teclado_.pinta(documento_.tecla_pc(), AMARELO);
        tecla->setBackColor(VERDE);
        Fase_Pisca = 1;
    } else if (Fase_Pisca == 1) {
        teclado_.pinta(documento_.tecla_pc(), AMARELO_CLARO);
        tecla->setBackColor(AMARELO);
        Fase_Pisca = 0;
    }
    emit piscou();
}

void Editor::para_pisca() {
    Tmr_POSICAO->stop();
}

void Editor::retoma_pisca() {
    Tmr_POSICAO->start();
}

void Editor::Lbl_TeclaLB_Click(int Index) {
    trap(QStringLiteral("Lbl_TeclaLB_Click"), [this, Index] {
        documento_.escolhe_tecla_pc(Index,
                                    teclado_.padroes.Codigo_TeclaLB.at(std::size_t(Index)));
    });
}

void Editor::Chk_Tec44_Click() {
    documento_.define_modelo_44(valor_caixa(Chk_Tec44) == 1);
}

int Editor::valor_caixa(const QCheckBox* caixa) {
    switch (caixa->checkState()) {
    case Qt::Unchecked:
        return 0;
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    }
    return 0;
}

void Editor::define_caixa(QCheckBox* caixa, int valor) {
    switch (valor) {
    case 0:
        caixa->setTristate(false);
        caixa->setCheckState(Qt::Unchecked);
        break;
    case 1:
        caixa->setTristate(false);
        caixa->setCheckState(Qt::Checked);
        break;
    case 2:
        caixa->setTristate(true);
        caixa->setCheckState(Qt::PartiallyChecked);
        break;
    default:
        throw ErroExecucao(ERRO_PROPRIEDADE);
    }
}

} // namespace vantora
