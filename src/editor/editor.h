#pragma once
// The layout editor: the four code tables behind the programmable keyboard (65 keys
// over 5 rows of 13, key 65 the hidden placeholder), the tab strip, the selection and
// its blink, code assignment from the on-screen PC keyboard, the 44-key view, New,
// the card-reader page with its 24 sentinel boxes, and the three option boxes.

#include "base/controles.h"
#include "base/mensagens.h"
#include "editor/tabelas.h"

#include <QObject>
#include <array>
#include <cstdint>

class QCheckBox;
class QLineEdit;
class QTabWidget;
class QTimer;

namespace vantora {

class TecladoPC;

class Editor : public QObject {
    Q_OBJECT
  public:
    Editor(TecladoPC& teclado, Mensagens& mensagens, QObject* pai = nullptr);

    // The tab strip, the programmable keyboard, the 44-key box and the card-reader
    // page, in `area`; the option boxes apart, made after the link's controls.
    void monta(QWidget* area);
    void monta_opcoes(QWidget* area);
    // Start-up: nothing selected but key 0, empty tables shown, the blink running.
    void inicia();

    void limpa_tabelas();
    void mostra_tabela(int tabela);
    void atualiza_teclas(const Tabela& tabela);
    void Lbl_TeclaLBtab_Click(int Index);
    void TabStrip_Click();
    void Tmr_POSICAO_Timer();
    void Lbl_TeclaLB_Click(int Index);
    void Lbl_TeclaLBnula_Click();
    void insere_tecla(int tecla, int indice);
    void insere_codigo(int Dado);
    void Chk_Tec44_Click();
    void mnuNovo_Click();
    // Selects tab n of the tab strip; its handler runs also when n is already on view.
    void seleciona_aba(int n);
    // Number of the selected tab, 1..5.
    [[nodiscard]] int aba_atual() const;
    // The sentinel display rule over the 24 boxes.
    void mostra_sentinelas();
    // Copies the 24 sentinel boxes into slots 66..71 (whole-number conversion; the
    // first box that holds no number stops the copy with error 13).
    void copia_sentinelas();
    // The blink stops while the keyboard is being programmed.
    void para_pisca();
    void retoma_pisca();

    // The layout on view becomes `layout`: its tables, and the option boxes whose value
    // differs (error 380 for a value outside 0..2, the tables then already set).
    void define_layout(const Layout& layout);
    // Whether the card-reader page is on view.
    [[nodiscard]] bool na_pagina_cartao() const;
    // After a layout read that stopped at entry `entrada` of table `tabela` (1..4):
    // the table on view and the sentinel boxes of the entries read show what the tables
    // now hold; the other boxes keep their text, which Save and the send take.
    void mostra_lido_ate(int entrada, int tabela);
    // After a layout read: the sentinels shown, nothing selected, table 1 on view.
    void mostra_aberto();

    // Check-box value as the layout reads it: 0, 1 or 2 (greyed).
    [[nodiscard]] static int valor_caixa(const QCheckBox* caixa);
    // Sets a check box from such a value; error 380 for any other.
    static void define_caixa(QCheckBox* caixa, int valor);

    // The layout on view: the code tables Codigos_Tab1..Codigos_Tab4 and the option
    // boxes' values, which follow the boxes as they change.
    Layout codigos;
    std::int16_t Tecla_Atual = 0;
    std::int16_t Tecla_PC_Atual = 0;
    std::int16_t Fase_Pisca = 0;

    QTabWidget* TabStrip = nullptr;
    std::array<QFrame*, 3> Frame{};
    Rotulo* Lbl_tab = nullptr;
    QCheckBox* Chk_Tec44 = nullptr;
    std::array<Rotulo*, 66> Lbl_TeclaLBtab{};
    std::array<Forma*, 66> Sp_TeclaLBtab{};
    // The sentinel rows' boxes (Txt_Inicial, Txt_Final, ... Txt_lcmErroT3), in the order
    // of LINHAS_SENTINELA, boxes 0..3 for tables 1..4.
    std::array<std::array<QLineEdit*, QTD_TABELAS>, QTD_SENTINELAS> Txt_Sentinela{};
    // The option boxes (Chk_Autoriza_prot, Chk_Prot44serial, Chk_Prot44serialBNC), in the
    // order of OPCOES_LAYOUT.
    std::array<QCheckBox*, QTD_OPCOES> Chk_Opcao{};
    QTimer* Tmr_POSICAO = nullptr;

  signals:
    // Each blink step: the lock lamps are refreshed with it.
    void piscou();
    // The card-reader page came on view (true) or was left (false): typing must reach
    // its boxes while it shows.
    void pagina_cartao(bool mostrada);

  private:
    void monta_leitor_cartao();
    // Key `tecla` shows `codigo`: the caption rule's caption, the code in its tooltip.
    void mostra_codigo(int tecla, int codigo);
    void avanca_selecao();
    template <class F> bool trap(const QString& procedimento, F&& corpo);

    TecladoPC& teclado_;
    Mensagens& mensagens_;
};

} // namespace vantora
