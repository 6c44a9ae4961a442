#pragma once
// The layout model: QTD_TABELAS (four) code tables of 72 signed 16-bit entries, the
// option boxes and the sentinel rows, and the rules that turn a code into a key's
// caption and tooltip.
//
// Slots 0..64 are the programmable keys (row k / 13, column k % 13), 65 the hidden
// placeholder key, 66..71 the card-reader sentinels (table N holds character N).

#include "base/pagina.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vantora {

struct Catalogo;

inline constexpr int QTD_SLOTS = 72;
inline constexpr int TECLAS_POR_LINHA = 13;
inline constexpr int QTD_TECLAS = 65;    // programmable keys 0..64
inline constexpr int TECLA_NENHUMA = 65; // Tecla_Atual when no key is selected
inline constexpr int PRIMEIRO_SENTINELA = 66;

using Tabela = std::array<std::int16_t, QTD_SLOTS>;

// What a layout is made of, described once here. Adding to it touches:
// - a code table: QTD_TABELAS here and the keyboard's data record, which carries four
//   codes (src/link/gravacao.cpp); the window's tabs and sentinel boxes follow;
// - an option box: OPCOES_LAYOUT here and where its check box lies (`lugares` in
//   src/editor/editor.cpp);
// - a sentinel row: LINHAS_SENTINELA and QTD_SLOTS here (one more file key and
//   record); its boxes go below the others of its track (src/editor/editor.cpp).
// The layout file's reader and writer, the options byte, the exchange, the window,
// vantora-prog and the tests follow these tables. The emulator (tools/vantora-sim.cpp)
// keeps its own copy of the wire format on purpose, to check the exchange against.
inline constexpr int QTD_TABELAS = 4;

// The option boxes, in the order of the file's section "Teclado": file key, the
// window's check box, its caption, the bit of the options byte sent to the keyboard,
// the box value (0 unchecked, 1 checked, 2 greyed) that sets that bit, and the value
// of a new layout.
struct OpcaoLayout {
    const char* chave;
    const char* controle;
    const char* legenda;
    int bit;
    int liga;
    int padrao;
};
inline constexpr std::array<OpcaoLayout, 3> OPCOES_LAYOUT = {{
    {"Prot", "Chk_Autoriza_prot", "Autoriza modificar layout por outro protocolo", 0, 0, 1},
    {"ProtDisp", "Chk_Prot44serial", "Ativa protocolo Display Norva Serial", 1, 1, 0},
    {"ProtDispBNC", "Chk_Prot44serialBNC", "Ativa protocolo Display BNC", 2, 1, 0},
}};
inline constexpr int QTD_OPCOES = static_cast<int>(OPCOES_LAYOUT.size());

// The card reader's sentinel rows, slots 66..71 in order: slot, the window's row of
// boxes (one per table), the text box 0 shows when table 1 holds 0 (as after "Novo"), the text
// box 0 shows when the window starts (track 3 shows track 2's on purpose), the row's
// caption, the reader's track, and the row's field in vantora-prog's CSV.
struct LinhaSentinela {
    int slot;
    const char* controle;
    const char* padrao;
    const char* inicial;
    const char* legenda;
    int trilha;
    const char* campo;
};
inline constexpr std::array<LinhaSentinela, 6> LINHAS_SENTINELA = {{
    {66, "Txt_Inicial", "02", "02", "Sentinela Inicial:", 2, "inicial"},
    {67, "Txt_Final", "03", "03", "Sentinela Final:", 2, "final"},
    {68, "Txt_lcmErro", "10", "10", "Erro de Leitura:", 2, "erro"},
    {69, "Txt_InicialT3", "04", "02", "Sentinela Inicial:", 3, "inicial"},
    {70, "Txt_FinalT3", "05", "03", "Sentinela Final:", 3, "final"},
    {71, "Txt_lcmErroT3", "10", "10", "Erro de Leitura:", 3, "erro"},
}};
inline constexpr int QTD_SENTINELAS = static_cast<int>(LINHAS_SENTINELA.size());
static_assert(PRIMEIRO_SENTINELA + QTD_SENTINELAS == QTD_SLOTS);
static_assert(
    [] {
        for (std::size_t i = 0; i < LINHAS_SENTINELA.size(); ++i)
            if (LINHAS_SENTINELA[i].slot != PRIMEIRO_SENTINELA + static_cast<int>(i)) return false;
        return true;
    }(),
    "the sentinel rows are the last slots, in order");

// A layout: the code tables and the option boxes.
struct Layout {
    // tabelas[0..3] are the window's Codigos_Tab1..Codigos_Tab4.
    std::array<Tabela, QTD_TABELAS> tabelas{};
    std::array<int, QTD_OPCOES> caixas = [] {
        std::array<int, QTD_OPCOES> c{};
        for (int i = 0; i < QTD_OPCOES; ++i)
            c[static_cast<std::size_t>(i)] = OPCOES_LAYOUT[static_cast<std::size_t>(i)].padrao;
        return c;
    }();

    // Table 1..QTD_TABELAS; throws error 9 for any other number.
    [[nodiscard]] Tabela& tabela(int n);
    [[nodiscard]] const Tabela& tabela(int n) const;
    // Every code of every table to 0; the boxes stay.
    void limpa_tabelas();
    friend bool operator==(const Layout& a, const Layout& b) {
        return a.tabelas == b.tabelas && a.caixas == b.caixas;
    }
};

// Caption a programmable key shows for code c: nothing for 0 (no code), the control
// code's name below 32, "Space", "DEL", otherwise the character in the keyboard's code
// page. A code no caption can show is its number in angle brackets ("<300>", "<-1>"),
// never nothing nor another key's caption: one outside 0..255 (a file may hold any
// 16-bit value, and it stays what the file said) or one the code page leaves undefined
// (129, 141, 143, 144 and 157). Every code has a caption, in UTF-8.
[[nodiscard]] std::string legenda_codigo(int codigo, const Catalogo& catalogo);

// Caption of a code on a printed legend or a terminal: as legenda_codigo, except that a
// code whose character cannot be seen (the code page's 160, a blank, and 173, an
// invisible hyphen) shows as <value> too.
[[nodiscard]] std::string legenda_exibida(int codigo, const Catalogo& catalogo);

// Tooltip for code c, also what a screen reader says of the key: "65 (41h)", and
// "-1 (FFFFh)" for a negative code, in the file's 16 bits.
[[nodiscard]] std::string dica_codigo(int codigo);

// Sentinel display rule: text of box `caixa` (0..3) of the row of `slot` (66..71):
// the row's `padrao` in box 0 when table 1 holds 0, otherwise the number.
[[nodiscard]] std::string texto_sentinela(const Layout& codigos, int slot, int caixa);

// The caption over a track's rows: "Leitor Trilha 2".
[[nodiscard]] std::string legenda_trilha(int trilha);
// A row named in messages: "Sentinela Final, Leitor Trilha 2".
[[nodiscard]] std::string nome_sentinela(const LinhaSentinela& linha);

// Keys hidden in the 44-key (Norva) view: columns 11 and 12 of rows 0..3 and row 4.
[[nodiscard]] constexpr bool oculta_no_modelo_44(int tecla) {
    return tecla >= 4 * TECLAS_POR_LINHA || (tecla % TECLAS_POR_LINHA) >= 11;
}

} // namespace vantora
