#pragma once
// The programming exchange (troca.h) over the serial control, for the window and
// vantora-prog: on the thread the control lives on, driven by its receive events and
// by a timer at each of the exchange's deadlines, with no event loop of its own, so
// that whatever else runs on that thread (the window, other exchanges) goes on.

#include "editor/tabelas.h"
#include "link/troca.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

namespace vantora {

class MSComm;

// Windows ticks its timers every 15.6 ms unless a program asks for finer ones, which
// would make each 5 ms pause of the exchange three times as long: while one is held,
// 1 ms timers (timeBeginPeriod). Elsewhere it asks nothing. `pedidos()` counts those
// held at this moment, on every system.
class ResolucaoTimer {
  public:
    ResolucaoTimer();
    ~ResolucaoTimer();
    ResolucaoTimer(const ResolucaoTimer&) = delete;
    ResolucaoTimer& operator=(const ResolucaoTimer&) = delete;
    [[nodiscard]] static int pedidos();
};

// One exchange on an open port. It starts with inicia() and ends once, with
// `terminou`, however it ends (its result then tells how); from then on it leaves the
// port alone. Destroyed before its end, it stops where it stands.
class GravacaoSerial : public QObject {
    Q_OBJECT
  public:
    // `opcoes` gives the options byte when the flags record goes out.
    GravacaoSerial(MSComm& porta, const Layout& codigos, std::function<int()> opcoes, QObject* pai = nullptr);
    ~GravacaoSerial() override;
    GravacaoSerial(const GravacaoSerial&) = delete;
    GravacaoSerial& operator=(const GravacaoSerial&) = delete;

    void inicia();
    // An answer heard elsewhere than on the port (a "Y" or "N" typed on the PC).
    void responde(RespostaTeclado r);
    // Ends at once as interrupted (the window is closing).
    void encerra();
    // Asked before every event: once true, nothing more goes out, the answer already
    // awaited still is, and the exchange ends as interrupted.
    std::function<bool()> interromper;

    [[nodiscard]] bool terminada() const { return resultado_.has_value(); }
    [[nodiscard]] const ResultadoTroca& resultado() const { return *resultado_; }
    [[nodiscard]] int aceitos() const { return troca_.aceitos(); }
    [[nodiscard]] int progresso() const { return troca_.progresso(); }

  signals:
    void progrediu(int progresso); // 0..73, as the bar shows it
    void terminou();

  private:
    [[nodiscard]] Instante agora() const;
    void executa(AcoesTroca a);
    void ao_evento();

    MSComm& porta_;
    Troca troca_;
    QElapsedTimer relogio_;
    QTimer prazo_;
    std::optional<ResolucaoTimer> resolucao_;
    QMetaObject::Connection ligacao_;
    std::optional<ResultadoTroca> resultado_;
};

// Opens the control on port `numero` with `parametros` ("57600,N,8,1") and sets it up
// for an exchange: buffers emptied, one event and one byte per byte received.
void abre_para_gravacao(MSComm& porta, int numero, const QString& parametros);

} // namespace vantora
