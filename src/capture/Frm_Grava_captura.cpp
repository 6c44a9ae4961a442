// The keyboard filter and the lock lamps, as the window reaches them.
#include "shell/Frm_Grava.h"

#include <QLineEdit>

namespace vantora {

// Installs the PC keyboard filter. Not built yet: PC keys reach the controls.
void Frm_Grava::Ativa_Captura() {}

// Removes the PC keyboard filter.
void Frm_Grava::Desativa_Captura() {}

bool Frm_Grava::captura_instalada() const { return false; }

void Frm_Grava::Localiza_TeclaPC(const QString& identificador) {
    const int k = padroes.localiza(identificador);
    if (k != 0 && Captura_Suspensa == 0)
        Lbl_TeclaLB_Click(k);
    else if (Captura_Suspensa == 1)
        Resposta_Teclado = static_cast<std::int16_t>(k);
    else
        Txt_dado->setText(identificador.mid(1));
}

// Refreshes the Num, Caps and Scroll lamps. Not built yet: the lamps stay dark.
void Frm_Grava::Atualiza_Leds() {}

} // namespace vantora
