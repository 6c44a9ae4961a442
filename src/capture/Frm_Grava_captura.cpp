// The keyboard filter and the lock lamps, as the window reaches them.
#include "shell/Frm_Grava.h"

namespace vantora {

// Installs the PC keyboard filter. Not built yet: PC keys reach the controls.
void Frm_Grava::Ativa_Captura() {}

// Removes the PC keyboard filter.
void Frm_Grava::Desativa_Captura() {}

// Refreshes the Num, Caps and Scroll lamps. Not built yet: the lamps stay dark.
void Frm_Grava::Atualiza_Leds() {}

} // namespace vantora
