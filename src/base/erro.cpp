#include "erro.h"

namespace vantora {

QString descricaoPadrao(int numero) {
    switch (numero) {
    case ERRO_CHAMADA_INVALIDA:
        return QStringLiteral("Chamada de procedimento ou argumento inválido");
    case ERRO_ESTOURO:
        return QStringLiteral("Estouro");
    case ERRO_SUBSCRITO:
        return QStringLiteral("Subscrito fora do intervalo");
    case ERRO_TIPOS:
        return QStringLiteral("Tipos incompatíveis");
    case ERRO_ARQUIVO:
        return QStringLiteral("Erro de acesso ao caminho/arquivo");
    case ERRO_PROPRIEDADE:
        return QStringLiteral("Valor de propriedade inválido");
    case ERRO_PORTA_INVALIDA:
        return QStringLiteral("Número de porta inválido");
    case ERRO_PORTA_ABERTA:
        return QStringLiteral("Porta já aberta");
    case ERRO_PORTA_FECHADA:
        return QStringLiteral("Operação válida somente com a porta aberta");
    default:
        return QStringLiteral("Erro definido pelo aplicativo ou pelo objeto");
    }
}

ErroExecucao::ErroExecucao(int numero, QString descricao)
    : numero_(numero), descricao_(descricao.isEmpty() ? descricaoPadrao(numero) : std::move(descricao)) {
    texto_ = QStringLiteral("Error %1 (%2)").arg(numero_).arg(descricao_).toStdString();
}

QString mensagemErro(int numero, const QString& descricao, const QString& procedimento, const QString& onde) {
    return QStringLiteral("Error ") + QString::number(numero) + QStringLiteral(" (") + descricao +
           QStringLiteral(") in procedure ") + procedimento + QStringLiteral(" of ") + onde;
}

} // namespace vantora
