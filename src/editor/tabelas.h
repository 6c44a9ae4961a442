#pragma once
// The layout model: four code tables of 72 signed 16-bit entries, and the rules
// that turn a code into a key's caption and tooltip.
//
// Slots 0..64 are the programmable keys (row k / 13, column k % 13), 65 the hidden
// placeholder key, 66..71 the card-reader sentinels (table N holds character N).

#include "base/pagina.h"

#include <QString>
#include <array>
#include <cstdint>

namespace vantora {

struct Catalogo;

inline constexpr int QTD_SLOTS = 72;
inline constexpr int QTD_TECLAS = 65;    // programmable keys 0..64
inline constexpr int TECLA_NENHUMA = 65; // Tecla_Atual when no key is selected
inline constexpr int PRIMEIRO_SENTINELA = 66;

using Tabela = std::array<std::int16_t, QTD_SLOTS>;

struct CodigosLayout {
    Tabela Codigos_Tab1{};
    Tabela Codigos_Tab2{};
    Tabela Codigos_Tab3{};
    Tabela Codigos_Tab4{};

    // Table 1..4; throws error 9 for any other number.
    [[nodiscard]] Tabela& tabela(int n);
    [[nodiscard]] const Tabela& tabela(int n) const;
    void limpa_tabelas();
    friend bool operator==(const CodigosLayout& a, const CodigosLayout& b) {
        return a.Codigos_Tab1 == b.Codigos_Tab1 && a.Codigos_Tab2 == b.Codigos_Tab2 &&
               a.Codigos_Tab3 == b.Codigos_Tab3 && a.Codigos_Tab4 == b.Codigos_Tab4;
    }
};

// Caption a programmable key shows for code c: control-code name below 32, "Space",
// "DEL", otherwise the character. Error 9 for a negative code, 5 above 255.
[[nodiscard]] QString legenda_codigo(int codigo, const Catalogo& catalogo);

// Tooltip for code c: "65 (41h)".
[[nodiscard]] QString dica_codigo(int codigo);

// The six sentinel rows (slots 66..71) and the text box 0 shows when table 1 holds 0.
inline constexpr std::array<const char*, 6> PADRAO_SENTINELA = {"02", "03", "10", "04", "05", "10"};

// Sentinel display rule: text of box `caixa` (0..3) of the row of `slot` (66..71).
[[nodiscard]] QString texto_sentinela(const CodigosLayout& codigos, int slot, int caixa);

// Keys hidden in the 44-key (Norva) view: columns 11 and 12 of rows 0..3 and row 4.
[[nodiscard]] constexpr bool oculta_no_modelo_44(int tecla) {
    return tecla >= 52 || (tecla % 13) >= 11;
}

} // namespace vantora
