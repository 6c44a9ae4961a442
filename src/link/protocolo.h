#pragma once
// What the programming exchange puts on the wire, and the check that every value
// fits in a byte before the first one goes out.

#include "editor/tabelas.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

namespace vantora {

inline constexpr unsigned char INICIO_REGISTRO = 0x91;   // starts a 6-byte data record
inline constexpr unsigned char COMANDO_FIM = 0x92;       // ends the transfer
inline constexpr unsigned char RESPOSTA_ACEITO = 0x35;   // "5"
inline constexpr unsigned char RESPOSTA_RECUSADO = 0x31; // "1"
inline constexpr int PASSOS_GRAVACAO = 73;               // 65 keys, 6 sentinels, flags, end

// The options byte of the flags record from the check-box values (0, 1, 2): each box
// of OPCOES_LAYOUT sets its bit when it holds its `liga` value (the authorisation box
// unchecked, the Norva and BNC display protocols checked). A greyed box sets nothing.
[[nodiscard]] int byte_opcoes(const std::array<int, QTD_OPCOES>& caixas);

// Names the first value the exchange would send that lies outside 0..255 (entries
// 0..64 and 66..71 of every table), in a message for the operator; nothing when
// all of them fit.
[[nodiscard]] std::optional<QString> valor_fora_da_faixa(const Layout& codigos);

} // namespace vantora
