// The catalogue, the captions, key translation and the wire records of the Qt-free
// core, through their own functions. Plain C++: it runs natively (and under ASan)
// and, built with Emscripten, under Node.
#include "base/pagina.h"
#include "capture/traducao.h"
#include "catalogue/catalogo.h"
#include "comum/simples.h"
#include "editor/tabelas.h"
#include "link/protocolo.h"

#include <optional>
#include <vector>

using namespace vantora;
using namespace vantora::teste;

namespace {

Catalogo catalogo() {
    Catalogo c;
    c.preenche();
    return c;
}

// How an identifier finds its key: pressed as released, by the alternative identifier,
// Enter's upper half, Home apart from the numeric-pad 7; a marker, a bare first
// character and a key outside the catalogue never.
void localiza() {
    const Catalogo cat = catalogo();
    const std::pair<const char*, int> casos[] = {{"003B0001112", 2}, {"C00E00018", 31},
                                                 {"C01C000113", 52}, {"C147000136", 33},
                                                 {"C047000136", 56}, {"40470001103", 56},
                                                 {"0", 0},           {"00", 0},
                                                 {"1", 0},           {"", 0},
                                                 {"C", 0},           {"C15C000192", 0}};
    for (const auto& [id, tecla] : casos) {
        caso = id;
        CONFERE(cat.localiza(id), tecla);
    }
    caso.clear();
}

// Every on-screen key's caption is the caption rule's for its code; every code from
// 33 to 255 but DEL is one character in UTF-8 that the code page gives back as the
// code, except the code page's five holes, which show their number.
void legendas() {
    const Catalogo cat = catalogo();
    for (int k = 1; k <= 108; ++k) {
        if (k == 105) continue; // folded into 106; its caption is never seen
        caso = "tecla " + std::to_string(k);
        CONFERE(cat.Legenda_TeclaLB[std::size_t(k - 1)],
                legenda_codigo(std::stoi(cat.Codigo_TeclaLB[std::size_t(k)]), cat));
    }
    std::vector<int> buracos;
    for (int c = 33; c <= 255; ++c) {
        caso = "código " + std::to_string(c);
        const std::string s = legenda_codigo(c, cat);
        std::size_t i = 0;
        if (c == 127) {
            CONFERE(s, std::string("DEL"));
        } else if (s.size() > 1 && s[0] == '<') {
            buracos.push_back(c);
            CONFERE(s, "<" + std::to_string(c) + ">");
        } else {
            CONFERE(codigo_ansi(proximo_utf8(s, &i)), c);
            CONFERE(i, s.size());
        }
    }
    caso.clear();
    CONFERE(buracos, (std::vector<int>{129, 141, 143, 144, 157}));

    // Caption and tooltip at the edges of the 16 bits a file may hold.
    const std::tuple<int, std::string, std::string> bordas[] = {{0, "", "0 (0h)"},
                                                                {10, "LF", "10 (Ah)"},
                                                                {31, "US", "31 (1Fh)"},
                                                                {199, "Ç", "199 (C7h)"},
                                                                {256, "<256>", "256 (100h)"},
                                                                {-1, "<-1>", "-1 (FFFFh)"},
                                                                {32767, "<32767>", "32767 (7FFFh)"},
                                                                {-32768, "<-32768>", "-32768 (8000h)"}};
    for (const auto& [codigo, legenda, dica] : bordas) {
        caso = std::to_string(codigo);
        CONFERE(legenda_codigo(codigo, cat), legenda);
        CONFERE(dica_codigo(codigo), dica);
    }
    caso.clear();
}

// The sentinel rows: box 1 shows the row's default while table 1 holds 0, every other
// box its number; each row named with its track.
void sentinelas() {
    Layout l;
    const char* padroes[] = {"02", "03", "10", "04", "05", "10"};
    const char* nomes[] = {"Sentinela Inicial, Leitor Trilha 2", "Sentinela Final, Leitor Trilha 2",
                           "Erro de Leitura, Leitor Trilha 2",   "Sentinela Inicial, Leitor Trilha 3",
                           "Sentinela Final, Leitor Trilha 3",   "Erro de Leitura, Leitor Trilha 3"};
    for (std::size_t i = 0; i < LINHAS_SENTINELA.size(); ++i) {
        const int slot = LINHAS_SENTINELA[i].slot;
        caso = "entrada " + std::to_string(slot);
        CONFERE(texto_sentinela(l, slot, 0), std::string(padroes[i]));
        CONFERE(texto_sentinela(l, slot, 1), std::string("0"));
        l.tabela(1)[std::size_t(slot)] = std::int16_t(-5);
        l.tabela(4)[std::size_t(slot)] = std::int16_t(37);
        CONFERE(texto_sentinela(l, slot, 0), std::string("-5"));
        CONFERE(texto_sentinela(l, slot, 3), std::string("37"));
        CONFERE(nome_sentinela(LINHAS_SENTINELA[i]), std::string(nomes[i]));
    }
    caso.clear();
}

// A key pressed and released on each platform gives the identifiers the catalogue
// finds its key by: the platform's plugin name, the native codes, the identifiers,
// the key. Alt Gr comes alone on X11 and gets the left Ctrl Windows sends with it; a
// virtual keyboard's keymap on Wayland numbers keys its own way (F1 as keycode 9); Wine
// numbers Ç its own way.
void traducao() {
    struct Caso {
        const char* plugin;
        std::uint32_t codigo, simbolo;
        std::vector<std::string> identificadores;
        int tecla;
    };
    const Caso casos[] = {
        {"xcb", 9, 0xff1b, {"1000127", "C001000127"}, 1},
        {"xcb", 67, 0xffbe, {"3B0001112", "C03B0001112"}, 2},
        {"xcb", 79, 0xffb7, {"470001103", "C0470001103"}, 56},
        {"xcb", 79, 0xff95, {"47000136", "C047000136"}, 56},
        {"xcb", 108, 0xfe03, {"1D000117", "2138000118", "E01D000117", "E138000118"}, 100},
        {"wayland", 9, 0xffbe, {"3B0001112", "C03B0001112"}, 2},
        {"wayland-egl", 38, 'a', {"1E000165", "C01E000165"}, 61},
        {"windows", 0x01, 27, {"1000127", "C001000127"}, 1},
        {"wine", 0x60, 186, {"270001186", "C0270001186"}, 70},
        {"offscreen", 9, 0xff1b, {}, 0},
    };
    const Catalogo cat = catalogo();
    for (const Caso& c : casos) {
        caso = c.plugin;
        const std::string plugin = c.plugin;
        const Plataforma p = plugin == "wine" ? Plataforma::Wine : plataforma_por_nome(plugin);
        // The Windows build under Wine takes "windows" for Wine, and reads these keys alike.
        CONFERE(p == Plataforma::Nenhuma, plugin == "offscreen");
        TradutorTeclado t(p);
        std::vector<std::string> ids;
        for (const bool solta : {false, true})
            for (const RelatoTecla& r : t.traduz({solta, false, c.codigo, c.simbolo, 0, 0}))
                ids.push_back(identificador_tecla(r));
        CONFERE(ids, c.identificadores);
        CONFERE(cat.localiza(ids.empty() ? std::string() : ids.back()), c.tecla);
    }
    caso.clear();
}

// What goes on the wire: the four tables as they are, the options byte from the boxes,
// and the first value outside a byte, keys before sentinels, the hidden key 65 never.
void registros() {
    Layout l;
    l.tabela(2)[5] = 65;
    l.tabela(4)[71] = 13;
    const CodigosTroca c = codigos_da_troca(l);
    CONFERE(c[1][5], 65);
    CONFERE(c[3][71], 13);
    CONFERE(c[0][5], 0);

    const std::pair<std::array<int, QTD_OPCOES>, int> opcoes[] = {
        {{1, 0, 0}, 0}, {{0, 0, 0}, 1}, {{0, 1, 1}, 7}, {{2, 2, 2}, 0}, {{1, 1, 0}, 2}, {{1, 0, 1}, 4}};
    for (const auto& [caixas, byte] : opcoes)
        CONFERE(byte_opcoes(caixas), byte);

    const auto problema = [&] { return valor_fora_da_faixa(l).value_or("nenhum"); };
    const std::string fim = "; os códigos vão de 0 a 255. Nada foi enviado ao teclado.";
    CONFERE(problema(), std::string("nenhum"));
    l.tabela(1)[65] = 999;
    CONFERE(problema(), std::string("nenhum"));
    l.tabela(2)[70] = -1;
    CONFERE(problema(), "A caixa 2 de \"Sentinela Final, Leitor Trilha 3\" (LCM) tem o valor -1" + fim);
    l.tabela(3)[13] = 256;
    CONFERE(problema(), "A tecla 14 (linha 2, coluna 1) tem o código 256 na Tabela 03" + fim);
}

} // namespace

int main() {
    localiza();
    legendas();
    sentinelas();
    traducao();
    registros();
    std::cout << (falhas ? "FALHOU: " : "ok: ") << falhas << " diferença(s)\n";
    return falhas != 0;
}
