#include "link/protocolo.h"

#include <array>

namespace vantora {

int byte_opcoes(const std::array<int, 3>& caixas) {
    return (caixas[0] == 0 ? 1 : 0) | (caixas[1] == 1 ? 2 : 0) | (caixas[2] == 1 ? 4 : 0);
}

std::optional<QString> valor_fora_da_faixa(const CodigosLayout& codigos) {
    const auto fora = [](int v) { return v < 0 || v > 255; };
    for (int k = 0; k < QTD_TECLAS; ++k) {
        for (int t = 1; t <= 4; ++t) {
            const int v = codigos.tabela(t)[k];
            if (fora(v))
                return QStringLiteral("A tecla %1 (linha %2, coluna %3) tem o código %4 na Tabela 0%5; "
                                      "os códigos vão de 0 a 255. Nada foi enviado ao teclado.")
                    .arg(k + 1)
                    .arg(k / 13 + 1)
                    .arg(k % 13 + 1)
                    .arg(v)
                    .arg(t);
        }
    }
    static const std::array<const char*, 6> nomes = {
        "Sentinela Inicial, Leitor Trilha 2", "Sentinela Final, Leitor Trilha 2",
        "Erro de Leitura, Leitor Trilha 2",   "Sentinela Inicial, Leitor Trilha 3",
        "Sentinela Final, Leitor Trilha 3",   "Erro de Leitura, Leitor Trilha 3"};
    for (int i = 0; i < 6; ++i) {
        for (int t = 1; t <= 4; ++t) {
            const int v = codigos.tabela(t)[PRIMEIRO_SENTINELA + i];
            if (fora(v))
                return QStringLiteral("A caixa %1 de \"%2\" (LCM) tem o valor %3; os códigos vão de 0 a 255. "
                                      "Nada foi enviado ao teclado.")
                    .arg(t)
                    .arg(QString::fromUtf8(nomes[size_t(i)]))
                    .arg(v);
        }
    }
    return std::nullopt;
}

} // namespace vantora
