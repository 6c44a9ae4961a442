#pragma once
// The layout file: section "Teclado" (file type and the option boxes of OPCOES_LAYOUT)
// and sections "Tab1".."Tab4" with keys T0..T71, one per entry of the code tables.
//
//   [Teclado]            [Tab1]      [Tab2]  ...
//   Tipo=Vantora         T0=27       T0=0
//   Prot=1               ...         ...
//   ProtDisp=0           T71=0       T71=0
//   ProtDispBNC=0
//
// Every value but "Tipo" is the decimal text of a signed 16-bit number; an option is
// 0 (unchecked), 1 (checked) or 2 (greyed).

#include "editor/tabelas.h"
#include "files/ini.h"
#include "base/erro.h"

#include <QString>
#include <array>
#include <optional>

namespace vantora {

// The file type written into every layout, and the message for a file without it.
inline QString tipoLayout() {
    return QStringLiteral("Vantora");
}
inline QString mensagemOutroTeclado() {
    return QStringLiteral("Arquivo referente a outro teclado");
}

// One key through the store. A missing key, and a value that starts with "-2" (the
// marker of a missing key in the files of old), come back as one blank " ". At most
// 254 characters come back, up to the first NUL.
[[nodiscard]] QString Le_Ini(const PerfilPrivado& ini, const QString& secao, const QString& chave);

// One key into the store.
void Grava_Ini(PerfilPrivado& ini, const QString& secao, const QString& chave, const QString& valor);

// Writes the keys of the layout (292), in the order of a new file: Teclado's Tipo and
// options, then T0 of Tab1..Tab4, T1 of Tab1..Tab4, and so on.
void Grava_Layout(PerfilPrivado& ini, const Layout& layout);

// "T5 (tecla 6)": an entry's key name with the key number the tools and the window's
// messages use (keys numbered from 1); "T65", "T66" for the entries of no key.
[[nodiscard]] QString nome_entrada(int entrada);

// The key the layout reader reads last. Le_Layout keeps it up to date, so that after
// a read that failed it names the key that failed and tells what was set before it.
struct PosicaoLeitura {
    int opcao = -1;                      // index in OPCOES_LAYOUT while the options are read
    int tabela = 0;                      // 1..QTD_TABELAS while the tables are read
    int entrada = -1;                    // 0..71, likewise
    [[nodiscard]] QString secao() const; // "Teclado", "Tab2"
    [[nodiscard]] QString chave() const; // "ProtDisp", "T5"
    // "[Tab2] T5 (tecla 6)"
    [[nodiscard]] QString nome() const;
    // What a read that stopped here had set, in words: "as três opções, T0–T4 das
    // quatro tabelas e T5 da Tab1"; empty when nothing.
    [[nodiscard]] QString lido_antes() const;
};

// One value as the layout reader takes it: its text through Le_Ini, the number read,
// and the error that stops the reader there (13: a key among T0..T65 missing or no
// number; 6: out of range; 380: an option outside 0..2, `valor` holding it).
struct ValorLido {
    QString texto;
    int valor = 0;
    std::optional<ErroExecucao> erro;
};
[[nodiscard]] ValorLido le_valor(const PerfilPrivado& ini, const PosicaoLeitura& onde);

// Reads a layout into `layout`. False, with nothing changed, when "Tipo" is not
// exactly "Vantora". Otherwise the options, then T0..T65 (entry by entry, table 1 to
// 4 within each), then T66..T71 are set in that order; a read that fails throws
// (13: a key among T0..T65 missing or no number; 6: out of range; 380: an option
// outside 0..2) and leaves set what came before it, `onde` naming the key that failed.
[[nodiscard]] bool Le_Layout(const PerfilPrivado& ini, Layout& layout, PosicaoLeitura* onde = nullptr);

} // namespace vantora
