#pragma once
// The on-screen PC keyboard: 112 key labels over their shapes and "Sem Código", laid
// out from the key catalogue it owns. Clicks are reported by `clicada` and `nula_clicada`.

#include "base/controles.h"
#include "catalogue/catalogo.h"

#include <QObject>
#include <array>
#include <cstdint>

namespace vantora {

class TecladoPC : public QObject {
    Q_OBJECT
  public:
    explicit TecladoPC(QObject* pai = nullptr) : QObject(pai) {}

    // Makes the shapes, then the labels (so every label lies above every shape), in `area`.
    void monta(QWidget* area);
    // Fills the catalogue and lays the keys out: captions from it, and the folds its
    // markers ask for. Error 9 when a label the pass needs is missing.
    void Carrega_Padroes();
    // The background of key `k`: the selection's blink paints it.
    void pinta(int k, std::uint32_t cor) { Sp_TeclaLB.at(std::size_t(k))->setBackColor(cor); }

    Catalogo padroes;
    std::array<Rotulo*, 112> Lbl_TeclaLB{}; // no label 110
    std::array<Forma*, 112> Sp_TeclaLB{};
    Rotulo* Lbl_TeclaLBnula = nullptr;

  signals:
    // Key label `Index` was clicked.
    void clicada(int Index);
    // "Sem Código" was clicked.
    void nula_clicada();
};

} // namespace vantora
