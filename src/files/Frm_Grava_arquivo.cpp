// The "Abrir" and "Salvar" commands.
#include "shell/Frm_Grava.h"

namespace vantora {

void Frm_Grava::mnu_Abrir_Click() {}

void Frm_Grava::mnuSalvar_Click() {}

} // namespace vantora
