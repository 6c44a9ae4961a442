#pragma once
// The key catalogue: for every key of the PC's Brazilian ABNT keyboard, how the
// keyboard filter reports it (the PC-key identifier), which on-screen key it is,
// the code that key assigns and the caption it shows; and the names of the control
// codes 0 to 31.
//
// A PC-key identifier is the key-event word in upper-case hexadecimal (8 digits)
// followed by the virtual-key code in decimal: "C03B0001112" is the release of F1.

#include <array>
#include <string>
#include <string_view>

namespace vantora {

// One row of the catalogue, as fixed data. `alternativo` is null where the alternate
// identifier equals the first one; `codigo` is -1 for the keys without a code.
struct LinhaCatalogo {
    int tecla;
    const char* teclaPC; // what the key is on the PC keyboard
    const char* identificador;
    const char* alternativo;
    const char* legenda; // UTF-8; null for the keys without a caption
    int codigo;
};

inline constexpr int QTD_LINHAS_CATALOGO = 111;
extern const std::array<LinhaCatalogo, QTD_LINHAS_CATALOGO> LINHAS_CATALOGO;
extern const std::array<const char*, 32> NOMES_CODIGOS;

// The five tables of the catalogue (module Mdl_padroes). Note the shift: the three
// key tables are indexed by k - 1, Codigo_TeclaLB by k itself.
struct Catalogo {
    std::array<std::string, 120> Id_TeclaPC;
    std::array<std::string, 120> Id_TeclaPC_Alt;
    std::array<std::string, 120> Legenda_TeclaLB; // UTF-8
    std::array<std::string, 121> Codigo_TeclaLB;
    std::array<std::string, 32> Nome_Codigo;

    // Filling steps, in the order the load uses them (the on-screen layout pass
    // goes between the two).
    void preenche_identificadores_e_legendas();
    void preenche_codigos_e_nomes();
    void preenche() {
        preenche_identificadores_e_legendas();
        preenche_codigos_e_nomes();
    }

    // On-screen key 1..111 for an identifier, 0 when the key is not in the
    // catalogue. The first character (transition, previous state, Alt context) does
    // not take part; the lowest index wins; markers ("0", "1") never match.
    [[nodiscard]] int localiza(std::string_view identificador) const;
};

} // namespace vantora
