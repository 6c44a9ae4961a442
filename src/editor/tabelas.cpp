#include "tabelas.h"

#include "catalogue/catalogo.h"
#include "base/erro.h"

#include <cstdio>

namespace vantora {

Tabela& Layout::tabela(int n) {
    return const_cast<Tabela&>(static_cast<const Layout*>(this)->tabela(n));
}

const Tabela& Layout::tabela(int n) const {
    if (n < 1 || n > QTD_TABELAS) throw ErroExecucao(ERRO_SUBSCRITO);
    return tabelas[static_cast<std::size_t>(n - 1)];
}

void Layout::limpa_tabelas() {
    for (Tabela& t : tabelas)
        t.fill(0);
}

std::string legenda_codigo(int c, const Catalogo& catalogo) {
    std::string numero = "<" + std::to_string(c) + ">";
    if (c < 0 || c > 255) return numero;
    if (c < 32) return catalogo.Nome_Codigo[std::size_t(c)];
    if (c == 32) return "Space";
    if (c == 127) return "DEL";
    const char32_t ch = caractere_ansi(c);
    // The code page's five holes have no character at all (they map to the C1
    // controls); every other code is its character, even one that prints as a blank
    // (160) or not at all (173).
    return ch >= 0x80 && ch <= 0x9F ? numero : utf8(ch);
}

std::string legenda_exibida(int c, const Catalogo& catalogo) {
    std::string s = legenda_codigo(c, catalogo);
    // Only what can be seen is printed as it is: a C1 control (157 opens a terminal's
    // command string) or a caption of blanks alone would show nothing, or worse.
    bool visivel = s.empty();
    for (std::size_t i = 0; i < s.size();) {
        const char32_t ch = proximo_utf8(s, &i);
        if (ch < 0x20 || (ch >= 0x7F && ch <= 0x9F) || ch == 0xAD) return "<" + std::to_string(c) + ">";
        visivel = visivel || (ch != 0x20 && ch != 0xA0);
    }
    return visivel ? s : "<" + std::to_string(c) + ">";
}

std::string dica_codigo(int c) {
    char hexa[8];
    std::snprintf(hexa, sizeof hexa, "%X", unsigned{static_cast<std::uint16_t>(c)});
    return std::to_string(c) + " (" + hexa + "h)";
}

std::string texto_sentinela(const Layout& codigos, int slot, int caixa) {
    const int valor = codigos.tabela(caixa + 1).at(slot);
    if (caixa == 0 && valor == 0) return LINHAS_SENTINELA.at(std::size_t(slot - PRIMEIRO_SENTINELA)).padrao;
    return std::to_string(valor);
}

std::string legenda_trilha(int trilha) {
    return "Leitor Trilha " + std::to_string(trilha);
}

std::string nome_sentinela(const LinhaSentinela& linha) {
    std::string legenda = linha.legenda;
    legenda.pop_back(); // the colon
    return legenda + ", " + legenda_trilha(linha.trilha);
}

} // namespace vantora
