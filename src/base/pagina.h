#pragma once
// The code page of the layout files and of the catalogue.

#include <QChar>

namespace vantora {

// The character of code 0..255 in the Windows-1252 code page (the code page in
// which the catalogue turns characters into codes).
[[nodiscard]] QChar caractere_ansi(int codigo);

// Code of a character in Windows-1252, or -1 when it has none.
[[nodiscard]] int codigo_ansi(QChar c);

} // namespace vantora
