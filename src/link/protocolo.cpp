#include "link/protocolo.h"

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

std::optional<QString> valor_fora_da_faixa(const Layout& codigos) {
    const auto fora = [](int v) { return v < 0 || v > 255; };
    for (int k = 0; k < QTD_TECLAS; ++k) {
        for (int t = 1; t <= QTD_TABELAS; ++t) {
            const int v = codigos.tabela(t)[k];
            if (fora(v))
                return QStringLiteral("A tecla %1 (linha %2, coluna %3) tem o código %4 na Tabela 0%5; "
                                      "os códigos vão de 0 a 255. Nada foi enviado ao teclado.")
                    .arg(k + 1)
                    .arg(k / TECLAS_POR_LINHA + 1)
                    .arg(k % TECLAS_POR_LINHA + 1)
                    .arg(v)
                    .arg(t);
        }
    }
    for (const LinhaSentinela& linha : LINHAS_SENTINELA) {
        for (int t = 1; t <= QTD_TABELAS; ++t) {
            const int v = codigos.tabela(t)[linha.slot];
            if (fora(v))
                return QStringLiteral("A caixa %1 de \"%2\" (LCM) tem o valor %3; os códigos vão de 0 a 255. "
                                      "Nada foi enviado ao teclado.")
                    .arg(t)
                    .arg(nome_sentinela(linha))
                    .arg(v);
        }
    }
    return std::nullopt;
}

} // namespace vantora
