#include "link/protocolo.h"

#include "base/erro.h"

#include <algorithm>
#include <array>

namespace vantora {

CodigosTroca codigos_da_troca(const Layout& codigos) {
    static_assert(QTD_TABELAS == 4 && QTD_SLOTS == 72, "a data record carries one code of each of four tables");
    CodigosTroca c{};
    for (std::size_t t = 0; t < c.size(); ++t)
        std::copy(codigos.tabelas[t].begin(), codigos.tabelas[t].end(), c[t].begin());
    return c;
}

int byte_opcoes(const std::array<int, QTD_OPCOES>& caixas) {
    int byte = 0;
    for (std::size_t c = 0; c < OPCOES_LAYOUT.size(); ++c)
        if (caixas[c] == OPCOES_LAYOUT[c].liga) byte |= 1 << OPCOES_LAYOUT[c].bit;
    return byte;
}

std::optional<std::string> valor_fora_da_faixa(const Layout& codigos) {
    const auto fora = [](int v) { return v < 0 || v > 255; };
    const auto n = [](int v) { return std::to_string(v); };
    for (int k = 0; k < QTD_TECLAS; ++k) {
        for (int t = 1; t <= QTD_TABELAS; ++t) {
            const int v = codigos.tabela(t)[k];
            if (fora(v))
                return "A tecla " + n(k + 1) + " (linha " + n(k / TECLAS_POR_LINHA + 1) + ", coluna " +
                       n(k % TECLAS_POR_LINHA + 1) + ") tem o código " + n(v) + " na Tabela 0" + n(t) +
                       "; os códigos vão de 0 a 255. Nada foi enviado ao teclado.";
        }
    }
    for (const LinhaSentinela& linha : LINHAS_SENTINELA) {
        for (int t = 1; t <= QTD_TABELAS; ++t) {
            const int v = codigos.tabela(t)[linha.slot];
            if (fora(v))
                return "A caixa " + n(t) + " de \"" + nome_sentinela(linha) + "\" (LCM) tem o valor " + n(v) +
                       "; os códigos vão de 0 a 255. Nada foi enviado ao teclado.";
        }
    }
    return std::nullopt;
}

std::string texto_falha_abertura(int erro) {
    if (erro == ERRO_PORTA_ABERTA) return "Não foi possivel abrir esta porta serial";
    return "Este programa executou um erro numero " + std::to_string(erro);
}

} // namespace vantora
