#include "traducao.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

namespace vantora {
namespace {

// X keycodes are the Linux evdev codes plus 8.
constexpr std::uint32_t DESLOCAMENTO_X = 8;

// Keysyms we look at.
constexpr std::uint32_t XK_SYS_REQ = 0xff15;
constexpr std::uint32_t XK_BREAK = 0xff6b;
constexpr std::uint32_t XK_KP_SEPARATOR = 0xffac;
constexpr std::uint32_t XK_KP_DECIMAL = 0xffae;
constexpr std::uint32_t XK_KP_0 = 0xffb0;
constexpr std::uint32_t XK_KP_9 = 0xffb9;

// One physical key by evdev code: scan code, virtual key, and for the numeric pad the
// virtual key with Num Lock on (0 elsewhere).
struct LinhaEvdev {
    std::uint16_t evdev;
    std::uint16_t varredura;
    std::uint8_t teclaVirtual;
    std::uint8_t comNumLock;
};

// The Brazilian ABNT2 keyboard. evdev 1 to 88 are the set-1 scan codes themselves;
// beyond that the extended keys and the keys proper to ABNT2.
// clang-format off
constexpr std::array<LinhaEvdev, 112> TECLAS_EVDEV = {{
    {1, 0x01, 27, 0},                                                   // Esc
    {2, 0x02, '1', 0}, {3, 0x03, '2', 0}, {4, 0x04, '3', 0}, {5, 0x05, '4', 0}, {6, 0x06, '5', 0},
    {7, 0x07, '6', 0}, {8, 0x08, '7', 0}, {9, 0x09, '8', 0}, {10, 0x0A, '9', 0}, {11, 0x0B, '0', 0},
    {12, 0x0C, 189, 0}, {13, 0x0D, 187, 0},                             // - =
    {14, 0x0E, 8, 0}, {15, 0x0F, 9, 0},                                 // Backspace, Tab
    {16, 0x10, 'Q', 0}, {17, 0x11, 'W', 0}, {18, 0x12, 'E', 0}, {19, 0x13, 'R', 0}, {20, 0x14, 'T', 0},
    {21, 0x15, 'Y', 0}, {22, 0x16, 'U', 0}, {23, 0x17, 'I', 0}, {24, 0x18, 'O', 0}, {25, 0x19, 'P', 0},
    {26, 0x1A, 219, 0}, {27, 0x1B, 221, 0},                             // acute, [
    {28, 0x1C, 13, 0}, {29, 0x1D, 17, 0},                               // Enter, left Ctrl
    {30, 0x1E, 'A', 0}, {31, 0x1F, 'S', 0}, {32, 0x20, 'D', 0}, {33, 0x21, 'F', 0}, {34, 0x22, 'G', 0},
    {35, 0x23, 'H', 0}, {36, 0x24, 'J', 0}, {37, 0x25, 'K', 0}, {38, 0x26, 'L', 0},
    {39, 0x27, 186, 0}, {40, 0x28, 222, 0}, {41, 0x29, 192, 0},         // Ç, tilde, quote
    {42, 0x2A, 16, 0}, {43, 0x2B, 220, 0},                              // left Shift, ]
    {44, 0x2C, 'Z', 0}, {45, 0x2D, 'X', 0}, {46, 0x2E, 'C', 0}, {47, 0x2F, 'V', 0}, {48, 0x30, 'B', 0},
    {49, 0x31, 'N', 0}, {50, 0x32, 'M', 0},
    {51, 0x33, 188, 0}, {52, 0x34, 190, 0}, {53, 0x35, 191, 0},         // , . ;
    {54, 0x36, 16, 0}, {55, 0x37, 106, 0},                              // right Shift, pad *
    {56, 0x38, 18, 0}, {57, 0x39, 32, 0}, {58, 0x3A, 20, 0},            // left Alt, Space, Caps Lock
    {59, 0x3B, 112, 0}, {60, 0x3C, 113, 0}, {61, 0x3D, 114, 0}, {62, 0x3E, 115, 0}, {63, 0x3F, 116, 0},
    {64, 0x40, 117, 0}, {65, 0x41, 118, 0}, {66, 0x42, 119, 0}, {67, 0x43, 120, 0}, {68, 0x44, 121, 0},
    {69, ESTENDIDA | 0x45, 144, 0},                                     // Num Lock: extended 45h
    {70, 0x46, 145, 0},                                                 // Scroll Lock
    {71, 0x47, 36, 103}, {72, 0x48, 38, 104}, {73, 0x49, 33, 105},     // pad 7 8 9
    {74, 0x4A, 109, 0},                                                 // pad -
    {75, 0x4B, 37, 100}, {76, 0x4C, 12, 101}, {77, 0x4D, 39, 102},     // pad 4 5 6
    {78, 0x4E, 107, 0},                                                 // pad +
    {79, 0x4F, 35, 97}, {80, 0x50, 40, 98}, {81, 0x51, 34, 99},        // pad 1 2 3
    {82, 0x52, 45, 96}, {83, 0x53, 46, 110},                           // pad 0, pad decimal
    {86, 0x56, 226, 0},                                                 // backslash (left of Z)
    {87, 0x57, 122, 0}, {88, 0x58, 123, 0},                             // F11, F12
    {89, 0x73, 193, 0},                                                 // ABNT / ? (73h)
    {96, ESTENDIDA | 0x1C, 13, 0},                                      // pad Enter
    {97, ESTENDIDA | 0x1D, 17, 0},                                      // right Ctrl
    {98, ESTENDIDA | 0x35, 111, 0},                                     // pad /
    {99, ESTENDIDA | 0x37, 44, 0},                                      // Print Screen
    {100, ESTENDIDA | 0x38, 18, 0},                                     // Alt Gr
    {102, ESTENDIDA | 0x47, 36, 0}, {103, ESTENDIDA | 0x48, 38, 0},    // Home, Up
    {104, ESTENDIDA | 0x49, 33, 0}, {105, ESTENDIDA | 0x4B, 37, 0},    // Page Up, Left
    {106, ESTENDIDA | 0x4D, 39, 0}, {107, ESTENDIDA | 0x4F, 35, 0},    // Right, End
    {108, ESTENDIDA | 0x50, 40, 0}, {109, ESTENDIDA | 0x51, 34, 0},    // Down, Page Down
    {110, ESTENDIDA | 0x52, 45, 0}, {111, ESTENDIDA | 0x53, 46, 0},    // Insert, Delete
    {119, 0x45, 19, 0},                                                 // Pause: plain 45h
    {121, 0x7E, 194, 0},                                                // ABNT pad separator (7Eh)
    {124, 0x7D, 255, 0},                                                // key 7Dh
    {125, ESTENDIDA | 0x5B, 91, 0}, {126, ESTENDIDA | 0x5C, 92, 0},    // left, right Windows
    {127, ESTENDIDA | 0x5D, 93, 0},                                     // Menu
    {0, 0, 0, 0},
}};
// clang-format on

// The table by evdev code, for direct indexing.
struct TabelaEvdev {
    std::array<LinhaEvdev, 128> porCodigo{};
    constexpr TabelaEvdev() {
        for (const LinhaEvdev& l : TECLAS_EVDEV) {
            if (l.evdev != 0) porCodigo[l.evdev] = l;
        }
    }
};
constexpr TabelaEvdev TABELA_EVDEV;

// 0, 1, 2 for the Caps, Num and Scroll Lock virtual keys; -1 for any other.
[[nodiscard]] constexpr int indice_trava(int vk) {
    return vk == 20 ? 0 : vk == 144 ? 1 : vk == 145 ? 2 : -1;
}

[[nodiscard]] constexpr bool keysym_numerico(std::uint32_t keysym) {
    return (keysym >= XK_KP_0 && keysym <= XK_KP_9) || keysym == XK_KP_DECIMAL || keysym == XK_KP_SEPARATOR;
}

// Keys Wine's ABNT2 table numbers its own way, by its scan code and virtual key, and
// the scan code and virtual key Windows gives them.
struct LinhaWine {
    std::uint16_t varreduraWine;
    std::uint8_t vkWine;
    std::uint16_t varredura;
    std::uint8_t teclaVirtual;
};
constexpr LinhaWine TECLAS_WINE[] = {
    {0x60, 186, 0x27, 186},             // Ç
    {0x56, 226, 0x73, 193},             // ABNT / ?
    {0x5E, 222, 0x56, 226},             // backslash (left of Z)
    {0x64, 0xE6, ESTENDIDA | 0x38, 18}, // Alt Gr
};

[[nodiscard]] bool sob_wine() {
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
    return false;
#endif
}

} // namespace

Plataforma plataforma_por_nome(std::string_view nomePlugin) {
    if (nomePlugin == "windows") return sob_wine() ? Plataforma::Wine : Plataforma::Windows;
    if (nomePlugin == "xcb") return Plataforma::X11;
    if (nomePlugin == "wayland" || nomePlugin.substr(0, 8) == "wayland-") return Plataforma::Wayland;
    return Plataforma::Nenhuma;
}

std::string identificador_tecla(const RelatoTecla& r) {
    char texto[24];
    std::snprintf(texto, sizeof texto, "%lX%d", static_cast<unsigned long>(r.palavra), r.teclaVirtual);
    return texto;
}

TeclaFisica tecla_x11(std::uint32_t keycode, std::uint32_t keysym) {
    if (keycode < DESLOCAMENTO_X || keycode - DESLOCAMENTO_X >= TABELA_EVDEV.porCodigo.size()) return {};
    const std::uint32_t evdev = keycode - DESLOCAMENTO_X;
    const LinhaEvdev& l = TABELA_EVDEV.porCodigo[evdev];
    if (l.evdev == 0) {
        // Unknown key of the main block: its evdev code is its scan code.
        return evdev <= 88 ? TeclaFisica{evdev, 0} : TeclaFisica{};
    }
    // Ctrl + Pause is Break, Alt + Print Screen is SysRq: other scan codes on Windows.
    if (evdev == 119 && keysym == XK_BREAK) return {ESTENDIDA | 0x46, 3};
    if (evdev == 99 && keysym == XK_SYS_REQ) return {0x54, 44};
    const int vk = (l.comNumLock != 0 && keysym_numerico(keysym)) ? l.comNumLock : l.teclaVirtual;
    return {l.varredura, vk};
}

namespace {

// Where a symbol lives on ABNT2 (evdev code), for the base and shifted levels and the
// keys that are the same on every layout. ABNT2's pad gives the separator (comma) on
// the decimal key and the decimal point on its extra key (7Eh).
struct CasaSimbolo {
    std::uint32_t keysym;
    std::uint8_t evdev;
};
// clang-format off
constexpr CasaSimbolo CASAS[] = {
    {0xff1b, 1}, {0xff08, 14}, {0xff09, 15}, {0xfe20, 15}, {0xff0d, 28}, {0xffe3, 29}, {0xffe1, 42},
    {0xffe2, 54}, {0xffaa, 55}, {0xffe9, 56}, {0x20, 57}, {0xffe5, 58}, {0xff7f, 69}, {0xff14, 70},
    {0xff95, 71}, {0xffb7, 71}, {0xff97, 72}, {0xffb8, 72}, {0xff9a, 73}, {0xffb9, 73}, {0xffad, 74},
    {0xff96, 75}, {0xffb4, 75}, {0xff9d, 76}, {0xffb5, 76}, {0xff98, 77}, {0xffb6, 77}, {0xffab, 78},
    {0xff9c, 79}, {0xffb1, 79}, {0xff99, 80}, {0xffb2, 80}, {0xff9b, 81}, {0xffb3, 81}, {0xff9e, 82},
    {0xffb0, 82}, {0xff9f, 83}, {0xffac, 83}, {0xffae, 121}, {0xff8d, 96}, {0xffe4, 97}, {0xffaf, 98}, {0xff61, 99},
    {0xfe03, 100}, {0xffea, 100}, {0xff50, 102}, {0xff52, 103}, {0xff55, 104}, {0xff51, 105},
    {0xff53, 106}, {0xff57, 107}, {0xff54, 108}, {0xff56, 109}, {0xff63, 110}, {0xffff, 111},
    {0xff13, 119}, {0xffeb, 125}, {0xffec, 126}, {0xff67, 127},
    // 1-0 and their shifted symbols; - = and the ABNT2 punctuation
    {'1', 2}, {'!', 2}, {'2', 3}, {'@', 3}, {'3', 4}, {'#', 4}, {'4', 5}, {'$', 5}, {'5', 6}, {'%', 6},
    {'6', 7}, {0xfe57, 7}, {'7', 8}, {'&', 8}, {'8', 9}, {'*', 9}, {'9', 10}, {'(', 10}, {'0', 11},
    {')', 11}, {'-', 12}, {'_', 12}, {'=', 13}, {'+', 13}, {0xfe51, 26}, {0xfe50, 26}, {'[', 27},
    {'{', 27}, {0xe7, 39}, {0xc7, 39}, {0xfe53, 40}, {0xfe52, 40}, {'\'', 41}, {'"', 41}, {']', 43},
    {'}', 43}, {',', 51}, {'<', 51}, {'.', 52}, {'>', 52}, {';', 53}, {':', 53}, {'\\', 86}, {'|', 86},
    {'/', 89}, {'?', 89},
};
// clang-format on
// A to Z
constexpr std::array<std::uint8_t, 26> LETRAS = {
    {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50, 49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44}};

// evdev code of a symbol on ABNT2; 0 when unknown.
std::uint32_t casa(std::uint32_t keysym) {
    if (keysym >= 'a' && keysym <= 'z') keysym -= 'a' - 'A';
    if (keysym >= 'A' && keysym <= 'Z') return LETRAS[keysym - 'A'];
    if (keysym >= 0xffbe && keysym <= 0xffc7) return 59 + (keysym - 0xffbe); // F1-F10
    if (keysym == 0xffc8 || keysym == 0xffc9) return 87 + (keysym - 0xffc8); // F11, F12
    for (const CasaSimbolo& c : CASAS) {
        if (c.keysym == keysym) return c.evdev;
    }
    return 0;
}

// Keys and symbols that are the same on every layout (dead keys are not).
constexpr bool tecla_fixa(std::uint32_t evdev) {
    return evdev == 1 || evdev == 14 || evdev == 15 || evdev == 28 || evdev == 29 || evdev == 42 ||
           (evdev >= 54 && evdev <= 83 && evdev != 57) || evdev == 87 || evdev == 88 || evdev >= 96;
}
constexpr bool simbolo_fixo(std::uint32_t keysym) {
    return keysym >= 0xfe00 && !(keysym >= 0xfe50 && keysym <= 0xfe8f);
}

} // namespace

TeclaFisica tecla_wayland(std::uint32_t keycode, std::uint32_t keysym) {
    const std::uint32_t c = casa(keysym);
    const std::uint32_t evdev = keycode >= DESLOCAMENTO_X ? keycode - DESLOCAMENTO_X : 0;
    if (c != 0 && c != evdev && (tecla_fixa(evdev) || simbolo_fixo(keysym)))
        return tecla_x11(c + DESLOCAMENTO_X, keysym);
    return tecla_x11(keycode, keysym);
}

namespace {

// The physical keys by KeyboardEvent.code, with their evdev codes (letters, digits and
// function keys are worked out below).
struct CodigoWeb {
    const char* nome;
    std::uint8_t evdev;
};
// clang-format off
constexpr CodigoWeb CODIGOS_WEB[] = {
    {"Escape", 1}, {"Minus", 12}, {"Equal", 13}, {"Backspace", 14}, {"Tab", 15}, {"BracketLeft", 26},
    {"BracketRight", 27}, {"Enter", 28}, {"ControlLeft", 29}, {"Semicolon", 39}, {"Quote", 40},
    {"Backquote", 41}, {"ShiftLeft", 42}, {"Backslash", 43}, {"Comma", 51}, {"Period", 52}, {"Slash", 53},
    {"ShiftRight", 54}, {"NumpadMultiply", 55}, {"AltLeft", 56}, {"Space", 57}, {"CapsLock", 58},
    {"NumLock", 69}, {"ScrollLock", 70}, {"Numpad7", 71}, {"Numpad8", 72}, {"Numpad9", 73},
    {"NumpadSubtract", 74}, {"Numpad4", 75}, {"Numpad5", 76}, {"Numpad6", 77}, {"NumpadAdd", 78},
    {"Numpad1", 79}, {"Numpad2", 80}, {"Numpad3", 81}, {"Numpad0", 82}, {"NumpadDecimal", 83},
    {"IntlBackslash", 86}, {"IntlRo", 89}, {"NumpadEnter", 96}, {"ControlRight", 97}, {"NumpadDivide", 98},
    {"PrintScreen", 99}, {"AltRight", 100}, {"Home", 102}, {"ArrowUp", 103}, {"PageUp", 104},
    {"ArrowLeft", 105}, {"ArrowRight", 106}, {"End", 107}, {"ArrowDown", 108}, {"PageDown", 109},
    {"Insert", 110}, {"Delete", 111}, {"Pause", 119}, {"NumpadComma", 121}, {"IntlYen", 124},
    {"MetaLeft", 125}, {"MetaRight", 126}, {"ContextMenu", 127},
};
// clang-format on

std::uint32_t evdev_web(std::string_view c) {
    const auto numero = [](std::string_view n) {
        int v = 0;
        for (const char ch : n) {
            if (ch < '0' || ch > '9' || v > 99) return -1;
            v = v * 10 + (ch - '0');
        }
        return n.empty() ? -1 : v;
    };
    if (c.size() == 4 && c.substr(0, 3) == "Key" && c[3] >= 'A' && c[3] <= 'Z') return LETRAS[size_t(c[3] - 'A')];
    if (c.size() == 6 && c.substr(0, 5) == "Digit" && c[5] >= '0' && c[5] <= '9')
        return c[5] == '0' ? 11 : std::uint32_t(c[5] - '0' + 1);
    if (c.size() > 1 && c[0] == 'F') {
        const int f = numero(c.substr(1));
        if (f >= 1 && f <= 10) return std::uint32_t(58 + f);
        if (f == 11 || f == 12) return std::uint32_t(76 + f);
        return 0;
    }
    for (const CodigoWeb& w : CODIGOS_WEB) {
        if (c == w.nome) return w.evdev;
    }
    return 0;
}

} // namespace

EventoNativo evento_web(std::string_view codigo, bool solta, bool repeticao, bool numLock) {
    const std::uint32_t evdev = evdev_web(codigo);
    // The pad's keys with Num Lock on give their digits (KP_0..KP_9, KP_Decimal).
    constexpr std::array<std::uint8_t, 10> DIGITOS = {{82, 79, 80, 81, 75, 76, 77, 71, 72, 73}};
    std::uint32_t keysym = 0;
    for (std::size_t d = 0; numLock && d < DIGITOS.size(); ++d)
        if (DIGITOS[d] == evdev) keysym = XK_KP_0 + std::uint32_t(d);
    if (numLock && evdev == 83) keysym = XK_KP_DECIMAL;
    EventoNativo e;
    e.solta = solta;
    e.repeticao = repeticao;
    e.codigoVarredura = evdev == 0 ? 0 : evdev + DESLOCAMENTO_X;
    e.teclaVirtual = keysym;
    return e;
}

bool relato_escolhe_tecla(std::uint32_t palavra) {
    if (palavra & BIT_TRANSICAO) return palavra != 0xE01D0001u;
    return palavra == 0x40730001u || palavra == 0x407E0001u || palavra == 0x407C0001u || palavra == 0x407D0001u;
}

TeclaFisica TradutorTeclado::fisica(const EventoNativo& e) const {
    switch (plataforma_) {
    case Plataforma::X11:
        return tecla_x11(e.codigoVarredura, e.teclaVirtual);
    case Plataforma::Wayland:
        return tecla_wayland(e.codigoVarredura, e.teclaVirtual);
    case Plataforma::Wine:
        for (const LinhaWine& l : TECLAS_WINE) {
            if ((e.codigoVarredura & 0x1FF) == l.varreduraWine && (e.teclaVirtual & 0xFF) == l.vkWine)
                return {l.varredura, l.teclaVirtual};
        }
        [[fallthrough]];
    case Plataforma::Windows:
        return {e.codigoVarredura & 0x1FF, static_cast<int>(e.teclaVirtual & 0xFF)};
    case Plataforma::Nenhuma:
        break;
    }
    return {};
}

Relatos TradutorTeclado::traduz(const EventoNativo& e) {
    Relatos r;
    if (plataforma_ == Plataforma::Nenhuma) return r;
    // The release half of an auto-repeat pair: the key is still down.
    if (e.solta && e.repeticao) return r;
    const TeclaFisica f = fisica(e);
    if (f.varredura == 0 && f.teclaVirtual == 0) return r;
    const std::uint32_t corpo =
        ((f.varredura & 0xFF) << 16) | ((f.varredura & ESTENDIDA) ? BIT_ESTENDIDA : 0u) | 1u;
    // On X11, Wayland and Wine, Alt Gr comes alone; Windows reports it with a left Ctrl before it,
    // and that Ctrl goes up first, while Alt is still down ("E01D0001").
    const bool altGrX11 = plataforma_ != Plataforma::Windows && f.varredura == (ESTENDIDA | 0x38);
    const auto ctrlFalso = [&](std::uint32_t bits) {
        const std::uint32_t contexto = alt_baixado() ? BIT_CONTEXTO_ALT : 0u;
        r.itens[r.quantidade++] = {bits | contexto | (0x1Du << 16) | 1u, 17};
    };

    // Windows' own lock-state alignment: press and release quicker than any hand.
    constexpr std::uint64_t TOQUE_MINIMO_MS = 10;
    const bool windows = plataforma_ == Plataforma::Windows || plataforma_ == Plataforma::Wine;
    const int trava = windows ? indice_trava(f.teclaVirtual) : -1;
    if (trava >= 0 && !e.solta && !e.repeticao) pressao_trava_[size_t(trava)] = e.instante;
    if (trava >= 0 && e.solta && baixadas_.test(f.varredura) && e.instante != 0 &&
        e.instante - pressao_trava_[size_t(trava)] < TOQUE_MINIMO_MS) {
        baixadas_.reset(f.varredura);
        return r;
    }

    if (e.solta) {
        if (altGrX11) ctrlFalso(BIT_TRANSICAO | BIT_ESTADO_ANTERIOR);
        // The Alt context is that of the moment before the key goes up (Alt's own
        // release carries it).
        const std::uint32_t contexto = alt_baixado() ? BIT_CONTEXTO_ALT : 0u;
        baixadas_.reset(f.varredura);
        r.itens[r.quantidade++] = {BIT_TRANSICAO | BIT_ESTADO_ANTERIOR | contexto | corpo, f.teclaVirtual};
        return r;
    }
    const bool jaBaixada = baixadas_.test(f.varredura) || e.repeticao;
    if (altGrX11 && !jaBaixada) ctrlFalso(0);
    baixadas_.set(f.varredura);
    const std::uint32_t contexto = alt_baixado() ? BIT_CONTEXTO_ALT : 0u;
    r.itens[r.quantidade++] = {(jaBaixada ? BIT_ESTADO_ANTERIOR : 0u) | contexto | corpo, f.teclaVirtual};
    return r;
}

void TradutorTeclado::esquece(const EventoNativo& e) {
    if (!e.solta || e.repeticao) return;
    const TeclaFisica f = fisica(e);
    baixadas_.reset(f.varredura & 0x1FF);
}

} // namespace vantora
