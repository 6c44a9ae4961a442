#pragma once
// The lock-key lamps (module Mdl_kEYBOARDxp): the platform's key state of Caps Lock,
// Num Lock and Scroll Lock, read through a seam.

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

// The platform's own: XKB indicators and the key map of the X server, the key state on
// Windows, and all off where the platform tells nothing (offscreen).
[[nodiscard]] EstadoTeclado& estado_teclado_sistema();

// Each flag is true when its key's state is not zero; asked in the order Caps Lock,
// Num Lock, Scroll Lock.
inline void Estado_Travas(EstadoTeclado& estado, bool& caps, bool& num, bool& scroll) {
    caps = estado.GetKeyState(VK_CAPITAL) != 0;
    num = estado.GetKeyState(VK_NUMLOCK) != 0;
    scroll = estado.GetKeyState(VK_SCROLL) != 0;
}

} // namespace vantora
