// The layout file's codec on bytes alone, as every front end gets it: the store's
// read rules (blanks, case, quotes, byte-order marks), its writes read back, the
// file's names as the reader finds them, and a layout through a file and back.
#include "comum/simples.h"
#include "files/ini.h"
#include "files/layout.h"

#include <string>
#include <tuple>
#include <vector>

using namespace vantora;
using namespace vantora::teste;

namespace {

// Bytes that may hold NULs.
template <std::size_t N> std::string bytes(const char (&s)[N]) {
    return std::string(s, N - 1);
}

struct Leitura {
    std::string arquivo, secao, chave, esperado;
};

void le() {
    const std::string D = "<d>";
    // clang-format off
    const std::vector<Leitura> casos = {
        {"  [ Tab1 ]  \r\n \t T5  =  ' 3=4 ' \t \r\n", " tAB1 ", "\tt5 ", " 3=4 "},
        {"[S]\r\nk=1\r\nK=2\r\n[s]\r\nk=3\r\n", "S", "k", "1"},
        {"[S]\r\nk=\"x'\r\n", "S", "k", "\"x'"}, // quotes of two kinds stay
        {"[S]\r\n;k=1\r\nk\r\nk=2\r\n", "S", "k", "2"},
        {"[S\r\nk=1\r\n", "S", "k", D},
        {"[]\r\nk=1\r\n", "", "k", "1"},
        {"[S]\rk=v\rj=w\r", "S", "j", "w"},
        {"[a]b] ; velho\r\nk=1\r\n", "a]b", "k", "1"},
        // A no-break space (A0h) is no blank: "T5" and "T5 " are two keys.
        {"[Tab1]\r\nT5\xA0=65\r\n", "Tab1", "T5", D},
        {"[Tab1]\r\nT5\xA0=65\r\n", "tab1", "t5\xC2\xA0", "65"},
        // Windows-1252 read as UTF-8; letters outside ASCII folded too.
        {"[Se\xE7\xC3o]\r\n\xC9=\xE1\x80\x81\r\n", "SEÇãO", "é", "á€\xC2\x81"},
        {"[\x8A\x9F]\r\nk=1\r\n", "šÿ", "K", "1"},
        // Notepad's marks: the text after them, a second mark no part of it; a character
        // Windows-1252 lacks is '?', two beyond U+FFFF as for the halves of its UTF-16.
        {"\xEF\xBB\xBF[S]\r\nk=ação\r\n", "s", "k", "ação"},
        {"\xEF\xBB\xBF\xEF\xBB\xBF[S]\r\nk=1\r\n", "S", "k", "1"},
        {bytes("\xFF\xFE[\0S\0]\0\n\0k\0=\0\xAC\x20"), "S", "k", "€"},
        {bytes("\xFE\xFF\0[\0S\0]\0\n\0k\0=\xD8\x3D\xDE\x00"), "S", "k", "??"},
    };
    // clang-format on
    for (const Leitura& c : casos) {
        caso = c.arquivo;
        CONFERE(PerfilPrivado::de_bytes(c.arquivo).le(c.secao, c.chave, D, 255), c.esperado);
    }
    caso.clear();
    // Cut to the buffer less one, in characters; the default without trailing blanks.
    const PerfilPrivado p = PerfilPrivado::de_bytes("[S]\r\nk=\xE1\xE9\xED\r\n");
    CONFERE(p.le("S", "k", D, 3), std::string("áé"));
    CONFERE(p.le("S", "x", "ã€ô  \t", 3), std::string("ã€"));
    CONFERE(p.le("S", "x", "ab \t ", 255), std::string("ab"));
    CONFERE(p.le("S", "k", D, 1), std::string());
    const std::string longo(300, 'x');
    for (const std::string& v : {longo, '"' + longo + '"'})
        CONFERE(PerfilPrivado::de_bytes("[S]\r\nk=" + v).le("S", "k", D, 255), std::string(254, 'x'));
    // What the store cannot save over: a lost character, a text that starts as a mark.
    CONFERE(PerfilPrivado::de_bytes("\xEF\xBB\xBFk=\xE2\x98\xBA").tem_caracteres_fora_do_1252(), true);
    CONFERE(PerfilPrivado::de_bytes("\xEF\xBB\xBFk=\xE2\x82\xAC").tem_caracteres_fora_do_1252(), false);
    CONFERE(PerfilPrivado::motivo_recusa("\xFF\xFE[S]").substr(0, 29), std::string("o texto começaria com \"ÿþ\""));
}

// Writes keep every other byte: the first of two replaced where it stands, a key added
// before the blank lines, no line break at the end, LF kept, a line break in a value as
// blanks, Notepad's "Unicode" back in Windows-1252.
void grava_no_lugar() {
    // clang-format off
    const std::vector<std::vector<std::string>> casos = {
        {"", "[A]\r\nx= 1\r\nz=4\r\n[B]\r\ny=2\r\n", " A ", " x ", " 1", "B", "y", "2", "a", "z", "3", "A", "Z", "4"},
        {"[S]\r\n  k = 1  \r\nk=2\r\n[s]\r\nk=3\r\n", "[S]\r\n  k = 9\r\nk=2\r\n[s]\r\nk=3\r\n", "s", "K", "9"},
        {"[A]\r\nx\r\n; fim\r\n\r\n[B]\r\n", "[A]\r\nx\r\n; fim\r\nx=2\r\n\r\n[B]\r\n", "A", "x", "2"},
        {"[A]\r\nx=1", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n", "B", "y", "2"},
        {"[A]\nx=1\n", "[A]\nx=2\n", "A", "x", "2"},
        {"", "[A]\r\nx=1  [B]\r\n", "A", "x", "1\r\n[B]"},
        {bytes("\xFF\xFE[\0A\0]\0\n\0x\0=\0" "1\0\n\0;\0\xAC\x20\n\0"), "[A]\nx=2\n;\x80\n", "A", "x", "2"}};
    // clang-format on
    for (const auto& c : casos) {
        caso = c[1];
        PerfilPrivado p = PerfilPrivado::de_bytes(c[0]);
        for (std::size_t i = 2; i + 2 < c.size(); i += 3)
            p.grava(c[i], c[i + 1], c[i + 2]);
        CONFERE(p.texto(), c[1]);
    }
    caso.clear();
}

// Writes read back as written, in memory and from the text; names in UTF-8 go to the
// file in Windows-1252, '?' for a character it lacks, and are found under that name.
void grava() {
    PerfilPrivado p;
    p.grava("Seção", "chave\r\nlonga", "ã€☺");
    p.grava("☺", "k", "v");
    const std::string texto = p.texto();
    CONFERE(texto, std::string("[Se\xE7\xE3o]\r\nchave  longa=\xE3\x80?\r\n[?]\r\nk=v\r\n"));
    const PerfilPrivado relido = PerfilPrivado::de_bytes(texto);
    for (const PerfilPrivado* q : {static_cast<const PerfilPrivado*>(&p), &relido}) {
        CONFERE(q->le("SEÇÃO", "Chave  Longa", "", 255), std::string("ã€?"));
        CONFERE(q->le("?", "k", "", 255), std::string("v"));
        CONFERE(q->le("☺", "k", "<d>", 255), std::string("<d>"));
    }
    for (const char* nome : {"k=1", " [z]"})
        CONFERE(erro_de([&] { p.grava("S", nome, "v"); }), int(ERRO_CHAMADA_INVALIDA));
}

// The file's names, one table for the reader, the writer and the checker; names as the
// reader folds them.
void nomes() {
    struct Nome {
        std::string secao, chave;
        int opcao, tabela, entrada; // -2: no name of the layout
    };
    const std::vector<Nome> casos = {{" teclado ", "TIPO", -1, 0, -1}, {"Teclado", "protdispbnc", 2, 0, -1},
                                     {"TAB4", " t71\t", -1, 4, 71},    {"Tab1", "T5\xC2\xA0", -2, 0, 0},
                                     {"Tab5", "T0", -2, 0, 0},         {"Tab1", "T72", -2, 0, 0}};
    for (const Nome& c : casos) {
        caso = c.secao + "/" + c.chave;
        const NomeLayout* n = nome_layout(c.secao, c.chave);
        const std::vector<int> achado = n ? std::vector<int>{n->opcao, n->tabela, n->entrada} : std::vector<int>{-2, 0, 0};
        CONFERE(achado, (std::vector<int>{c.opcao, c.tabela, c.entrada}));
        CONFERE(secao_layout(c.secao), c.secao != "Tab5");
    }
    caso.clear();
    CONFERE(PerfilPrivado::dobra(" \tTÂB\r\n1 "), std::string("tâb  1"));
}

// A layout through a new file and back (what the file holds: the window's and the web
// page's Save against tests/data/pagina_edicao.key); a value "-2..." reads as missing
// and stops the reader there, naming the key and what was set before it.
void layout() {
    Layout l;
    l.caixas = {2, 0, 1};
    for (int n = 1; n <= QTD_TABELAS; ++n)
        for (int i = 0; i < QTD_SLOTS; ++i)
            l.tabelas[std::size_t(n - 1)][std::size_t(i)] = std::int16_t(i == 65 ? -32768 : (i * 7 + n) % 256);
    PerfilPrivado p;
    Grava_Layout(p, l);
    PerfilPrivado relido = PerfilPrivado::de_bytes(p.texto());
    Layout lido;
    CONFERE(Le_Layout(relido, lido), true);
    CONFERE(lido == l, true);
    relido.grava("tab3", "t5", "-20");
    PosicaoLeitura onde;
    CONFERE(erro_de([&] { (void)Le_Layout(relido, lido, &onde); }), int(ERRO_TIPOS));
    CONFERE(onde.nome(), std::string("[Tab3] T5 (tecla 6)"));
    CONFERE(onde.lido_antes(), std::string("as três opções, T0–T4 das quatro tabelas e T5 da Tab1 e da Tab2"));
    CONFERE(Le_Ini(relido, "Tab3", "T5"), std::string(" "));
    // One value of that file changed: what it reads as, or the error it stops with (-1:
    // another keyboard's file). A sentinel reads its leading number, "-2..." as missing.
    // clang-format off
    const std::tuple<std::string, std::string, int, int> valores[] = {
        {"T66", "12abc", 0, 12}, {"T66", "-21", 0, 0}, {"T66", "40000", ERRO_ESTOURO, 0},
        {"ProtDisp", "1.5", 0, 2}, {"Prot", "-1", ERRO_PROPRIEDADE, 0}, {"ProtDispBNC", "3", ERRO_PROPRIEDADE, 0},
        {"ProtDispBNC", "70000", ERRO_ESTOURO, 0}, {"Tipo", "\"Vantora\"", 0, 0}, {"Tipo", "vantora", -1, 0}};
    // clang-format on
    for (const auto& [chave, valor, erro, esperado] : valores) {
        caso = chave + "=" + valor;
        PerfilPrivado q = PerfilPrivado::de_bytes(p.texto());
        q.grava(chave == "T66" ? "Tab1" : "Teclado", chave, valor);
        Layout v;
        CONFERE(erro_de([&] {
                    if (!Le_Layout(q, v)) throw ErroExecucao(-1);
                }),
                erro);
        if (erro == 0 && chave != "Tipo")
            CONFERE(chave == "T66" ? int(v.tabela(1)[66]) : v.caixas[1], esperado);
    }
    caso.clear();
}

} // namespace

int main() {
    le();
    grava();
    grava_no_lugar();
    nomes();
    layout();
    return teste::falhas != 0;
}
