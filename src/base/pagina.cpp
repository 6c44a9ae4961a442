#include "pagina.h"

#include <array>

namespace vantora {

namespace {
// Windows-1252 0x80..0x9F; the five codes the code page leaves undefined map to the
// C1 control of the same number, as the system's conversion does.
constexpr std::array<char16_t, 32> CP1252_80 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
} // namespace

QChar caractere_ansi(int codigo) {
    if (codigo >= 0x80 && codigo <= 0x9F) return QChar(CP1252_80[codigo - 0x80]);
    return QChar(static_cast<char16_t>(codigo & 0xFF));
}

int codigo_ansi(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return u;
    for (int i = 0; i < 32; ++i) {
        if (CP1252_80[i] == u) return 0x80 + i;
    }
    return -1;
}

} // namespace vantora
