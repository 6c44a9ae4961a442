#include "editor/documento.h"

#include "base/erro.h"
#include "editor/conversao.h"

namespace vantora {

void Documento::avisa(Mudanca m) const {
    for (const Observador& o : observadores_)
        o(m);
}

bool Documento::visivel(int tecla) const {
    if (tecla < 0 || tecla >= QTD_TECLAS) return false;
    return !(modelo_44_ && oculta_no_modelo_44(tecla));
}

const std::string& Documento::sentinela(int linha, int caixa) const {
    return sentinelas_.at(std::size_t(linha)).at(std::size_t(caixa));
}

void Documento::inicia() {
    tecla_ = 0;
    tecla_pc_ = 0;
    avisa(Mudanca::Novo);
    avisa(Mudanca::Tecla);
    avisa(Mudanca::TeclaPC);
}

void Documento::limpa_tabelas() {
    layout_.limpa_tabelas();
    avisa(Mudanca::Tabelas);
}

void Documento::novo() {
    layout_.limpa_tabelas();
    tecla_ = 0;
    tecla_pc_ = 0;
    avisa(Mudanca::Novo);
    avisa(Mudanca::Tabelas);
    avisa(Mudanca::TeclaPC);
    avisa(Mudanca::Tecla);
    escolhe_aba(1);
    mostra_sentinelas();
}

void Documento::escolhe_tecla(int tecla) {
    if (tecla < 0 || tecla > TECLA_NENHUMA) throw ErroExecucao(ERRO_SUBSCRITO);
    tecla_ = tecla;
    avisa(Mudanca::Tecla);
}

void Documento::escolhe_aba(int n) {
    if (n < 1 || n > QTD_TABELAS + 1) throw ErroExecucao(ERRO_SUBSCRITO);
    aba_ = n;
    avisa(Mudanca::Aba);
    if (!na_pagina_cartao() && tecla_ != 0 && tecla_ != TECLA_NENHUMA) {
        --tecla_;
        avisa(Mudanca::Tecla);
    }
}

// The code goes into the table on view (none on the card-reader page), and the
// selection to the next key on view.
void Documento::atribui(std::int16_t codigo) {
    if (!na_pagina_cartao()) {
        std::int16_t& c = layout_.tabela(aba_)[std::size_t(tecla_)];
        if (c != codigo) {
            c = codigo;
            avisa(Mudanca::Tabelas);
        }
    }
    avanca_selecao();
    avisa(Mudanca::Tecla);
}

void Documento::avanca_selecao() {
    // Key 65 is never on view and key 0 always is, so this ends at most one wrap later.
    do {
        tecla_ = tecla_ + 1 > TECLA_NENHUMA ? 0 : tecla_ + 1;
    } while (!visivel(tecla_));
}

void Documento::escolhe_tecla_pc(int indice, std::string_view codigo) {
    tecla_pc_ = indice;
    avisa(Mudanca::TeclaPC);
    if (tecla_ == TECLA_NENHUMA) return;
    atribui(converte_inteiro(codigo));
}

void Documento::insere_codigo(int codigo) {
    tecla_pc_ = 0;
    avisa(Mudanca::TeclaPC);
    if (tecla_ == TECLA_NENHUMA) return;
    atribui(static_cast<std::int16_t>(codigo));
}

void Documento::define_modelo_44(bool modelo_44) {
    if (modelo_44 == modelo_44_) return;
    modelo_44_ = modelo_44;
    avisa(Mudanca::Modelo);
}

void Documento::define_sentinela(int linha, int caixa, std::string texto) {
    std::string& s = sentinelas_.at(std::size_t(linha)).at(std::size_t(caixa));
    if (s == texto) return;
    s = std::move(texto);
    avisa(Mudanca::Sentinelas);
}

void Documento::mostra_sentinelas() {
    for (std::size_t i = 0; i < LINHAS_SENTINELA.size(); ++i)
        for (int b = 0; b < QTD_TABELAS; ++b)
            sentinelas_[i][std::size_t(b)] = texto_sentinela(layout_, LINHAS_SENTINELA[i].slot, b);
    avisa(Mudanca::Sentinelas);
}

void Documento::copia_sentinelas() {
    bool mudou = false;
    try {
        for (std::size_t i = 0; i < LINHAS_SENTINELA.size(); ++i) {
            for (int b = 0; b < QTD_TABELAS; ++b) {
                const std::int16_t v = converte_inteiro(sentinelas_[i][std::size_t(b)]);
                std::int16_t& c = layout_.tabela(b + 1)[std::size_t(LINHAS_SENTINELA[i].slot)];
                mudou = mudou || c != v;
                c = v;
            }
        }
    } catch (...) {
        if (mudou) avisa(Mudanca::Tabelas);
        throw;
    }
    if (mudou) avisa(Mudanca::Tabelas);
}

bool Documento::define_opcao_sem_aviso(int opcao, int valor) {
    if (valor < 0 || valor > 2) throw ErroExecucao(ERRO_PROPRIEDADE);
    int& v = layout_.caixas.at(std::size_t(opcao));
    if (v == valor) return false;
    v = valor;
    return true;
}

void Documento::define_opcao(int opcao, int valor) {
    if (define_opcao_sem_aviso(opcao, valor)) avisa(Mudanca::Opcoes);
}

void Documento::define_layout(const Layout& layout) {
    if (layout_.tabelas != layout.tabelas) {
        layout_.tabelas = layout.tabelas;
        avisa(Mudanca::Tabelas);
    }
    bool mudou = false;
    try {
        for (int c = 0; c < QTD_OPCOES; ++c)
            mudou = define_opcao_sem_aviso(c, layout.caixas[std::size_t(c)]) || mudou;
    } catch (...) {
        if (mudou) avisa(Mudanca::Opcoes);
        throw;
    }
    if (mudou) avisa(Mudanca::Opcoes);
}

void Documento::mostra_lido_ate(int entrada, int tabela) {
    for (std::size_t i = 0; i < LINHAS_SENTINELA.size(); ++i) {
        const int s = LINHAS_SENTINELA[i].slot;
        for (int b = 0; b < QTD_TABELAS && (s < entrada || (s == entrada && b + 1 < tabela)); ++b)
            sentinelas_[i][std::size_t(b)] = texto_sentinela(layout_, s, b);
    }
    avisa(Mudanca::Sentinelas);
}

void Documento::mostra_aberto() {
    mostra_sentinelas();
    tecla_ = TECLA_NENHUMA;
    avisa(Mudanca::Tecla);
    escolhe_aba(1);
}

} // namespace vantora
