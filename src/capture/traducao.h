#pragma once
// Translation of the key events the windowing system gives us into the key-event
// word and virtual-key code that the catalogue identifies keys by.
//
// The key-event word: bits 0-15 repeat count (always 1 here), 16-23 scan code,
// 24 extended-key flag, 29 Alt context (an Alt key is down), 30 previous state (the
// key was already down), 31 transition (the key is being released). The virtual-key
// code is the one the Windows ABNT2 layout gives the physical key.
//
// X11 and Wayland: the native scan code is the X keycode (Linux evdev code + 8) and
// the native virtual key is the keysym. Windows: the native scan code holds the scan code with
// the extended flag as 0x100 and the native virtual key is already the Windows code.
// Windows under Wine: as Windows, but Wine's own ABNT2 table numbers four keys its way
// (Ç 60h, the ABNT "/" 56h, backslash 5Eh, Alt Gr 64h) and Alt Gr comes without the left
// Ctrl Windows sends with it; they are put back as Windows gives them.
//
// Qt reports a held key as pairs of release + press marked auto-repeat: they become
// repeated presses (previous-state bit set), and the key gives one release when it
// really goes up.
//
// Windows brings its lock state into line with the keyboard's (Wine with the X
// server's at the first key a window gets, a remote desktop with the client's) by
// pressing and releasing the lock key at once: a lock key released less than 10 ms
// after its press, which no hand does, gives no release report.

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantora {

enum class Plataforma { Nenhuma, X11, Wayland, Windows, Wine };

// The platform of the running Qt application, from its platform plugin's name
// ("xcb", "wayland" or "windows", Wine when the Windows program runs there); any other
// (offscreen) gives no native key data we use.
[[nodiscard]] Plataforma plataforma_por_nome(std::string_view nomePlugin);

// What a key event carries, as QKeyEvent gives it.
struct EventoNativo {
    bool solta = false;                // a release
    bool repeticao = false;            // QKeyEvent::isAutoRepeat()
    std::uint32_t codigoVarredura = 0; // nativeScanCode()
    std::uint32_t teclaVirtual = 0;    // nativeVirtualKey()
    std::uint32_t modificadores = 0;   // nativeModifiers()
    std::uint64_t instante = 0;        // timestamp(), in milliseconds
};

// One report of the thread keyboard filter: the key-event word and the virtual key.
struct RelatoTecla {
    std::uint32_t palavra = 0;
    int teclaVirtual = 0;
};

// Up to two reports for one native event: the Alt Gr key gives a left Ctrl report
// before its own.
struct Relatos {
    std::array<RelatoTecla, 2> itens{};
    int quantidade = 0;
    [[nodiscard]] const RelatoTecla* begin() const { return itens.data(); }
    [[nodiscard]] const RelatoTecla* end() const { return itens.data() + quantidade; }
};

// Bits of the key-event word.
inline constexpr std::uint32_t BIT_TRANSICAO = 0x80000000u;
inline constexpr std::uint32_t BIT_ESTADO_ANTERIOR = 0x40000000u;
inline constexpr std::uint32_t BIT_CONTEXTO_ALT = 0x20000000u;
inline constexpr std::uint32_t BIT_ESTENDIDA = 0x01000000u;
// Scan codes with the extended flag as 0x100 (the form Windows gives Qt).
inline constexpr std::uint32_t ESTENDIDA = 0x100;

// The PC-key identifier: the word in upper-case hexadecimal without leading zeros,
// followed by the virtual-key code in decimal ("C03B0001112").
[[nodiscard]] std::string identificador_tecla(const RelatoTecla& r);

// Physical key of an X11 key event: scan code (with ESTENDIDA) and the virtual key
// Windows gives it with the ABNT2 layout; the numeric pad follows Num Lock through the
// keysym (KP_7 or KP_Home). Scan code 0 and virtual key 0 for keys we do not know.
struct TeclaFisica {
    std::uint32_t varredura = 0;
    int teclaVirtual = 0;
};
[[nodiscard]] TeclaFisica tecla_x11(std::uint32_t keycode, std::uint32_t keysym);

// Physical key of a Wayland key event. The compositor's keymap numbers keys by their
// evdev codes, as X11 does, and the key is read the same way. A virtual keyboard (an
// on-screen keyboard, a remote desktop, wtype) uploads a keymap of its own with keys
// numbered in order of use: there a key that is the same on every layout (Esc, the
// function keys, the locks, the pad) shows a symbol it never gives, or such a symbol
// comes from another key, and the key is taken from the symbol's place on ABNT2.
[[nodiscard]] TeclaFisica tecla_wayland(std::uint32_t keycode, std::uint32_t keysym);

// A key event of a web browser, named by the physical key (KeyboardEvent.code: "KeyA",
// "Numpad7", "IntlRo" the ABNT "/" key, "Backslash" the "]" key beside Enter on ABNT2,
// "IntlBackslash" the backslash left of Z), as the X server gives the same key: the X
// keycode, and the keysym the numeric pad needs to follow Num Lock. Read on
// Plataforma::X11 it gives what that key gives there (Alt Gr, "AltRight", with its
// left Ctrl half). A code we do not know gives keycode 0, which translates to nothing.
[[nodiscard]] EventoNativo evento_web(std::string_view codigo, bool solta, bool repeticao, bool numLock);

// Whether a report of the keyboard filter picks its PC key: every release but the left
// Ctrl half of Alt Gr (released while Alt is still down, "E01D0001"), and the presses
// of the keys with scan codes 73, 7E, 7C and 7D hex reported as already down.
[[nodiscard]] bool relato_escolhe_tecla(std::uint32_t palavra);

// Keeps which keys are down, to set the previous-state and Alt-context bits.
class TradutorTeclado {
  public:
    explicit TradutorTeclado(Plataforma plataforma = Plataforma::Nenhuma) : plataforma_(plataforma) {}
    void define_plataforma(Plataforma p) { plataforma_ = p; }
    [[nodiscard]] Plataforma plataforma() const { return plataforma_; }

    // Reports for one native event: none for the release half of an auto-repeat pair
    // and where the platform gives nothing to translate.
    [[nodiscard]] Relatos traduz(const EventoNativo& e);

    // A release that went elsewhere (to one of our dialogs): the key is up again.
    void esquece(const EventoNativo& e);
    // The window lost the keyboard: what goes up meanwhile is never seen, so no key
    // counts as down any more.
    void esquece_tudo() { baixadas_.reset(); }

  private:
    [[nodiscard]] TeclaFisica fisica(const EventoNativo& e) const;
    [[nodiscard]] bool alt_baixado() const {
        return baixadas_.test(0x38) || baixadas_.test(ESTENDIDA | 0x38);
    }

    Plataforma plataforma_;
    std::bitset<512> baixadas_; // by scan code with ESTENDIDA
    // When each lock key (Caps, Num, Scroll) went down.
    std::array<std::uint64_t, 3> pressao_trava_{};
};

} // namespace vantora
