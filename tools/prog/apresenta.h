#pragma once
// A layout as text and as a printable legend sheet: the captions of each key's codes
// in tables 1 to 4, laid out as on the keyboard (5 x 13 keys, or 4 x 11 for the
// 44-key model).

#include "catalogue/catalogo.h"
#include "files/layout.h"

#include <QString>

namespace vantora {

enum class Modelo { Teclas65, Teclas44 };

[[nodiscard]] inline int linhas(Modelo m) {
    return m == Modelo::Teclas65 ? 5 : 4;
}
[[nodiscard]] inline int colunas(Modelo m) {
    return m == Modelo::Teclas65 ? 13 : 11;
}

// Caption of a code for display. A value the keyboard cannot take, and a code whose
// character cannot be seen (controls of the code page, blanks), shows as <value>.
[[nodiscard]] QString legenda_exibida(int codigo, const Catalogo& catalogo);

[[nodiscard]] QString layout_em_texto(const Layout& l, const Catalogo& c, Modelo m);
// Keys, rows and columns are numbered from 1, as everywhere in vantora-prog and in
// the window's messages: key n (= 13 (row - 1) + column) is entry T(n-1) of the file
// and the keyboard's record n.
[[nodiscard]] QString layout_em_csv(const Layout& l, const Catalogo& c, Modelo m);
// The six sentinels as the keyboard receives them: entry (66..71), track (2, 3), field.
[[nodiscard]] QString sentinelas_em_csv(const Layout& l, const Catalogo& c);

struct FolhaLegenda {
    double passoMm = 19.05; // key pitch
    Modelo modelo = Modelo::Teclas65;
};

// Writes the legend sheet; the format follows the extension (.pdf or .png).
// Returns an empty text on success, otherwise the reason.
[[nodiscard]] QString grava_legenda(const QString& caminho, const Layout& l, const Catalogo& c,
                                    const FolhaLegenda& folha);

} // namespace vantora
