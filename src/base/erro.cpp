#include "erro.h"

namespace vantora {

std::string descricaoPadrao(int numero) {
    switch (numero) {
    case ERRO_CHAMADA_INVALIDA:
        return "Chamada de procedimento ou argumento inválido";
    case ERRO_ESTOURO:
        return "Estouro";
    case ERRO_SUBSCRITO:
        return "Subscrito fora do intervalo";
    case ERRO_TIPOS:
        return "Tipos incompatíveis";
    case ERRO_ARQUIVO:
        return "Erro de acesso ao caminho/arquivo";
    case ERRO_PROPRIEDADE:
        return "Valor de propriedade inválido";
    case ERRO_PORTA_INVALIDA:
        return "Número de porta inválido";
    case ERRO_PORTA_ABERTA:
        return "Porta já aberta";
    case ERRO_PORTA_FECHADA:
        return "Operação válida somente com a porta aberta";
    default:
        return "Erro definido pelo aplicativo ou pelo objeto";
    }
}

ErroExecucao::ErroExecucao(int numero, std::string descricao)
    : numero_(numero), descricao_(descricao.empty() ? descricaoPadrao(numero) : std::move(descricao)) {
    texto_ = "Error " + std::to_string(numero_) + " (" + descricao_ + ")";
}

std::string mensagemErro(int numero, const std::string& descricao, const std::string& procedimento,
                         const std::string& onde, const std::string& complemento) {
    return "Error " + std::to_string(numero) + " (" + descricao + ") in procedure " + procedimento + " of " + onde +
           (complemento.empty() ? std::string() : "\n\n" + complemento);
}

} // namespace vantora
