#pragma once
// The layout editor's controls: the programmable keyboard (65 keys over 5 rows of 13,
// key 65 the hidden placeholder) showing the table on view, the tab strip, the
// selection and its blink, the 44-key box, the card-reader page with its 24 sentinel
// boxes, and the three option boxes.

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

class Documento;
class TecladoPC;

// A view of the Documento: it draws the document on every change it tells of (every
// key's caption on every table change) and turns clicks and typing into the
// document's operations, keeping none of its data.
class Editor : public QObject {
    Q_OBJECT
  public:
    Editor(Documento& documento, TecladoPC& teclado, Mensagens& mensagens, QObject* pai = nullptr);

    // The tab strip, the programmable keyboard, the 44-key box and the card-reader
    // page, in `area`; the option boxes apart, made after the link's controls.
    void monta(QWidget* area);
    void monta_opcoes(QWidget* area);

    // One blink step of the selected key and PC key.
    void Tmr_POSICAO_Timer();
    // The blink stops while the keyboard is being programmed.
    void para_pisca();
    void retoma_pisca();

    // Check-box value as the layout reads it: 0, 1 or 2 (greyed).
    [[nodiscard]] static int valor_caixa(const QCheckBox* caixa);
    // Sets a check box from such a value; error 380 for any other.
    static void define_caixa(QCheckBox* caixa, int valor);

  signals:
    // Each blink step: the lock lamps are refreshed with it.
    void piscou();

  private:
    void monta_leitor_cartao();
    void Lbl_TeclaLBtab_Click(int Index);
    void TabStrip_Click();
    void Lbl_TeclaLB_Click(int Index);
    void Chk_Tec44_Click();
    // Draws what the document says changed.
    void mostra(int mudanca);
    // Every key of the table on view shows its code (nothing to draw on the card page).
    void mostra_teclas();
    // Key `tecla` shows `codigo`: the caption rule's caption, the code in its tooltip.
    void mostra_codigo(int tecla, int codigo);
    template <class F> bool trap(const QString& procedimento, F&& corpo);

    Documento& documento_;
    TecladoPC& teclado_;
    Mensagens& mensagens_;
    // The key and PC key last drawn as selected: a new selection paints them white.
    int tecla_pintada_ = 0;
    int tecla_pc_pintada_ = 0;
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
};

} // namespace vantora
