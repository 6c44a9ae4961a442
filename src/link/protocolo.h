#pragma once
// What the programming exchange puts on the wire, and the check that every value
// fits in a byte before the first one goes out.

#include "editor/tabelas.h"
#include "link/troca.h"

#include <array>
#include <optional>
#include <string>

namespace vantora {

// The four tables' codes as the exchange sends them.
[[nodiscard]] CodigosTroca codigos_da_troca(const Layout& codigos);

// The options byte of the flags record from the check-box values (0, 1, 2): each box
// of OPCOES_LAYOUT sets its bit when it holds its `liga` value (the authorisation box
// unchecked, the Norva and BNC display protocols checked). A greyed box sets nothing.
[[nodiscard]] int byte_opcoes(const std::array<int, QTD_OPCOES>& caixas);

// Names the first value the exchange would send that lies outside 0..255 (entries
// 0..64 and 66..71 of every table), in a message for the operator; nothing when
// all of them fit. UTF-8.
[[nodiscard]] std::optional<std::string> valor_fora_da_faixa(const Layout& codigos);

// The window's message when the port cannot be opened for the exchange: held by
// another program (error 8005), or error `erro` by number.
[[nodiscard]] std::string texto_falha_abertura(int erro);

} // namespace vantora
