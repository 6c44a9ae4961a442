// The platform's lock-key state: GetKeyState on Windows; on X11 the XKB indicators
// "Caps Lock", "Num Lock" and "Scroll Lock" of the core keyboard, and whether the key
// is held, from the X server's key map. All off elsewhere.
#include "capture/travas.h"

#include <QGuiApplication>

#if defined(Q_OS_WIN)
#include <windows.h>
#elif defined(VANTORA_XCB_XKB) && QT_CONFIG(xcb)
#include <array>
#include <cstdlib>
#include <xcb/xcb.h>
// xkb.h names a field `explicit`, which C++ reserves.
#define explicit xcb_explicit
#include <xcb/xkb.h>
#undef explicit
#endif

namespace vantora {
namespace {

#if defined(Q_OS_WIN)

class EstadoTecladoWindows final : public EstadoTeclado {
  public:
    std::int16_t GetKeyState(int teclaVirtual) override { return ::GetKeyState(teclaVirtual); }
};
using EstadoTecladoPlataforma = EstadoTecladoWindows;

#elif defined(VANTORA_XCB_XKB) && QT_CONFIG(xcb)

constexpr std::int16_t LIGADA = 0x0001;
constexpr std::int16_t PRESSIONADA = static_cast<std::int16_t>(0x8000);

class EstadoTecladoX11 final : public EstadoTeclado {
  public:
    std::int16_t GetKeyState(int teclaVirtual) override {
        xcb_connection_t* c = conexao();
        if (!c) return 0;
        const char* nome = nullptr;
        xcb_keycode_t keycode = 0; // evdev keycodes of the lock keys
        switch (teclaVirtual) {
        case VK_CAPITAL:
            nome = "Caps Lock";
            keycode = 66;
            break;
        case VK_NUMLOCK:
            nome = "Num Lock";
            keycode = 77;
            break;
        case VK_SCROLL:
            nome = "Scroll Lock";
            keycode = 78;
            break;
        default:
            return 0;
        }
        std::int16_t estado = 0;
        if (ligada(c, nome)) estado |= LIGADA;
        if (pressionada(c, keycode)) estado |= PRESSIONADA;
        return estado;
    }

  private:
    xcb_connection_t* conexao() {
        auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        xcb_connection_t* c = x11 ? x11->connection() : nullptr;
        if (c != conexao_) {
            conexao_ = c;
            atomos_ = {};
            if (c) std::free(xcb_xkb_use_extension_reply(c, xcb_xkb_use_extension(c, 1, 0), nullptr));
        }
        return c;
    }

    xcb_atom_t atomo(xcb_connection_t* c, const char* nome) {
        auto& a = nome[0] == 'C' ? atomos_[0] : nome[0] == 'N' ? atomos_[1] : atomos_[2];
        if (a == XCB_ATOM_NONE) {
            const auto cookie = xcb_intern_atom(c, 1, static_cast<std::uint16_t>(qstrlen(nome)), nome);
            if (auto* r = xcb_intern_atom_reply(c, cookie, nullptr)) {
                a = r->atom;
                std::free(r);
            }
        }
        return a;
    }

    bool ligada(xcb_connection_t* c, const char* nome) {
        const xcb_atom_t a = atomo(c, nome);
        if (a == XCB_ATOM_NONE) return false;
        const auto cookie = xcb_xkb_get_named_indicator(
            c, XCB_XKB_ID_USE_CORE_KBD, XCB_XKB_LED_CLASS_DFLT_XI_CLASS, XCB_XKB_ID_DFLT_XI_ID, a);
        auto* r = xcb_xkb_get_named_indicator_reply(c, cookie, nullptr);
        const bool ligado = r && r->found && r->on;
        std::free(r);
        return ligado;
    }

    static bool pressionada(xcb_connection_t* c, xcb_keycode_t keycode) {
        auto* r = xcb_query_keymap_reply(c, xcb_query_keymap(c), nullptr);
        const bool baixo = r && (r->keys[keycode / 8] & (1u << (keycode % 8)));
        std::free(r);
        return baixo;
    }

    xcb_connection_t* conexao_ = nullptr;
    std::array<xcb_atom_t, 3> atomos_{};
};
using EstadoTecladoPlataforma = EstadoTecladoX11;

#else

class EstadoTecladoNenhum final : public EstadoTeclado {
  public:
    std::int16_t GetKeyState(int) override { return 0; }
};
using EstadoTecladoPlataforma = EstadoTecladoNenhum;

#endif

} // namespace

EstadoTeclado& estado_teclado_sistema() {
    static EstadoTecladoPlataforma estado;
    return estado;
}

} // namespace vantora
