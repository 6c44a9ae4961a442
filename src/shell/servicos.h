#pragma once
// The platform facilities the window reaches through seams, given at construction.
// The program passes the real ones; tests pass stand-ins.

namespace vantora {

class Mensagens;
class ConfiguracaoUsuario;
class DialogoArquivo; // files: the Open and Save dialogs

struct Servicos {
    Mensagens* mensagens = nullptr;
    ConfiguracaoUsuario* configuracao = nullptr;
    DialogoArquivo* dialogo = nullptr; // files: the Open and Save dialogs
};

} // namespace vantora
