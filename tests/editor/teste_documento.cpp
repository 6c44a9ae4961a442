// The layout document alone, in plain C++: the number conversions, assignment and the
// move to the next key on both models, page changes, New, the sentinel boxes' rules,
// option values, what a faulty read leaves, and which changes each operation tells,
// once each.
#include "base/erro.h"
#include "comum/simples.h"
#include "editor/conversao.h"
#include "editor/documento.h"

#include <map>
#include <vector>

using namespace vantora;
using namespace vantora::teste;
using M = Documento::Mudanca;

namespace {

// A document whose observer counts each kind of change told.
struct Contado {
    Documento d;
    std::map<M, int> vistas;
    Contado() {
        d.observa([this](M m) { ++vistas[m]; });
    }
    std::map<M, int> conta(const std::function<void(Documento&)>& f) {
        vistas.clear();
        f(d);
        return vistas;
    }
};

std::vector<std::string> sentinelas(const Documento& d) {
    std::vector<std::string> r;
    for (int i = 0; i < QTD_SENTINELAS; ++i)
        for (int b = 0; b < QTD_TABELAS; ++b)
            r.push_back(d.sentinela(i, b));
    return r;
}

// The whole-number conversion (strict: the layout codes) and the leading-number one
// (lenient: the sentinel boxes): the value, or the error.
void conversao() {
    struct Caso {
        bool leniente;
        std::string texto;
        int valor, erro;
    };
    // clang-format off
    const Caso casos[] = {
        {false, "\t 0065  ", 65, 0}, {false, "+3", 3, 0}, {false, "5.", 5, 0}, {false, "-.5", 0, 0},
        {false, "12.5", 12, 0}, {false, "-12.5", -12, 0}, {false, "2.51", 3, 0}, // halves to even
        {false, "1d2", 100, 0}, {false, "&Hff", 255, 0}, {false, "&HFFFF", -1, 0}, {false, "&O17", 15, 0},
        {false, "32767", 32767, 0}, {false, "32767.3", 32767, 0}, {false, "32767.5", 0, ERRO_ESTOURO},
        {false, "32768", 0, ERRO_ESTOURO}, {false, "-32769", 0, ERRO_ESTOURO}, {false, "&H10000", 0, ERRO_ESTOURO},
        {false, "1" + std::string(400, '0'), 0, ERRO_ESTOURO},
        {false, "abc", 0, ERRO_TIPOS}, {false, ".", 0, ERRO_TIPOS}, {false, "&Z1", 0, ERRO_TIPOS},
        {false, "&H41x", 0, ERRO_TIPOS}, {false, "\u0661", 0, ERRO_TIPOS}, // an Arabic-Indic digit
        {true, "", 0, 0}, {true, "  -7x", -7, 0}, {true, ".5x", 0, 0}, {true, "7e", 7, 0}, {true, "1e-400x", 0, 0},
        {true, "&Hzz", 0, 0}, {true, "40000", 0, ERRO_ESTOURO}, {true, "&H1234567890", 0, ERRO_ESTOURO}};
    // clang-format on
    for (const Caso& c : casos) {
        caso = c.texto;
        int valor = 0;
        CONFERE(erro_de([&] { valor = c.leniente ? converte_numero_inicial(c.texto) : converte_inteiro(c.texto); }),
                c.erro);
        CONFERE(valor, c.valor);
    }
    caso.clear();
}

void atribuicao() {
    // The model, the page on view, the key selected, the PC key's code text; the error,
    // the key selected after, the code in that page's table at the key first selected.
    struct Caso {
        bool modelo_44;
        int aba, tecla;
        const char* codigo;
        int erro, depois, na_tabela;
    };
    const Caso casos[] = {
        {false, 1, 0, "65", 0, 1, 65},
        {false, 1, 64, "9", 0, 0, 9},       // the last key wraps to key 0
        {true, 1, 10, "49", 0, 13, 49},     // columns 11 and 12 hidden on 44 keys
        {true, 2, 49, "49", 0, 0, 49},      // so is row 4: wraps
        {true, 1, 0, "", ERRO_TIPOS, 0, 0}, // a PC key without a code: nothing changes
        {false, 5, 7, "65", 0, 8, 0},       // the card page changes no table but advances
        {false, 1, TECLA_NENHUMA, "", 0, TECLA_NENHUMA, 0},
    };
    for (const Caso& c : casos) {
        caso = "atribuição " + std::to_string(c.aba) + "/" + std::to_string(c.tecla);
        Documento d;
        d.define_modelo_44(c.modelo_44);
        d.escolhe_aba(c.aba);
        d.escolhe_tecla(c.tecla);
        CONFERE(erro_de([&] { d.escolhe_tecla_pc(61, c.codigo); }), c.erro);
        CONFERE(d.tecla_pc(), 61);
        CONFERE(d.tecla(), c.depois);
        const int t = c.aba > QTD_TABELAS ? 1 : c.aba;
        CONFERE(int(d.layout().tabela(t)[std::size_t(c.tecla == TECLA_NENHUMA ? 0 : c.tecla)]), c.na_tabela);
        d.insere_codigo(300); // the serial capture's code, any 16-bit value
        CONFERE(d.tecla_pc(), 0);
    }
    caso.clear();
}

void paginas_e_novo() {
    // From key k, a table page steps the selection back; 0, none and the card page do not.
    const std::pair<int, int> passos[] = {{5, 4}, {0, 0}, {TECLA_NENHUMA, TECLA_NENHUMA}};
    for (const auto& [de, para] : passos) {
        Documento d;
        d.escolhe_tecla(de);
        d.escolhe_aba(5);
        CONFERE(d.tecla(), de);
        d.escolhe_aba(2);
        CONFERE(d.tecla(), para);
    }
    CONFERE(erro_de([] { Documento().escolhe_aba(6); }), int(ERRO_SUBSCRITO));

    Documento d;
    CONFERE(sentinelas(d)[12], std::string("02")); // at start track 3 shows track 2's
    d.define_modelo_44(true);
    d.define_opcao(2, 2);
    d.escolhe_aba(4);
    d.escolhe_tecla(9);
    d.escolhe_tecla_pc(61, "65");
    d.novo();
    CONFERE(d.layout().tabelas == Layout().tabelas, true);
    CONFERE(d.layout().caixas, (std::array<int, QTD_OPCOES>{1, 0, 2})); // options stay
    CONFERE(d.modelo_44(), true);                                       // and the model
    CONFERE((std::vector<int>{d.tecla(), d.tecla_pc(), d.aba()}), (std::vector<int>{0, 0, 1}));
    CONFERE(sentinelas(d),
            (std::vector<std::string>{"02", "0", "0", "0", "03", "0", "0", "0", "10", "0", "0", "0",
                                      "04", "0", "0", "0", "05", "0", "0", "0", "10", "0", "0", "0"}));
}

// The sentinel boxes' copy to the tables, option values, what a faulty read leaves (the
// boxes' text rule: teste_nucleo).
void sentinelas_e_opcoes() {
    // The copy stops at the first box without a number, those before it copied.
    Contado c;
    c.d.define_sentinela(0, 0, "7");
    c.d.define_sentinela(1, 2, "x");
    c.d.define_sentinela(3, 0, "9");
    int erro = 0;
    const auto copia = c.conta([&](Documento& d) { erro = erro_de([&] { d.copia_sentinelas(); }); });
    CONFERE(copia == (std::map<M, int>{{M::Tabelas, 1}}), true);
    CONFERE(erro, int(ERRO_TIPOS));
    CONFERE(int(c.d.layout().tabela(1)[66]), 7);
    CONFERE(int(c.d.layout().tabela(1)[69]), 0); // after the bad box: not reached

    // Options are 0..2; a layout's bad option stops there, tables and options before it set.
    CONFERE(erro_de([&] { c.d.define_opcao(1, 3); }), int(ERRO_PROPRIEDADE));
    Layout l;
    l.tabela(1)[66] = 7;
    l.tabela(2)[67] = -1;
    l.caixas = {0, -1, 1};
    CONFERE(erro_de([&] { c.d.define_layout(l); }), int(ERRO_PROPRIEDADE));
    CONFERE(c.d.layout().tabelas == l.tabelas, true);
    CONFERE(c.d.layout().caixas, (std::array<int, QTD_OPCOES>{0, 0, 0}));

    // A read stopped at [Tab3] T67: the boxes of the entries read show the tables, the
    // others keep their text.
    c.d.define_sentinela(5, 3, "065");
    c.d.mostra_lido_ate(67, 3);
    const auto s = sentinelas(c.d);
    CONFERE(std::vector<std::string>(s.begin(), s.begin() + 8),
            (std::vector<std::string>{"7", "0", "0", "0", "03", "-1", "x", "00"}));
    CONFERE(s.back(), std::string("065"));
}

// Each operation tells each kind of change it made once; one that changes nothing
// tells nothing of it.
void avisos() {
    const std::pair<std::function<void(Documento&)>, std::map<M, int>> casos[] = {
        {[](Documento& d) { d.escolhe_tecla_pc(61, "65"); },
         {{M::TeclaPC, 1}, {M::Tabelas, 1}, {M::Tecla, 1}}},
        {[](Documento& d) { d.escolhe_tecla(0); }, {{M::Tecla, 1}}},
        {[](Documento& d) { d.escolhe_tecla_pc(61, "65"); }, {{M::TeclaPC, 1}, {M::Tecla, 1}}}, // same code
        {[](Documento& d) { d.escolhe_aba(2); }, {{M::Aba, 1}, {M::Tecla, 1}}},
        {[](Documento& d) { d.define_modelo_44(true); }, {{M::Modelo, 1}}},
        {[](Documento& d) { d.define_modelo_44(true); }, {}},
        {[](Documento& d) { d.define_sentinela(0, 1, "00"); }, {}},
        {[](Documento& d) { d.define_opcao(0, 2); }, {{M::Opcoes, 1}}},
        {[](Documento& d) { d.copia_sentinelas(); }, {{M::Tabelas, 1}}},
        {[](Documento& d) { d.copia_sentinelas(); }, {}},
        {[](Documento& d) { d.novo(); },
         {{M::Novo, 1}, {M::Tabelas, 1}, {M::TeclaPC, 1}, {M::Tecla, 1}, {M::Aba, 1}, {M::Sentinelas, 1}}},
        {[](Documento& d) { d.mostra_aberto(); }, {{M::Sentinelas, 1}, {M::Tecla, 1}, {M::Aba, 1}}},
    };
    Contado c;
    int n = 0;
    for (const auto& [operacao, esperado] : casos) {
        caso = "aviso " + std::to_string(n++);
        CONFERE(c.conta(operacao) == esperado, true);
    }
    caso.clear();
}

} // namespace

int main() {
    conversao();
    atribuicao();
    paginas_e_novo();
    sentinelas_e_opcoes();
    avisos();
    return falhas != 0;
}
