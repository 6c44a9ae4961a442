#include "capture/travas.h"

namespace vantora {
namespace {

unsigned trava_de(int teclaVirtual) {
    switch (teclaVirtual) {
    case VK_CAPITAL:
        return TravasAcompanhadas::CAPS;
    case VK_NUMLOCK:
        return TravasAcompanhadas::NUM;
    case VK_SCROLL:
        return TravasAcompanhadas::SCROLL;
    default:
        return 0;
    }
}

constexpr std::uint32_t MOD_LOCK = 0x02;
constexpr std::uint32_t MOD_MOD2 = 0x10;

} // namespace

void TravasAcompanhadas::tecla(const RelatoTecla& r) {
    const unsigned t = trava_de(r.teclaVirtual);
    if (t == 0) return;
    if (r.palavra & BIT_TRANSICAO) {
        // A release whose press never came (it went to another window, or the
        // compositor's new keymap swallowed it) is the keystroke.
        if (!(baixadas_ & t) && !(do_sistema_ & t)) ligadas_ ^= t;
        baixadas_ &= ~t;
    } else {
        if (!(r.palavra & BIT_ESTADO_ANTERIOR) && !(do_sistema_ & t)) ligadas_ ^= t;
        baixadas_ |= t;
    }
}

void TravasAcompanhadas::modificadores(std::uint32_t nativos) {
    unsigned m = 0;
    if (nativos & MOD_LOCK) m |= CAPS;
    if (nativos & MOD_MOD2) m |= NUM;
    const unsigned proprias = (CAPS | NUM) & ~do_sistema_;
    ligadas_ = (ligadas_ & ~proprias) | (m & proprias);
}

void TravasAcompanhadas::indicadores(unsigned ligadas, unsigned mudaram, unsigned dele) {
    ligadas_ = (ligadas_ & ~mudaram) | (ligadas & mudaram);
    do_sistema_ |= dele;
}

std::int16_t TravasAcompanhadas::GetKeyState(int teclaVirtual) {
    const unsigned t = trava_de(teclaVirtual);
    std::uint16_t estado = 0;
    if (ligadas_ & t) estado |= 0x0001;
    if (baixadas_ & t) estado |= 0x8000;
    return static_cast<std::int16_t>(estado);
}

} // namespace vantora
