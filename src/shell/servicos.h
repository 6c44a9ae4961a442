#pragma once
// The platform facilities the window reaches through seams, given at construction.
// The program passes the real ones; tests pass stand-ins.

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
    // again; null leaves the list to "Atualiza" and the port choice.
    SinalPortas* sinal_portas = nullptr;
    // capture: the lock-key state for the lamps; null means the platform's own.
    EstadoTeclado* travas = nullptr;
    DialogoArquivo* dialogo = nullptr; // files: the Open and Save dialogs
};

} // namespace vantora
