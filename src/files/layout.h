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
// 0 (unchecked), 1 (checked) or 2 (greyed). Standard C++ alone: texts are UTF-8.

#include "base/erro.h"
#include "editor/documento.h"
#include "editor/tabelas.h"
#include "files/ini.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantora {

// The file type written into every layout, and the message for a file without it.
inline std::string tipoLayout() {
    return "Vantora";
}
inline std::string mensagemOutroTeclado() {
    return "Arquivo referente a outro teclado";
}

// A name of the layout file: the type, an option or an entry of a table.
struct NomeLayout {
    std::string secao;  // "Teclado", "Tab2"
    std::string chave;  // "Tipo", "ProtDisp", "T5"
    int opcao = -1;     // index in OPCOES_LAYOUT, for an option
    int tabela = 0;     // 1..QTD_TABELAS, for an entry
    int entrada = -1;   // 0..QTD_SLOTS - 1, likewise
};

// Every name of the file, once: Tipo, the options, then T0 of Tab1..Tab4, T1 of
// Tab1..Tab4 and so on, the order in which the reader reads them and a new file has
// them. The reader, the writer and vantora-prog's check all take the names from here.
[[nodiscard]] const std::vector<NomeLayout>& nomes_layout();

// The name a section and a key of a file stand for, as the reader finds them (names
// compared as PerfilPrivado::dobra folds them), or nullptr when the layout has none.
[[nodiscard]] const NomeLayout* nome_layout(std::string_view secao, std::string_view chave);
// Whether the reader takes `secao` for one of the layout's sections.
[[nodiscard]] bool secao_layout(std::string_view secao);

// One key through the store. A missing key, and a value that starts with "-2" (the
// marker of a missing key in the files of old), come back as one blank " ". At most
// 254 characters come back, up to the first NUL.
[[nodiscard]] std::string Le_Ini(const PerfilPrivado& ini, std::string_view secao, std::string_view chave);

// One key into the store.
void Grava_Ini(PerfilPrivado& ini, std::string_view secao, std::string_view chave, std::string_view valor);

// Writes the keys of the layout (292), in the order of nomes_layout().
void Grava_Layout(PerfilPrivado& ini, const Layout& layout);

// "T5 (tecla 6)": an entry's key name with the key number the tools and the window's
// messages use (keys numbered from 1); "T65", "T66" for the entries of no key.
[[nodiscard]] std::string nome_entrada(int entrada);

// The key the layout reader reads last. Le_Layout keeps it up to date, so that after
// a read that failed it names the key that failed and tells what was set before it.
struct PosicaoLeitura {
    int opcao = -1;                          // index in OPCOES_LAYOUT while the options are read
    int tabela = 0;                          // 1..QTD_TABELAS while the tables are read
    int entrada = -1;                        // 0..71, likewise
    [[nodiscard]] std::string secao() const; // "Teclado", "Tab2"
    [[nodiscard]] std::string chave() const; // "ProtDisp", "T5"
    // "[Tab2] T5 (tecla 6)"
    [[nodiscard]] std::string nome() const;
    // What a read that stopped here had set, in words: "as três opções, T0–T4 das
    // quatro tabelas e T5 da Tab1"; empty when nothing.
    [[nodiscard]] std::string lido_antes() const;
};

// One value as the layout reader takes it: its text through Le_Ini, the number read,
// and the error that stops the reader there (13: a key among T0..T65 missing or no
// number; 6: out of range; 380: an option outside 0..2, `valor` holding it).
struct ValorLido {
    std::string texto;
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

// Open: the layout of `ini` into the document, shown as read (nothing selected, table
// 1 on view). False, the document untouched, for a file of another keyboard (the
// message mensagemOutroTeclado()). A read that fails keeps in the document what the
// reader set before it, the sentinel boxes of the entries read showing it, and throws
// its error with a sentence naming the entry and what was kept.
[[nodiscard]] bool abre_layout(const PerfilPrivado& ini, Documento& documento);

// The error of a Save that cannot write `nome` (as the operator knows the file), and why.
[[nodiscard]] ErroExecucao erro_gravacao(const std::string& nome, const std::string& motivo);

} // namespace vantora
