#pragma once
// The two number conversions the layout, the sentinel boxes and the catalogue rely on.
// Standard C++ alone; the texts are UTF-8 (a number is ASCII: other bytes are no part of it).

#include <cstdint>
#include <string_view>

namespace vantora {

// Whole-number conversion: blanks around the text are ignored, the rest must be a
// number (optional sign, digits, optional fraction and exponent, or the "&H"/"&O"
// forms). Fractions round to the nearest whole number, ties to the even one.
// Throws error 13 for text that is no number, error 6 outside -32768..32767.
[[nodiscard]] std::int16_t converte_inteiro(std::string_view texto);

// Leading-number value: blanks anywhere are skipped and the longest leading part that
// forms a number is taken; 0 when there is none. Never fails.
[[nodiscard]] double valor_inicial(std::string_view texto);

// Leading-number conversion: valor_inicial, rounded as above, error 6 outside the
// 16-bit range.
[[nodiscard]] std::int16_t converte_numero_inicial(std::string_view texto);

// Rounds half to even and checks the 16-bit range (error 6).
[[nodiscard]] std::int16_t arredonda_inteiro(double valor);

} // namespace vantora
