#pragma once
// The programming exchange as a machine without input or output: it is told what
// happened (started, bytes arrived, time passed) and answers with what to do (bytes
// to write, when to look again) and, at the end, how it ended. Standard C++ only, so
// that it builds, and is tested, without Qt; the drivers around it (gravacao.h for the
// window and vantora-prog, a virtual clock in the tests) do the waiting and the I/O.
//
// 65 key records, 6 sentinel records, the flags record and the end command, each key
// or sentinel record repeated until the keyboard accepts it. A rejection counts one
// failure, a record left unanswered two; at six the exchange is abandoned. An accepted
// record sets the count back to zero. After each message the answer is looked at after
// each of up to 101 pauses of 5 ms: at 5 ms, 10 ms ... 505 ms after the message went out.
//
// An answer later than its wait belongs to no send still waiting: after a key or
// sentinel record went unanswered the line is left to go quiet (what arrives is
// discarded) before the record goes out again, and once the record is answered after
// such a silence, quiet again before the next record, for as long as its sends were
// spread over and more, so that a second answer to the same record is never taken for
// the next one's. A keyboard whose answers keep coming late (three in a row) ends as one
// that stopped answering. Without a silence nothing of this runs: the timing stays the
// wait's.

#include <array>
#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vantora {

// A monotonic time, from any origin the driver keeps.
using Instante = std::chrono::microseconds;

// The keyboard's answer to the message last written: "5" accepted, "1" rejected.
enum class RespostaTeclado { Aceito, Recusado };
// The answer a byte is, if any (every other byte is ignored: 0x06 too).
[[nodiscard]] std::optional<RespostaTeclado> resposta_do_byte(unsigned char byte);

inline constexpr unsigned char INICIO_REGISTRO = 0x91;   // starts a 6-byte data record
inline constexpr unsigned char COMANDO_FIM = 0x92;       // ends the transfer
inline constexpr unsigned char RESPOSTA_ACEITO = 0x35;   // "5"
inline constexpr unsigned char RESPOSTA_RECUSADO = 0x31; // "1"
inline constexpr int PASSOS_GRAVACAO = 73;               // 65 keys, 6 sentinels, flags, end
// The records a keyboard must accept for a whole layout: 65 keys and 6 sentinels.
inline constexpr int REGISTROS_LAYOUT = 71;

// The codes sent: four tables of 72 entries (keys 0..64, 65 never sent, sentinels 66..71).
using CodigosTroca = std::array<std::array<int, 72>, 4>;

enum class FimTroca {
    Gravado,        // every record taken, the flags record and the end command sent
    Recusado,       // abandoned after failures, the keyboard still answering
    ParouDeResponder, // abandoned, the last record left unanswered
    NaoRespondeu,   // abandoned without a single answer
    PortaPerdida,   // the port went away
    Erro,           // a value that is no byte, a write that failed (`erro`, `descricao`)
    Interrompido,   // stopped from outside (Ctrl-C, the program ending)
};

struct ResultadoTroca {
    FimTroca fim = FimTroca::Interrompido;
    int aceitos = 0;   // key and sentinel records the keyboard took, which stay in it
    int registro = 0;  // the record it stopped at (keys numbered from 1)
    int respostas = 0; // answers heard at all, late ones included
    int erro = 0;      // the error number, for Erro
    std::string descricao; // its description (UTF-8), for Erro and PortaPerdida
};

// What the driver is to do after an event.
struct AcoesTroca {
    std::vector<unsigned char> escreve; // bytes to write now, in this order
    std::optional<Instante> prazo;      // when to call tempo() (none once ended)
    bool terminou = false;              // resultado() holds how it ended
};

class Troca {
  public:
    // `opcoes` gives the options byte; it is asked for once the sentinel phase is
    // over, so that it is sent as the option boxes stand at that moment.
    Troca(const CodigosTroca& codigos, std::function<int()> opcoes);

