#pragma once
// The platform facilities the window reaches through seams, given at construction.
// Tests pass stand-ins; a seam left null is the platform's own, which the window
// makes (the lock-key state included).

namespace vantora {

class Mensagens;
class ConfiguracaoUsuario;
class InventarioPortas;
class AberturaPortas;
class EstadoTeclado; // capture
class DialogoArquivo; // files: the Open and Save dialogs
class SinalPortas;

struct Servicos {
    Mensagens* mensagens = nullptr;
    ConfiguracaoUsuario* configuracao = nullptr;
    // Link (src/link): the serial devices present, and what opens one by its number.
    InventarioPortas* inventario = nullptr;
    AberturaPortas* portas = nullptr;
    // Notice of adapters plugged in or pulled out, after which the inventory is asked
    // again.
    SinalPortas* sinal_portas = nullptr;
    EstadoTeclado* travas = nullptr; // capture: the lock-key state for the lamps
    DialogoArquivo* dialogo = nullptr; // files: the Open and Save dialogs
};

} // namespace vantora
