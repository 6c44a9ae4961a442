// Port discovery, the programming exchange and serial capture, as the window reaches them.
#include "shell/Frm_Grava.h"

namespace vantora {

// Searches the serial ports and fills the port box. Not built yet: the box stays empty.
void Frm_Grava::ListaPortasCbserial() {}

void Frm_Grava::Lbl_Atualiza_Click() {}

void Frm_Grava::Cmd_Grava_Teclado_Click() {}

void Frm_Grava::mnu_ativa_serial_Click() {}

} // namespace vantora
