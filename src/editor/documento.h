#pragma once
// What the operator edits, apart from any front end: the layout (four code tables and
// the option values), the texts of the 24 sentinel boxes, the model shown, the key
// and the PC key selected and the page on view, with the rules that act on them.
// Standard C++ alone; texts are UTF-8.
//
// Each change is told to the observers, once per operation and kind, so that a view
// redraws from here and never from a copy of its own.

#include "editor/tabelas.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantora {

class Documento {
  public:
    enum class Mudanca {
        Novo,       // started over (start-up, New): a view drops what it was showing
        Tabelas,    // one or more codes of the tables
        Tecla,      // the key selected was set (perhaps to the same key)
        TeclaPC,    // the PC key selected was set (perhaps to the same key)
        Aba,        // the page on view was set (perhaps to the same page)
        Sentinelas, // the sentinel boxes' texts
        Opcoes,     // the option values
        Modelo,     // the model shown (65 or 44 keys)
    };
    using Observador = std::function<void(Mudanca)>;
    void observa(Observador o) { observadores_.push_back(std::move(o)); }

    [[nodiscard]] const Layout& layout() const { return layout_; }
    // The key selected, 0..64, or TECLA_NENHUMA.
    [[nodiscard]] int tecla() const { return tecla_; }
    // The PC key last picked (its catalogue index; 0 none).
    [[nodiscard]] int tecla_pc() const { return tecla_pc_; }
    // The page on view: tables 1..QTD_TABELAS, then the card-reader page.
    [[nodiscard]] int aba() const { return aba_; }
    [[nodiscard]] bool na_pagina_cartao() const { return aba_ == QTD_TABELAS + 1; }
    [[nodiscard]] bool modelo_44() const { return modelo_44_; }
    // Whether key `tecla` (0..65) is on view: key 65 never, the 44-key model hides more.
    [[nodiscard]] bool visivel(int tecla) const;
    // Text of box `caixa` (0..3, one per table) of sentinel row `linha` (LINHAS_SENTINELA).
    [[nodiscard]] const std::string& sentinela(int linha, int caixa) const;

    // Start-up: key 0 and no PC key selected.
    void inicia();
    // Every code of every table to 0.
    void limpa_tabelas();
    // New: empty tables, key 0 and table 1, the sentinel boxes as the empty tables
    // show them; options and model stay.
    void novo();

    void escolhe_tecla(int tecla);
    // Page n on view. On a table page the selection steps back a key (not from key 0
    // or none), so that the key that has just received a code in the table left behind
    // is selected again for its code in this one.
    void escolhe_aba(int n);
    // PC key `indice`, whose code is `codigo` in the catalogue, picked: assigned to the
    // selected key of the table on view and the selection moves to the next key on
    // view. A text that is no code (the keys without one) is error 13, the selection
    // and the tables untouched. With no key selected only the PC key changes.
    void escolhe_tecla_pc(int indice, std::string_view codigo);
    // Code `codigo` (the serial capture) assigned as above; the PC key goes back to none.
    void insere_codigo(int codigo);
    void define_modelo_44(bool modelo_44);

    // A sentinel box's text as typed (Save and the send take it, not the table).
    void define_sentinela(int linha, int caixa, std::string texto);
    // The sentinel display rule over the 24 boxes.
    void mostra_sentinelas();
    // Copies the 24 boxes into slots 66..71 (whole-number conversion); the first box
    // that holds no number stops the copy with error 13, those before it copied.
    void copia_sentinelas();

    // Option `opcao` (OPCOES_LAYOUT) to 0, 1 or 2 (greyed); error 380 for any other.
    void define_opcao(int opcao, int valor);
    // The layout becomes `layout`: its tables, then its options in order (error 380 at
    // the first out of 0..2, the tables and the options before it then already set).
    void define_layout(const Layout& layout);
    // After a layout read that stopped at entry `entrada` of table `tabela` (1..4): the
    // sentinel boxes of the entries read show what the tables now hold; the other boxes
    // keep their text.
    void mostra_lido_ate(int entrada, int tabela);
    // After a layout read: the sentinels shown, nothing selected, table 1 on view.
    void mostra_aberto();

  private:
    void avisa(Mudanca m) const;
    void atribui(std::int16_t codigo);
    void avanca_selecao();
    bool define_opcao_sem_aviso(int opcao, int valor);

    Layout layout_;
    std::array<std::array<std::string, QTD_TABELAS>, QTD_SENTINELAS> sentinelas_ = [] {
        std::array<std::array<std::string, QTD_TABELAS>, QTD_SENTINELAS> s;
        for (std::size_t i = 0; i < s.size(); ++i)
            for (std::size_t b = 0; b < s[i].size(); ++b)
                s[i][b] = b == 0 ? LINHAS_SENTINELA[i].inicial : "00";
        return s;
    }();
    int tecla_ = 0;
    int tecla_pc_ = 0;
    int aba_ = 1;
    bool modelo_44_ = false;
    std::vector<Observador> observadores_;
};

} // namespace vantora
