// The catalogue, the captions, key translation and the wire records of the Qt-free
// core, through their own functions. Plain C++: it runs natively (and under ASan)
// and, built with Emscripten, under Node.
#include "base/pagina.h"
#include "capture/traducao.h"
#include "catalogue/catalogo.h"
#include "comum/simples.h"
#include "editor/tabelas.h"
#include "link/protocolo.h"

#include <algorithm>
#include <vector>

using namespace vantora;
using namespace vantora::teste;

namespace {

Catalogo catalogo() {
    Catalogo c;
    c.preenche();
    return c;
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
// box its number (every row's default: teste_documento's New; a row's name: registros).
void sentinelas() {
    Layout l;
    l.tabela(1)[67] = -5;
    l.tabela(4)[67] = 37;
    // The slot, the box, its text.
    const std::tuple<int, int, const char*> regra[] = {
        {66, 0, "02"}, {70, 0, "05"}, {66, 1, "0"}, {67, 0, "-5"}, {67, 3, "37"}};
    for (const auto& [slot, caixa, texto] : regra)
        CONFERE(texto_sentinela(l, slot, caixa), std::string(texto));
}

// A native event: X keycode (or Windows scan code) and keysym (or virtual key), its kind
// ('p' press, 's' release, 'P' and 'S' the halves of an auto-repeat pair) and its time.
struct Ev {
    std::uint32_t codigo, simbolo;
    char tipo;
    std::uint64_t instante = 0;
};
std::vector<std::string> identificadores(Plataforma p, const std::vector<Ev>& eventos) {
    TradutorTeclado t(p);
    std::vector<std::string> l;
    for (const Ev& e : eventos)
        for (const RelatoTecla& r :
             t.traduz({e.tipo == 's' || e.tipo == 'S', e.tipo == 'P' || e.tipo == 'S', e.codigo, e.simbolo, 0, e.instante}))
            l.push_back(identificador_tecla(r));
    return l;
}

// One physical key of the ABNT2 keyboard per kind of path through the translation: X
// keycode and keysym, Windows scan code (extended as 0x100) and virtual key, the
// identifier of its release and the key the catalogue finds by it. Pressed and released
// on X11, Windows and Wayland (by their plugins' names) it gives the same identifiers;
// a virtual keyboard's own keymap on Wayland, whose first key always comes as keycode
// 9, reads alike.
void teclado_abnt2() {
    struct Tecla {
        std::uint32_t x, simbolo, varredura, vk;
        std::string id;
        int tecla;
    };
    // clang-format off
    const Tecla teclas[] = {
        {9, 0xff1b, 0x01, 27, "C001000127", 1},         // Esc
        {67, 0xffbe, 0x3B, 112, "C03B0001112", 2},      // F1
        {38, 'a', 0x1E, 'A', "C01E000165", 61},
        {104, 0xff8d, 0x11C, 13, "C11C000113", 96},     // pad Enter
        {77, 0xff7f, 0x145, 144, "C1450001144", 35},    // Num Lock is extended 45h
        {127, 0xff13, 0x45, 19, "C045000119", 16},      // Pause is plain 45h
        {107, 0xff61, 0x137, 44, "C137000144", 14},     // Print Screen
        {79, 0xffb7, 0x47, 103, "C0470001103", 56},     // pad 7, Num Lock on
        {79, 0xff95, 0x47, 36, "C047000136", 56},       // and off
        {47, 0xe7, 0x27, 186, "C0270001186", 70},       // cedilla
        {97, '/', 0x73, 193, "C0730001193", 90},        // ABNT slash 73
        {132, 0, 0x7D, 255, "C07D0001255", 30},         // key 7D
        {108, 0xfe03, 0x138, 18, "E138000118", 100},    // Alt Gr
        {133, 0xffeb, 0x15B, 91, "C15B000191", 109}};   // Left Windows
    // clang-format on
    const Catalogo cat = catalogo();
    CONFERE(plataforma_por_nome("offscreen"), Plataforma::Nenhuma);
    for (const Tecla& c : teclas) {
        caso = c.id;
        const auto toque = [](std::uint32_t codigo, std::uint32_t simbolo) {
            return std::vector<Ev>{{codigo, simbolo, 'p'}, {codigo, simbolo, 's'}};
        };
        const std::vector<std::string> x = identificadores(plataforma_por_nome("xcb"), toque(c.x, c.simbolo));
        CONFERE(x.back(), c.id);
        CONFERE(identificadores(plataforma_por_nome("windows"), toque(c.varredura, c.vk)).back(), c.id);
        CONFERE(identificadores(plataforma_por_nome("wayland"), toque(c.x, c.simbolo)), x);
        if (c.simbolo) CONFERE(identificadores(plataforma_por_nome("wayland-egl"), toque(9, c.simbolo)), x);
        CONFERE(cat.localiza(c.id), c.tecla);
    }
    // The catalogue finds a key pressed as released, by the alternative identifier,
    // Enter's upper half, Home apart from the numeric-pad 7; a marker, a bare first
    // character and a key outside the catalogue never.
    const std::pair<const char*, int> achados[] = {{"003B0001112", 2}, {"C00E00018", 31},
                                                   {"C01C000113", 52}, {"C147000136", 33},
                                                   {"C047000136", 56}, {"40470001103", 56},
                                                   {"0", 0},           {"00", 0},
                                                   {"1", 0},           {"", 0},
                                                   {"C", 0},           {"C15C000192", 0}};
    for (const auto& [id, tecla] : achados) {
        caso = id;
        CONFERE(cat.localiza(id), tecla);
    }
    caso.clear();
}

// Sequences of events on one platform and the identifiers they give.
void sequencias() {
    using Ids = std::vector<std::string>;
    // clang-format off
    const std::tuple<const char*, Plataforma, std::vector<Ev>, Ids> casos[] = {
        // X11's Alt Gr gives the left Ctrl half Windows reports with it: pressed before
        // the right Alt, released first while Alt is still down.
        {"Alt Gr on X11", Plataforma::X11, {{108, 0xfe03, 'p'}, {108, 0xfe03, 's'}},
         {"1D000117", "2138000118", "E01D000117", "E138000118"}},
        // Auto-repeat pairs are presses with the previous-state bit, one release at the
        // end; the next press is a fresh one.
        {"repeat on X11", Plataforma::X11,
         {{97, '/', 'p'}, {97, '/', 'S'}, {97, '/', 'P'}, {97, '/', 'S'}, {97, '/', 'P'}, {97, '/', 's'}, {97, '/', 'p'}},
         {"730001193", "40730001193", "40730001193", "C0730001193", "730001193"}},
        // Alt context while either Alt is down.
        {"Alt held while A is typed", Plataforma::X11,
         {{64, 0xffe9, 'p'}, {38, 'a', 'p'}, {38, 'a', 's'}, {64, 0xffe9, 's'}, {38, 'a', 'p'}, {38, 'a', 's'}},
         {"2038000118", "201E000165", "E01E000165", "E038000118", "1E000165", "C01E000165"}},
        // Ctrl + Pause (Break) and Alt + Print Screen (SysRq) take Windows' scan codes.
        {"Break and SysRq", Plataforma::X11, {{127, 0xff6b, 's'}, {107, 0xff15, 's'}}, {"C14600013", "C054000144"}},
        // Unknown keys give an identifier where a scan code is known, otherwise nothing.
        {"unknown keys", Plataforma::X11, {{92, 0, 's'}, {208, 0x1008ff13, 's'}, {3, 0, 's'}, {400, 0, 's'}},
         {"C05400010"}},
        {"no platform", Plataforma::Nenhuma, {{67, 0xffbe, 's'}}, {}},
        // Windows aligning its Num Lock with the keyboard's (Wine at the window's first
        // key) presses and releases it at once (2 ms): no release is reported. The
        // operator's own press still is.
        {"lock state aligned on Windows", Plataforma::Windows,
         {{0x145, 144, 'p', 1977}, {0x145, 144, 's', 1979}, {0x1E, 'A', 'p', 1984},
          {0x145, 144, 'p', 2090}, {0x145, 144, 's', 2180}},
         {"1450001144", "1E000165", "1450001144", "C1450001144"}},
        // Wine's ABNT2 table numbers Ç, the ABNT "/", backslash and Alt Gr its own way, and
        // Alt Gr comes without the Ctrl half: they give what Windows gives.
        {"Wine's own scan codes", Plataforma::Wine,
         {{0x60, 186, 's'}, {0x56, 226, 's'}, {0x5E, 222, 's'}, {0x64, 0xE6, 'p'}, {0x64, 0xE6, 's'}},
         {"C0270001186", "C0730001193", "C0560001226", "1D000117", "2138000118", "E01D000117", "E138000118"}},
    };
    // clang-format on
    for (const auto& [nome, plataforma, eventos, esperados] : casos) {
        caso = nome;
        CONFERE(identificadores(plataforma, eventos), esperados);
    }
    caso.clear();
}

// A browser's key events, named by KeyboardEvent.code, give what the same physical key
// gives the window on X11; the reports that pick a PC key are the releases (not Alt
// Gr's Ctrl half) and the four keys reported as already down.
void teclas_web() {
    struct Caso {
        const char* codigo;
        bool numLock;
        std::vector<std::string> ids; // press, release (Alt Gr: with its Ctrl half)
    };
    // clang-format off
    const Caso casos[] = {
        {"KeyA", false, {"1E000165", "C01E000165"}},
        {"Digit0", false, {"B000148", "C00B000148"}},
        {"F11", false, {"570001122", "C0570001122"}},
        {"IntlRo", false, {"730001193", "C0730001193"}},         // ABNT "/"
        {"IntlBackslash", false, {"560001226", "C0560001226"}},  // backslash left of Z
        {"Backslash", false, {"2B0001220", "C02B0001220"}},      // "]" on ABNT2
        {"Numpad7", true, {"470001103", "C0470001103"}},
        {"Numpad7", false, {"47000136", "C047000136"}},
        {"NumpadDecimal", true, {"530001110", "C0530001110"}},
        {"NumpadEnter", false, {"11C000113", "C11C000113"}},
        {"AltRight", false, {"1D000117", "2138000118", "E01D000117", "E138000118"}},
        {"Lang1", false, {}},
        {"F13", false, {}},
    };
    // clang-format on
    const Catalogo cat = catalogo();
    for (const Caso& c : casos) {
        caso = c.codigo;
        TradutorTeclado t(Plataforma::X11);
        std::vector<std::string> ids;
        std::vector<int> escolhem;
        for (const bool solta : {false, true})
            for (const RelatoTecla& r : t.traduz(evento_web(c.codigo, solta, false, c.numLock))) {
                ids.push_back(identificador_tecla(r));
                escolhem.push_back(relato_escolhe_tecla(r.palavra) ? 1 : 0);
            }
        CONFERE(ids, c.ids);
        if (ids.empty()) continue;
        // Only the key's own release picks it.
        CONFERE(escolhem.back(), 1);
        CONFERE(std::count(escolhem.begin(), escolhem.end(), 1), 1L);
        CONFERE(cat.localiza(ids.back()) != 0, true);
    }
    caso.clear();
    // The ABNT "/" held: its repeats pick it; another key's repeats do not.
    TradutorTeclado t(Plataforma::X11);
    (void)t.traduz(evento_web("IntlRo", false, false, false));
    const Relatos r = t.traduz(evento_web("IntlRo", false, true, false));
    CONFERE(identificador_tecla(r.itens[0]), std::string("40730001193"));
    CONFERE(relato_escolhe_tecla(r.itens[0].palavra), true);
    CONFERE(relato_escolhe_tecla(0x401E0001u), false);
}

// What goes on the wire: the options byte from the boxes, and the first value outside a
// byte, keys before sentinels, the hidden key 65 never (the tables' records:
// teste_ferramentas' prog_send.txt).
void registros() {
    Layout l;
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
    legendas();
    sentinelas();
    teclado_abnt2();
    sequencias();
    teclas_web();
    registros();
    std::cout << (falhas ? "FALHOU: " : "ok: ") << falhas << " diferença(s)\n";
    return falhas != 0;
}
