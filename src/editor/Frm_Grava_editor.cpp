// The layout editor: code tables, selection and its blink, table switching, code
// assignment with captions and tooltips, the 44-key view and New.
#include "shell/Frm_Grava.h"

#include "editor/conversao.h"

#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>
#include <QTabWidget>

namespace vantora {

void Frm_Grava::limpa_tabelas() {
    codigos.limpa_tabelas();
}

void Frm_Grava::mostra_tabela(int tabela) {
    if (tabela >= 1 && tabela <= 4) atualiza_teclas(codigos.tabela(tabela));
}

void Frm_Grava::atualiza_teclas(const Tabela& tabela) {
    for (int k = 0; k <= 64; ++k) {
        Lbl_TeclaLBtab[k]->setCaption(legenda_codigo(tabela[k], padroes));
        Lbl_TeclaLBtab[k]->setToolTip(dica_codigo(tabela[k]));
    }
}

int Frm_Grava::aba_atual() const {
    return TabStrip->currentIndex() + 1;
}

void Frm_Grava::seleciona_aba(int n) {
    if (TabStrip->currentIndex() == n - 1)
        TabStrip_Click();
    else
        TabStrip->setCurrentIndex(n - 1); // runs TabStrip_Click
}

void Frm_Grava::Lbl_TeclaLBtab_Click(int Index) {
    Sp_TeclaLBtab[Tecla_Atual]->setBackColor(BRANCO);
    Tecla_Atual = static_cast<std::int16_t>(Index);
}

void Frm_Grava::TabStrip_Click() {
    trap(QStringLiteral("TabStrip_Click"), [this] {
        const int t = aba_atual();
        if (t == 5) {
            Frame[0]->hide();
            Frame[2]->show();
            Lbl_tab->setCaption(QString());
            Desativa_Captura(); // typing must reach the sentinel boxes
            return;
        }
        if (Frame[2]->isVisibleTo(this)) {
            Frame[0]->show();
            Frame[2]->hide();
            Ativa_Captura();
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

void Frm_Grava::Tmr_POSICAO_Timer() {
    if (Fase_Pisca == 0) {
        Sp_TeclaLB[Tecla_PC_Atual]->setBackColor(AMARELO);
        Sp_TeclaLBtab[Tecla_Atual]->setBackColor(VERDE);
        Fase_Pisca = 1;
    } else if (Fase_Pisca == 1) {
        Sp_TeclaLB[Tecla_PC_Atual]->setBackColor(AMARELO_CLARO);
        Sp_TeclaLBtab[Tecla_Atual]->setBackColor(AMARELO);
        Fase_Pisca = 0;
    }
    Atualiza_Leds();
}

void Frm_Grava::Lbl_TeclaLB_Click(int Index) {
    trap(QStringLiteral("Lbl_TeclaLB_Click"), [this, Index] {
        Sp_TeclaLB[Tecla_PC_Atual]->setBackColor(BRANCO);
        Tecla_PC_Atual = static_cast<std::int16_t>(Index);
        if (Tecla_Atual == TECLA_NENHUMA) return;
        insere_tecla(Tecla_Atual, Index);
        Sp_TeclaLBtab[Tecla_Atual]->setBackColor(BRANCO);
        avanca_selecao();
    });
}

void Frm_Grava::Lbl_TeclaLBnula_Click() {
    Lbl_TeclaLB_Click(0);
}

void Frm_Grava::insere_tecla(int tecla, int indice) {
    if (tecla == TECLA_NENHUMA) return;
    const QString& texto = padroes.Codigo_TeclaLB.at(indice);
    // The hidden keys 109 and 111 have no code: converting their empty text fails
    // (error 13) before anything changes.
    const std::int16_t codigo = converte_inteiro(texto);
    const int t = aba_atual();
    if (t >= 1 && t <= 4) codigos.tabela(t)[tecla] = codigo;
    Lbl_TeclaLBtab[tecla]->setCaption(Lbl_TeclaLB[indice]->caption());
    Lbl_TeclaLBtab[tecla]->setToolTip(texto + QStringLiteral(" (") +
                                      QString::number(static_cast<std::uint16_t>(codigo), 16).toUpper() +
                                      QStringLiteral("h)"));
}

void Frm_Grava::insere_codigo(int Dado) {
    trap(QStringLiteral("insere_codigo"), [this, Dado] {
        Sp_TeclaLB[Tecla_PC_Atual]->setBackColor(BRANCO);
        Tecla_PC_Atual = 0;
        if (Tecla_Atual == TECLA_NENHUMA) return;
        const int t = aba_atual();
        if (t >= 1 && t <= 4) codigos.tabela(t)[Tecla_Atual] = static_cast<std::int16_t>(Dado);
        Lbl_TeclaLBtab[Tecla_Atual]->setCaption(legenda_codigo(Dado, padroes));
        Lbl_TeclaLBtab[Tecla_Atual]->setToolTip(dica_codigo(Dado));
        Sp_TeclaLBtab[Tecla_Atual]->setBackColor(BRANCO);
        avanca_selecao();
    });
}

void Frm_Grava::avanca_selecao() {
    // Key 65 is never visible and key 0 always is, so this ends at most one wrap later.
    const auto proxima = [this] {
        Tecla_Atual = static_cast<std::int16_t>(Tecla_Atual + 1);
        if (Tecla_Atual > 65) Tecla_Atual = 0;
    };
    proxima();
    while (Sp_TeclaLBtab[Tecla_Atual]->isHidden())
        proxima();
}

void Frm_Grava::Chk_Tec44_Click() {
    const bool v = valor_caixa(Chk_Tec44) != 1;
    for (int r = 1; r <= 4; ++r) {
        const int b = (r - 1) * 13;
        Lbl_TeclaLBtab[b + 11]->setVisible(v);
        Lbl_TeclaLBtab[b + 12]->setVisible(v);
        Sp_TeclaLBtab[b + 11]->setVisible(v);
        Sp_TeclaLBtab[b + 12]->setVisible(v);
    }
    for (int k = 52; k <= 64; ++k) {
        Lbl_TeclaLBtab[k]->setVisible(v);
        Sp_TeclaLBtab[k]->setVisible(v);
    }
}

void Frm_Grava::mnuNovo_Click() {
    limpa_tabelas();
    mostra_tabela(1);
    Sp_TeclaLB[Tecla_PC_Atual]->setBackColor(BRANCO);
    Sp_TeclaLBtab[Tecla_Atual]->setBackColor(BRANCO);
    Tecla_Atual = 0;
    Tecla_PC_Atual = 0;
    Fase_Pisca = 0;
    seleciona_aba(1);
    mostra_sentinelas();
}

void Frm_Grava::mostra_sentinelas() {
    const auto linhas = linhas_sentinela();
    for (int i = 0; i < 6; ++i) {
        for (int b = 0; b < 4; ++b)
            (*linhas[i])[b]->setText(texto_sentinela(codigos, PRIMEIRO_SENTINELA + i, b));
    }
}

void Frm_Grava::copia_sentinelas() {
    const auto linhas = linhas_sentinela();
    for (int i = 0; i < 6; ++i) {
        for (int b = 0; b < 4; ++b)
            codigos.tabela(b + 1)[PRIMEIRO_SENTINELA + i] = converte_inteiro((*linhas[i])[b]->text());
    }
}

} // namespace vantora
