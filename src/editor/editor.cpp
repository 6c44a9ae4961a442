#include "editor/editor.h"

#include "base/armadilha.h"
#include "catalogue/teclado_pc.h"
#include "editor/conversao.h"

#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

namespace vantora {

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
    for (const char* aba : {"Tabela 01", "Tabela 02", "Tabela 03", "Tabela 04", "LCM"})
        TabStrip->addTab(new QWidget(TabStrip), QString::fromLatin1(aba));
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
    for (int k = 0; k <= 65; ++k) {
        const int col = k % 13;
        const int lin = k / 13;
        auto* sp = new Forma(Frame[0], indexado("Sp_TeclaLBtab", k));
        auto* lb = new Rotulo(Frame[0], indexado("Lbl_TeclaLBtab", k));
        if (k < 65) {
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
    rotulo(p, indexado("Label1", 8), QStringLiteral("Leitor Trilha 2"), 1140, 870, 1500, 195);
    rotulo(p, indexado("Label1", 9), QStringLiteral("Leitor Trilha 3"), 3960, 870, 1500, 195);
    const std::array<const char*, 3> textos = {"Sentinela Inicial:", "Sentinela Final:", "Erro de Leitura:"};
    for (int i = 0; i < 3; ++i) {
        rotulo(p, indexado("Label1", 2 + i), QString::fromLatin1(textos[i]), 330, 1200 + 300 * i, 1230, 195);
        rotulo(p, indexado("Label1", 5 + i), QString::fromLatin1(textos[i]), 3180, 1230 + 300 * i, 1200, 195);
    }
    const auto caixas = [&](std::array<QLineEdit*, 4>& linha, const char* nome, int esquerda0, int topo,
                            const char* texto0) {
        for (int b = 0; b < 4; ++b) {
            auto* t = coloca(new QLineEdit(p), indexado(nome, b), esquerda0 + 330 * b, topo, 345, 285);
            // Three characters when typing; a longer code from a file shows whole.
            t->setValidator(new LimiteDigitacao(3, t));
            t->setText(b == 0 ? QString::fromLatin1(texto0) : QStringLiteral("00"));
            linha[b] = t;
        }
    };
    caixas(Txt_Inicial, "Txt_Inicial", 1560, 1155, "02");
    caixas(Txt_Final, "Txt_Final", 1560, 1455, "03");
    caixas(Txt_lcmErro, "Txt_lcmErro", 1560, 1755, "10");
    caixas(Txt_InicialT3, "Txt_InicialT3", 4380, 1170, "02");
    caixas(Txt_FinalT3, "Txt_FinalT3", 4380, 1470, "03");
    caixas(Txt_lcmErroT3, "Txt_lcmErroT3", 4380, 1770, "10");
}

void Editor::monta_opcoes(QWidget* area) {
    Chk_Prot44serial = coloca(new QCheckBox(QStringLiteral("Ativa protocolo Display Norva Serial"), area),
                              QStringLiteral("Chk_Prot44serial"), 7020, 2610, 2925, 195);
    Chk_Prot44serialBNC = coloca(new QCheckBox(QStringLiteral("Ativa protocolo Display BNC"), area),
                                 QStringLiteral("Chk_Prot44serialBNC"), 7020, 2850, 2925, 195);
    Chk_Prot44serialBNC->setToolTip(QStringLiteral("Altera o ACK = 0x06h"));
    Chk_Autoriza_prot =
        coloca(new QCheckBox(QStringLiteral("Autoriza modificar layout por outro protocolo"), area),
               QStringLiteral("Chk_Autoriza_prot"), 7020, 3060, 2925, 345);
    Chk_Autoriza_prot->setChecked(true);
    Chk_Autoriza_prot->hide();
    // Greyed only as a file left it: the operator's click makes it a plain box again.
    for (QCheckBox* c : {Chk_Prot44serial, Chk_Prot44serialBNC, Chk_Autoriza_prot})
        connect(c, &QCheckBox::clicked, c, [c] { c->setTristate(false); });
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
    if (tabela >= 1 && tabela <= 4) atualiza_teclas(codigos.tabela(tabela));
}

void Editor::atualiza_teclas(const Tabela& tabela) {
    for (int k = 0; k <= 64; ++k) {
        Lbl_TeclaLBtab[k]->setCaption(legenda_codigo(tabela[k], teclado_.padroes));
        Lbl_TeclaLBtab[k]->setToolTip(dica_codigo(tabela[k]));
    }
}

int Editor::aba_atual() const {
    return TabStrip->currentIndex() + 1;
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
        if (t == 5) {
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
    const QString& texto = teclado_.padroes.Codigo_TeclaLB.at(indice);
    // The hidden keys 109 and 111 have no code: converting their empty text fails
    // (error 13) before anything changes.
    const std::int16_t codigo = converte_inteiro(texto);
    const int t = aba_atual();
    if (t >= 1 && t <= 4) codigos.tabela(t)[tecla] = codigo;
    Lbl_TeclaLBtab[tecla]->setCaption(teclado_.Lbl_TeclaLB[indice]->caption());
    Lbl_TeclaLBtab[tecla]->setToolTip(texto + QStringLiteral(" (") +
                                      QString::number(static_cast<std::uint16_t>(codigo), 16).toUpper() +
                                      QStringLiteral("h)"));
}

void Editor::insere_codigo(int Dado) {
    trap(QStringLiteral("insere_codigo"), [this, Dado] {
        teclado_.Sp_TeclaLB[Tecla_PC_Atual]->setBackColor(BRANCO);
        Tecla_PC_Atual = 0;
        if (Tecla_Atual == TECLA_NENHUMA) return;
        const int t = aba_atual();
        if (t >= 1 && t <= 4) codigos.tabela(t)[Tecla_Atual] = static_cast<std::int16_t>(Dado);
        Lbl_TeclaLBtab[Tecla_Atual]->setCaption(legenda_codigo(Dado, teclado_.padroes));
        Lbl_TeclaLBtab[Tecla_Atual]->setToolTip(dica_codigo(Dado));
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

std::array<std::array<QLineEdit*, 4>*, 6> Editor::linhas_sentinela() {
    return {&Txt_Inicial, &Txt_Final, &Txt_lcmErro, &Txt_InicialT3, &Txt_FinalT3, &Txt_lcmErroT3};
}

void Editor::mostra_sentinelas() {
    const auto linhas = linhas_sentinela();
    for (int i = 0; i < 6; ++i) {
        for (int b = 0; b < 4; ++b)
            (*linhas[i])[b]->setText(texto_sentinela(codigos, PRIMEIRO_SENTINELA + i, b));
    }
}

void Editor::copia_sentinelas() {
    const auto linhas = linhas_sentinela();
    for (int i = 0; i < 6; ++i) {
        for (int b = 0; b < 4; ++b)
            codigos.tabela(b + 1)[PRIMEIRO_SENTINELA + i] = converte_inteiro((*linhas[i])[b]->text());
    }
}

std::array<int, 3> Editor::opcoes() const {
    return {valor_caixa(Chk_Autoriza_prot), valor_caixa(Chk_Prot44serial), valor_caixa(Chk_Prot44serialBNC)};
}

void Editor::define_opcoes(const std::array<int, 3>& valores) {
    const std::array<QCheckBox*, 3> caixas = {Chk_Autoriza_prot, Chk_Prot44serial, Chk_Prot44serialBNC};
    for (int c = 0; c < 3; ++c) {
        if (valores[c] != valor_caixa(caixas[c])) define_caixa(caixas[c], valores[c]);
    }
}

// A code no caption can show leaves its key's caption empty, its tooltip still giving
// the value, so that every key is shown.
void Editor::mostra_lido_ate(int entrada, int tabela) {
    if (const int t = aba_atual(); t >= 1 && t <= 4) {
        const Tabela& valores = codigos.tabela(t);
        for (int k = 0; k <= 64; ++k) {
            QString legenda;
            try {
                legenda = legenda_codigo(valores[k], teclado_.padroes);
            } catch (const ErroExecucao&) {
            }
            Lbl_TeclaLBtab[k]->setCaption(legenda);
            Lbl_TeclaLBtab[k]->setToolTip(dica_codigo(valores[k]));
        }
    }
    const auto linhas = linhas_sentinela();
    for (int s = PRIMEIRO_SENTINELA; s <= entrada; ++s) {
        for (int b = 0; b < 4 && (s < entrada || b + 1 < tabela); ++b)
            (*linhas[s - PRIMEIRO_SENTINELA])[b]->setText(texto_sentinela(codigos, s, b));
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
