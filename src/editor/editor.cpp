#include "editor/editor.h"

#include "base/armadilha.h"
#include "catalogue/teclado_pc.h"
#include "editor/conversao.h"

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

Editor::Editor(TecladoPC& teclado, Mensagens& mensagens, QObject* pai)
    : QObject(pai), teclado_(teclado), mensagens_(mensagens) {
    Tmr_POSICAO = new QTimer(this);
    Tmr_POSICAO->setObjectName(QStringLiteral("Tmr_POSICAO"));
    Tmr_POSICAO->setInterval(250);
    connect(Tmr_POSICAO, &QTimer::timeout, this, &Editor::Tmr_POSICAO_Timer);
    connect(&teclado_, &TecladoPC::clicada, this, &Editor::Lbl_TeclaLB_Click);
    connect(&teclado_, &TecladoPC::nula_clicada, this, &Editor::Lbl_TeclaLBnula_Click);
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
    connect(TabStrip, &QTabWidget::currentChanged, this, [this] { TabStrip_Click(); });
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
            t->setText(b == 0 ? QString::fromLatin1(s.inicial) : QStringLiteral("00"));
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
        define_caixa(c, o.padrao);
        c->setVisible(l.visivel);
        // Greyed only as a file left it: the operator's click makes it a plain box again.
        connect(c, &QCheckBox::clicked, c, [c] { c->setTristate(false); });
        connect(c, &QCheckBox::stateChanged, this,
                [this, c, i = std::size_t(l.opcao)] { codigos.caixas[i] = valor_caixa(c); });
        Chk_Opcao[std::size_t(l.opcao)] = c;
    }
    Chk_Opcao[2]->setToolTip(QStringLiteral("Altera o ACK = 0x06h"));
}

void Editor::inicia() {
    Tecla_Atual = 0;
    Tecla_PC_Atual = 0;
    Fase_Pisca = 0;
}

void Editor::limpa_tabelas() {
    codigos.limpa_tabelas();
}

void Editor::mostra_tabela(int tabela) {
    if (tabela >= 1 && tabela <= QTD_TABELAS) atualiza_teclas(codigos.tabela(tabela));
}

void Editor::atualiza_teclas(const Tabela& tabela) {
    for (int k = 0; k < QTD_TECLAS; ++k)
        mostra_codigo(k, tabela[k]);
}

// Every code has a caption (a file's 300 or -1 shows as "<300>", "<-1>"), so a key
// never keeps the caption of a table no longer on view.
void Editor::mostra_codigo(int tecla, int codigo) {
    Lbl_TeclaLBtab[tecla]->setCaption(QString::fromStdString(legenda_codigo(codigo, teclado_.padroes)));
    Lbl_TeclaLBtab[tecla]->setToolTip(QString::fromStdString(dica_codigo(codigo)));
    cabe_na_tecla(Lbl_TeclaLBtab[tecla]);
}

int Editor::aba_atual() const {
    return TabStrip->currentIndex() + 1;
}

bool Editor::na_pagina_cartao() const {
    return aba_atual() == QTD_TABELAS + 1;
}

void Editor::seleciona_aba(int n) {
    if (TabStrip->currentIndex() == n - 1)
        TabStrip_Click();
    else
        TabStrip->setCurrentIndex(n - 1); // runs TabStrip_Click
}

void Editor::Lbl_TeclaLBtab_Click(int Index) {
    Sp_TeclaLBtab[Tecla_Atual]->setBackColor(BRANCO);
    Tecla_Atual = static_cast<std::int16_t>(Index);
}

void Editor::TabStrip_Click() {
    trap(QStringLiteral("TabStrip_Click"), [this] {
        const int t = aba_atual();
        if (na_pagina_cartao()) {
            Frame[0]->hide();
            Frame[2]->show();
            Lbl_tab->setCaption(QString());
            emit pagina_cartao(true);
            return;
        }
        if (!Frame[2]->isHidden()) {
            Frame[0]->show();
            Frame[2]->hide();
            emit pagina_cartao(false);
        }
        mostra_tabela(t);
        Lbl_tab->setCaption(QString::number(t));
        // Step back, so that the key that has just received a code in the table left
        // behind is selected again for its code in this one.
        if (Tecla_Atual != 0 && Tecla_Atual != TECLA_NENHUMA) {
            Sp_TeclaLBtab[Tecla_Atual]->setBackColor(BRANCO);
            Tecla_Atual = static_cast<std::int16_t>(Tecla_Atual - 1);
        }
    });
}

void Editor::Tmr_POSICAO_Timer() {
    if (Fase_Pisca == 0) {
        teclado_.Sp_TeclaLB[Tecla_PC_Atual]->setBackColor(AMARELO);
        Sp_TeclaLBtab[Tecla_Atual]->setBackColor(VERDE);
        Fase_Pisca = 1;
    } else if (Fase_Pisca == 1) {
        teclado_.Sp_TeclaLB[Tecla_PC_Atual]->setBackColor(AMARELO_CLARO);
        Sp_TeclaLBtab[Tecla_Atual]->setBackColor(AMARELO);
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
        teclado_.Sp_TeclaLB[Tecla_PC_Atual]->setBackColor(BRANCO);
        Tecla_PC_Atual = static_cast<std::int16_t>(Index);
        if (Tecla_Atual == TECLA_NENHUMA) return;
        insere_tecla(Tecla_Atual, Index);
        Sp_TeclaLBtab[Tecla_Atual]->setBackColor(BRANCO);
        avanca_selecao();
    });
}

