#pragma once
// The lock-key lamps (module Mdl_kEYBOARDxp): the platform's key state of Caps Lock,
// Num Lock and Scroll Lock, read through a seam.

#include "capture/traducao.h"

#include <cstdint>

namespace vantora {

// Virtual keys of the three lock keys.
inline constexpr int VK_CAPITAL = 20;
inline constexpr int VK_NUMLOCK = 144;
inline constexpr int VK_SCROLL = 145;

// Seam for the keyboard state: the platform's 16-bit state of a virtual key, as the
// Windows key-state query gives it (bit 0: toggled on; bit 15: held down; 0: neither).
class EstadoTeclado {
  public:
    virtual ~EstadoTeclado() = default;
    [[nodiscard]] virtual std::int16_t GetKeyState(int teclaVirtual) = 0;
};

// The lock state as the program follows it where the system has no key-state query
// (X11, Wayland): the lock keys it receives (a press toggles, and a key lights its
// lamp while held), the lock modifiers that come with every key event, and on X11 the
// server's indicators as they change. The last word wins; nothing is asked per tick.
class TravasAcompanhadas final : public EstadoTeclado {
  public:
    // One report of the keyboard filter's translation.
    void tecla(const RelatoTecla& r);
    // The native modifiers of a key event (X11 and Wayland: Lock is Caps Lock, Mod2
    // Num Lock), as they stood before that event.
    void modificadores(std::uint32_t nativos);
    // Indicators reported by the system; only those in `mudaram` are taken. Those in
    // `dele` become the system's: its reports come apart from the key events, in
    // another order, so from then on keys and modifiers no longer touch them (their
    // held state is still followed).
    enum Trava : unsigned { CAPS = 1, NUM = 2, SCROLL = 4 };
    void indicadores(unsigned ligadas, unsigned mudaram, unsigned dele = 0);

    [[nodiscard]] std::int16_t GetKeyState(int teclaVirtual) override;

  private:
    unsigned ligadas_ = 0;
    unsigned baixadas_ = 0;
    unsigned do_sistema_ = 0;
};

// The platform's own: the key state on Windows; the followed state on X11 (with the
// server's XKB indicators) and Wayland; all off where the platform tells nothing.
[[nodiscard]] EstadoTeclado& estado_teclado_sistema();
// Puts the system state's own key-event observer first again: the keyboard filter,
// installed after it, would otherwise consume the events before it sees them.
void observa_travas_sistema();

// Each flag is true when its key's state is not zero; asked in the order Caps Lock,
// Num Lock, Scroll Lock.
inline void Estado_Travas(EstadoTeclado& estado, bool& caps, bool& num, bool& scroll) {
    caps = estado.GetKeyState(VK_CAPITAL) != 0;
    num = estado.GetKeyState(VK_NUMLOCK) != 0;
    scroll = estado.GetKeyState(VK_SCROLL) != 0;
}

} // namespace vantora