    AcoesTroca inicia(Instante agora);
    // Bytes that arrived on the line.
    AcoesTroca recebe(const unsigned char* bytes, std::size_t n, Instante agora);
    // An answer heard otherwise (the window hears a "Y" or "N" typed on the PC).
    AcoesTroca recebe(RespostaTeclado r, Instante agora);
    // Time passed: looks at the answer on every pause that ended by `agora`.
    AcoesTroca tempo(Instante agora);
    // No message goes out any more: the answer already awaited still is, so that what
    // the keyboard took is known, and the exchange ends as interrupted.
    void interrompe() { interrompido_ = true; }
    // Ends at once (the port went away, a write failed, the program is ending).
    AcoesTroca encerra(FimTroca fim, int erro = 0, std::string descricao = {});

    [[nodiscard]] bool terminada() const { return resultado_.has_value(); }
    [[nodiscard]] const ResultadoTroca& resultado() const { return *resultado_; }
    [[nodiscard]] int progresso() const { return progresso_; } // 0..73, as the bar shows it
    [[nodiscard]] int aceitos() const { return aceitos_; }

  private:
    enum class Fase { Parada, Esperando, Aquietando, Fim };
    void envia(AcoesTroca& a, Instante agora);
    void avanca(AcoesTroca& a, Instante limite, Instante agora);
    void fim_da_espera(AcoesTroca& a, Instante agora);
    void fim_do_registro(AcoesTroca& a, Instante agora);
    void aquieta(Instante desde, Instante por);
    void termina(AcoesTroca& a, FimTroca fim, int erro = 0);
    [[nodiscard]] Instante olhada(long long k) const;
    [[nodiscard]] long long olhada_em(Instante t) const;
    AcoesTroca acoes(AcoesTroca a) const;

    CodigosTroca codigos_;
    std::function<int()> opcoes_;
    Fase fase_ = Fase::Parada;
    std::optional<ResultadoTroca> resultado_;
    int progresso_ = 0;
    int aceitos_ = 0;
    int respostas_ = 0;
    int falhas_ = 0;
    bool interrompido_ = false;
    // The message in flight: its index (1..71, 0 the flags record, -1 the end command).
    int indice_ = 1;
    std::optional<RespostaTeclado> celula_;       // the answer heard since the last look
    std::optional<RespostaTeclado> resposta_;     // the answer its wait took
    Instante grade_{};                     // its last send: the pauses end 5 ms apart from here
    long long proxima_ = 0;                // the next look (pauses since grade_)
    long long ultima_ = 0;                 // the look that ends the phase
    // Its sends so far, the answers heard to them (in their wait or late), whether one
    // went unanswered (its answer may still come), since when, and over how long.
    int envios_ = 0;
    int ouvidas_ = 0;
    bool em_duvida_ = false;
    Instante primeiro_{};
    Instante espalhado_{};
    // The quiet phase: since when no answer came, and how long it must last.
    Instante quieto_desde_{};
    Instante quieto_por_{};
    bool quieto_ok_ = true;
    int tardias_ = 0; // late answers since a record was answered without a silence
};

// The result in words (UTF-8). For vantora-prog, what follows "PORTA: " on its result
// line ("o teclado parou de responder no registro 8; o teclado ficou parcialmente
// gravado: ..."); for the window, its message (empty for Erro, which the error trap
// words, and for Interrompido, which says nothing).
[[nodiscard]] std::string texto_resultado(const ResultadoTroca& r, bool janela);

// What an exchange that stopped after `aceitos` accepted records left in the keyboard
// (keys numbered from 1): "o teclado ficou parcialmente gravado: aceitou 10 de 71
// registros (teclas 1 a 10); grave-o de novo", "o teclado não foi alterado", or, with
// all 71 taken, that the options and the end command are missing.
[[nodiscard]] std::string texto_gravacao_parcial(int aceitos);

} // namespace vantora
