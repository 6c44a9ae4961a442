#include "tabelas.h"

#include "catalogue/catalogo.h"
#include "base/erro.h"

namespace vantora {

Tabela& CodigosLayout::tabela(int n) {
    return const_cast<Tabela&>(static_cast<const CodigosLayout*>(this)->tabela(n));
}

const Tabela& CodigosLayout::tabela(int n) const {
    switch (n) {
    case 1:
        return Codigos_Tab1;
    case 2:
        return Codigos_Tab2;
    case 3:
        return Codigos_Tab3;
    case 4:
        return Codigos_Tab4;
    default:
        throw ErroExecucao(ERRO_SUBSCRITO);
    }
}

void CodigosLayout::limpa_tabelas() {
    for (int i = 0; i < QTD_SLOTS; ++i) {
        Codigos_Tab1[i] = 0;
        Codigos_Tab2[i] = 0;
        Codigos_Tab3[i] = 0;
        Codigos_Tab4[i] = 0;
    }
}

QString legenda_codigo(int c, const Catalogo& catalogo) {
    if (c < 0) throw ErroExecucao(ERRO_SUBSCRITO);
    if (c < 32) return catalogo.Nome_Codigo[c];
    if (c == 32) return QStringLiteral("Space");
    if (c == 127) return QStringLiteral("DEL");
    if (c > 255) throw ErroExecucao(ERRO_CHAMADA_INVALIDA);
    return QString(caractere_ansi(c));
}

QString dica_codigo(int c) {
    return QString::number(c) + QStringLiteral(" (") +
           QString::number(static_cast<std::uint16_t>(c), 16).toUpper() + QStringLiteral("h)");
}

QString texto_sentinela(const CodigosLayout& codigos, int slot, int caixa) {
    const int valor = codigos.tabela(caixa + 1).at(slot);
    if (caixa == 0 && valor == 0) return QString::fromLatin1(PADRAO_SENTINELA.at(slot - PRIMEIRO_SENTINELA));
    return QString::number(valor);
}

} // namespace vantora
