#pragma once
// The code page of the layout files and of the catalogue: Windows-1252, and UTF-8, the
// text of everything else. Standard C++ alone.

#include <string>
#include <string_view>

namespace vantora {

// The character of code 0..255 in the Windows-1252 code page (the code page in
// which the catalogue turns characters into codes).
[[nodiscard]] char32_t caractere_ansi(int codigo);

// Code of a character in Windows-1252, or -1 when it has none.
[[nodiscard]] int codigo_ansi(char32_t c);

// A character in UTF-8 (one to four bytes).
void acrescenta_utf8(std::string& texto, char32_t c);
[[nodiscard]] inline std::string utf8(char32_t c) {
    std::string s;
    acrescenta_utf8(s, c);
    return s;
}

// The next character of UTF-8 `texto` from byte `*i`, which moves past it; a byte that
// begins no valid sequence reads as U+FFFD, one byte at a time.
[[nodiscard]] char32_t proximo_utf8(std::string_view texto, std::size_t* i);

} // namespace vantora
