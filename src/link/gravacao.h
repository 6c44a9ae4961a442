#pragma once
// The programming exchange itself, shared by the window and the command-line
// programmer: 65 key records, 6 sentinel records, the flags record and the end
// command, each key or sentinel record repeated until the keyboard accepts it.
// A rejection counts one failure, a record left unanswered two; at six the
// exchange is abandoned. An accepted record sets the count back to zero.

#include "editor/tabelas.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

namespace vantora {

class MSComm;

// The keyboard's answer to the message last written. The window's keyboard filter
// hears the keyboard's "5" and "1" as the on-screen keys Y (45) and N (85), whose
// numbers these are, so that one answer cell serves both ways of hearing it.
enum class RespostaTeclado { Nenhuma = 0, Aceito = 45, Recusado = 85 };

// The answer in a byte the keyboard sent: "5" accepted, "1" rejected, any other none;
// and in an on-screen key.
[[nodiscard]] RespostaTeclado resposta_do_byte(unsigned char byte);
[[nodiscard]] RespostaTeclado resposta_da_tecla(int tecla);

// What the exchange needs from its surroundings.
class CanalGravacao {
  public:
    virtual ~CanalGravacao() = default;
    // Writes one data record (0x91, index, four codes), having forgotten any answer
    // to the record before it.
    virtual void envia_registro(int indice, int c1, int c2, int c3, int c4) = 0;
    // Writes the end command 0x92, likewise.
    virtual void envia_fim() = 0;
    // Waits for the answer to the message last written.
    [[nodiscard]] virtual RespostaTeclado espera_resposta() = 0;
    // Progress: one step before every message written, one back after every record
    // rejected or unanswered (73 steps in a complete exchange).
    virtual void avanca(int passos) { (void)passos; }
};

// The port went away in the middle of an exchange (the control has closed it).
struct PortaPerdidaNaGravacao {};
// The program is ending in the middle of an exchange.
struct ProgramaEncerrando {};

// The exchange over the serial control: records framed as the keyboard expects them,
// and after each message at most 101 pauses of 5 ms, the answer looked at after each
// pause. Counts what the keyboard answered. Throws PortaPerdidaNaGravacao when the
// port goes away, ProgramaEncerrando when the pauses end because the program does.
//
// An answer later than its wait belongs to no send still waiting: after a key or
// sentinel record went unanswered the line is left to go quiet (what arrives is
// discarded) before the record goes out again, and once the record is answered after
// such a silence, quiet again before the next record, for as long as its sends were
// spread over and more, so that a second answer to the same record is never taken for
// the next one's. A keyboard whose answers keep coming late (three in a row) ends as one
// that stopped answering. Without a silence nothing of this runs: the timing stays the
// wait's.
class TrocaSerial final : public CanalGravacao {
  public:
    // The answers arrive in `celula` (the window's answer cell, which its receive
    // handler and keyboard filter fill); without one, the exchange hears the port.
    explicit TrocaSerial(MSComm& porta, std::int16_t* celula = nullptr);
    ~TrocaSerial() override { QObject::disconnect(ligacao_); }
    TrocaSerial(const TrocaSerial&) = delete;
    TrocaSerial& operator=(const TrocaSerial&) = delete;
    void envia_registro(int indice, int c1, int c2, int c3, int c4) override;
    void envia_fim() override;
    [[nodiscard]] RespostaTeclado espera_resposta() override;
    void avanca(int passos) override {
        if (ao_avancar) ao_avancar(passos);
    }

    std::function<void(int passos)> ao_avancar;  // progress, as avanca() gives it
    std::function<void(int aceitos)> ao_aceitar; // after each key or sentinel record taken
    int aceitos = 0;     // key and sentinel records the keyboard took, which stay in it
    int respostas = 0;   // answers heard at all, late ones included
    bool calado = false; // the last message got no answer that counts (none in its wait)

  private:
    void conta_envio(int indice);
    void pausa();
    [[nodiscard]] bool aquieta(qint64 ms);

    MSComm& porta_;
    std::int16_t propria_ = 0; // the answer cell when none is given
    std::int16_t& celula_;
    QMetaObject::Connection ligacao_;
    bool de_layout_ = false; // the message last written is a key or sentinel record
    // The record last written (its index; -1 for the end command) and its sends so far.
    int indice_ = -1;
    int envios_ = 0;
    int ouvidas_ = 0;              // answers heard to its sends, in their wait or late
    bool em_duvida_ = false;       // one of its sends went unanswered: its answer may still come
    QElapsedTimer desde_primeiro_; // since its first send
    qint64 espalhado_ms_ = 0;      // from its first send to its last
    int tardias_ = 0;              // late answers since a record was answered without a silence
};

// Opens the control on port `numero` with `parametros` ("57600,N,8,1") and sets it up
// for an exchange: buffers emptied, one event and one byte per byte received.
void abre_para_gravacao(MSComm& porta, int numero, const QString& parametros);

enum class ResultadoGravacao { Gravado, Abandonado };

// The records a keyboard must accept for a whole layout: 65 keys and 6 sentinels.
inline constexpr int REGISTROS_LAYOUT = QTD_TECLAS + QTD_SLOTS - PRIMEIRO_SENTINELA;

// What an exchange that stopped after `aceitos` accepted records left in the keyboard
// (keys numbered from 1): "o teclado ficou parcialmente gravado: aceitou 10 de 71
// registros (teclas 1 a 10); grave-o de novo", "o teclado não foi alterado", or, with
// all 71 taken, that the options and the end command are missing.
[[nodiscard]] QString texto_gravacao_parcial(int aceitos);

// Runs the exchange. The flags record and the end command go out only when no
// record was abandoned; their answers are awaited but not judged. The options byte
// is asked for once the sentinel phase is over, so that it is sent as the option
// boxes stand at that moment.
[[nodiscard]] ResultadoGravacao executa_gravacao(CanalGravacao& canal, const Layout& codigos,
                                                 const std::function<int()>& opcoes);

} // namespace vantora
