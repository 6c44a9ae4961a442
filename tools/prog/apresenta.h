#pragma once
// A layout as text and as a printable legend sheet: the captions of each key's codes
// in tables 1 to 4, laid out as on the keyboard (5 x 13 keys, or 4 x 11 for the
// 44-key model).

#include "catalogue/catalogo.h"
#include "files/layout.h"

#include <QByteArray>
#include <QString>

namespace vantora {

// Text from a file or from the command line as a terminal can show it: control
// characters (C0, DEL, C1), and the bytes of a name that are no UTF-8, as \xHH; a
// backslash that would read as such an escape as \x5c. Everything else, accents
// included, as it is.
[[nodiscard]] QString visivel(const QString& texto);

// A name given on the command line, byte for byte: each byte that is no UTF-8 is kept
// as a lone U+DC80..U+DCFF, so that the name comes back whole.
[[nodiscard]] QString nome_do_argumento(QByteArrayView bytes);
// The bytes the system knows a name by (the ones the user gave).
[[nodiscard]] QByteArray nome_no_sistema(const QString& nome);
// Whether a name holds bytes that are no UTF-8: Qt's file classes do not reach it.
[[nodiscard]] bool tem_bytes_soltos(const QString& nome);

enum class Modelo { Teclas65, Teclas44 };

// Whether key `tecla` (0..64) is on the keyboard of model m.
[[nodiscard]] inline bool no_modelo(Modelo m, int tecla) {
    return m == Modelo::Teclas65 || !oculta_no_modelo_44(tecla);
}
// A model's keys are a block from the top left: its rows and columns.
[[nodiscard]] inline int linhas(Modelo m) {
    int n = 0;
    while (n * TECLAS_POR_LINHA < QTD_TECLAS && no_modelo(m, n * TECLAS_POR_LINHA))
        ++n;
    return n;
}
[[nodiscard]] inline int colunas(Modelo m) {
    int n = 0;
    while (n < TECLAS_POR_LINHA && no_modelo(m, n))
        ++n;
    return n;
}

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

// Writes the legend sheet; the format follows the extension (.pdf or .png). Only a
// regular file is replaced (a link to one: the file it leads to), whole or not at all.
// Returns an empty text on success, otherwise the reason.
[[nodiscard]] QString grava_legenda(const QString& caminho, const Layout& l, const Catalogo& c,
                                    const FolhaLegenda& folha);

} // namespace vantora
