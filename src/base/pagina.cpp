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

char32_t caractere_ansi(int codigo) {
    if (codigo >= 0x80 && codigo <= 0x9F) return CP1252_80[static_cast<std::size_t>(codigo - 0x80)];
    return static_cast<char32_t>(codigo & 0xFF);
}

int codigo_ansi(char32_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<int>(u);
    for (std::size_t i = 0; i < CP1252_80.size(); ++i) {
        if (CP1252_80[i] == u) return 0x80 + static_cast<int>(i);
    }
    return -1;
}

void acrescenta_utf8(std::string& s, char32_t c) {
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char32_t proximo_utf8(std::string_view t, std::size_t* i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(t[k]); };
    const unsigned char c = b(*i);
    int n = 0;
    char32_t u = 0;
    if (c < 0x80) {
        ++*i;
        return c;
    }
    if (c >= 0xC2 && c <= 0xDF) n = 1, u = c & 0x1F;
    else if (c >= 0xE0 && c <= 0xEF) n = 2, u = c & 0x0F;
    else if (c >= 0xF0 && c <= 0xF4) n = 3, u = c & 0x07;
    // no lead byte, or a sequence that runs past the end
    if (n == 0 || t.size() - *i < static_cast<std::size_t>(n) + 1) {
        ++*i;
        return 0xFFFD;
    }
    for (int k = 1; k <= n; ++k) {
        const unsigned char x = b(*i + static_cast<std::size_t>(k));
        if ((x & 0xC0) != 0x80) {
            ++*i;
            return 0xFFFD;
        }
        u = (u << 6) | (x & 0x3F);
    }
    // overlong forms, surrogates and values past U+10FFFF are no characters
    if ((n == 2 && u < 0x800) || (n == 3 && (u < 0x10000 || u > 0x10FFFF)) || (u >= 0xD800 && u <= 0xDFFF)) {
        ++*i;
        return 0xFFFD;
    }
    *i += static_cast<std::size_t>(n) + 1;
    return u;
}

} // namespace vantora