void Editor::Lbl_TeclaLBnula_Click() {
    Lbl_TeclaLB_Click(0);
}

void Editor::insere_tecla(int tecla, int indice) {
    if (tecla == TECLA_NENHUMA) return;
    const std::string& texto = teclado_.padroes.Codigo_TeclaLB.at(indice);
    // The hidden keys 109 and 111 have no code: converting their empty text fails
    // (error 13) before anything changes.
    const std::int16_t codigo = converte_inteiro(texto);
    if (!na_pagina_cartao()) codigos.tabela(aba_atual())[tecla] = codigo;
    mostra_codigo(tecla, codigo);
}

void Editor::insere_codigo(int Dado) {
    trap(QStringLiteral("insere_codigo"), [this, Dado] {
        teclado_.Sp_TeclaLB[Tecla_PC_Atual]->setBackColor(BRANCO);
        Tecla_PC_Atual = 0;
        if (Tecla_Atual == TECLA_NENHUMA) return;
        if (!na_pagina_cartao()) codigos.tabela(aba_atual())[Tecla_Atual] = static_cast<std::int16_t>(Dado);
        mostra_codigo(Tecla_Atual, Dado);
        Sp_TeclaLBtab[Tecla_Atual]->setBackColor(BRANCO);
        avanca_selecao();
    });
}

void Editor::avanca_selecao() {
    // Key 65 is never visible and key 0 always is, so this ends at most one wrap later.
    const auto proxima = [this] {
        Tecla_Atual = static_cast<std::int16_t>(Tecla_Atual + 1);
        if (Tecla_Atual > 65) Tecla_Atual = 0;
    };
    proxima();
    while (Sp_TeclaLBtab[Tecla_Atual]->isHidden())
        proxima();
}

void Editor::Chk_Tec44_Click() {
    const bool v = valor_caixa(Chk_Tec44) != 1;
    for (int k = 0; k < QTD_TECLAS; ++k) {
        if (!oculta_no_modelo_44(k)) continue;
        Lbl_TeclaLBtab[k]->setVisible(v);
        Sp_TeclaLBtab[k]->setVisible(v);
    }
}

void Editor::mnuNovo_Click() {
    limpa_tabelas();
    mostra_tabela(1);
    teclado_.Sp_TeclaLB[Tecla_PC_Atual]->setBackColor(BRANCO);
    Sp_TeclaLBtab[Tecla_Atual]->setBackColor(BRANCO);
    Tecla_Atual = 0;
    Tecla_PC_Atual = 0;
    Fase_Pisca = 0;
    seleciona_aba(1);
    mostra_sentinelas();
}

void Editor::mostra_sentinelas() {
    for (std::size_t i = 0; i < LINHAS_SENTINELA.size(); ++i) {
        for (int b = 0; b < QTD_TABELAS; ++b)
            Txt_Sentinela[i][std::size_t(b)]->setText(
                QString::fromStdString(texto_sentinela(codigos, LINHAS_SENTINELA[i].slot, b)));
    }
}

void Editor::copia_sentinelas() {
    for (std::size_t i = 0; i < LINHAS_SENTINELA.size(); ++i) {
        for (int b = 0; b < QTD_TABELAS; ++b)
            codigos.tabela(b + 1)[LINHAS_SENTINELA[i].slot] =
                converte_inteiro(Txt_Sentinela[i][std::size_t(b)]->text().toStdString());
    }
}

void Editor::define_layout(const Layout& layout) {
    codigos.tabelas = layout.tabelas;
    for (std::size_t c = 0; c < Chk_Opcao.size(); ++c) {
        if (layout.caixas[c] != valor_caixa(Chk_Opcao[c])) define_caixa(Chk_Opcao[c], layout.caixas[c]);
        codigos.caixas[c] = layout.caixas[c];
    }
}

void Editor::mostra_lido_ate(int entrada, int tabela) {
    if (!na_pagina_cartao()) mostra_tabela(aba_atual());
    for (std::size_t i = 0; i < LINHAS_SENTINELA.size(); ++i) {
        const int s = LINHAS_SENTINELA[i].slot;
        for (int b = 0; b < QTD_TABELAS && (s < entrada || (s == entrada && b + 1 < tabela)); ++b)
            Txt_Sentinela[i][std::size_t(b)]->setText(QString::fromStdString(texto_sentinela(codigos, s, b)));
    }
}

void Editor::mostra_aberto() {
    mostra_sentinelas();
    Sp_TeclaLBtab[Tecla_Atual]->setBackColor(BRANCO);
    Tecla_Atual = TECLA_NENHUMA;
    seleciona_aba(1);
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
