#pragma once
// The programming exchange itself, shared by the window and the command-line
// programmer: 65 key records, 6 sentinel records, the flags record and the end
// command, each key or sentinel record repeated until the keyboard accepts it.
// A rejection counts one failure, a record left unanswered two; at six the
// exchange is abandoned. An accepted record sets the count back to zero.

#include "editor/tabelas.h"

#include <QString>
#include <functional>

namespace vantora {

// What the exchange needs from its surroundings.
class CanalGravacao {
  public:
    virtual ~CanalGravacao() = default;
    // Writes one data record (0x91, index, four codes), having forgotten any answer
    // to the record before it.
    virtual void envia_registro(int indice, int c1, int c2, int c3, int c4) = 0;
    // Writes the end command 0x92, likewise.
    virtual void envia_fim() = 0;
    // Waits for the answer to the message last written: RESPOSTA_SIM, RESPOSTA_NAO,
    // or anything else when none came in time.
    [[nodiscard]] virtual int espera_resposta() = 0;
    // Progress: one step before every message written, one back after every record
    // rejected or unanswered (73 steps in a complete exchange).
    virtual void avanca(int passos) { (void)passos; }
};

enum class ResultadoGravacao { Gravado, Abandonado };

// The records a keyboard must accept for a whole layout: 65 keys and 6 sentinels.
inline constexpr int REGISTROS_LAYOUT = QTD_TECLAS + QTD_SLOTS - PRIMEIRO_SENTINELA;

// What an exchange that stopped after `aceitos` accepted records left in the keyboard
// (keys numbered from 1): "o teclado ficou parcialmente gravado: aceitou 10 de 71
// registros (teclas 1 a 10); grave-o de novo", "o teclado não foi alterado", or, with
// all 71 taken, that the options and the end command are missing.
[[nodiscard]] QString texto_gravacao_parcial(int aceitos);

// Runs the exchange. The flags record and the end command go out only when no
// record was abandoned; their answers are awaited but not judged.
[[nodiscard]] ResultadoGravacao executa_gravacao(CanalGravacao& canal, const CodigosLayout& codigos,
                                                 int opcoes);
// The same, with the options byte asked for once the sentinel phase is over, so that
// it is sent as the option boxes stand at that moment.
[[nodiscard]] ResultadoGravacao executa_gravacao(CanalGravacao& canal, const CodigosLayout& codigos,
                                                 const std::function<int()>& opcoes);

} // namespace vantora
