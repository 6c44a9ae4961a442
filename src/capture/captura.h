#pragma once
// PC keyboard capture: the keyboard filter, where the keys it takes go, the lock
// lamps and the box that shows a key outside the catalogue.
//
// Capture has this one owner: the others hold it off through a Pausa while a file
// dialog or the keyboard's programming is under way, when a key is not assigned but
// its catalogue index goes out through `resposta`.

#include "base/controles.h"
#include "base/mensagens.h"

#include <QObject>
#include <array>

class QLineEdit;

namespace vantora {

class Documento;
class EstadoTeclado;
class MDL_Keyboard;
class TecladoPC;

class Captura : public QObject {
    Q_OBJECT
  public:
    // `travas`: the lock-key state; the platform's own when null.
    Captura(QWidget& janela, TecladoPC& teclado, Documento& documento, Mensagens& mensagens,
            EstadoTeclado* travas, QObject* pai = nullptr);

    // The lock lamps and Txt_dado, in `area`.
    void monta(QWidget* area);

    // From start-up to the window's end capture is on: the filter is installed unless
    // the card-reader page is on view (its boxes receive typing) or a dialog is up.
    void liga();
    void desliga();
    // While one lives capture is suspended: keys answer instead of assigning. With
    // `sem_filtro` the filter is off meanwhile too, so that a dialog receives typing;
    // it comes back as the rule above wants it.
    class Pausa {
      public:
        explicit Pausa(Captura& captura, bool sem_filtro = false);
        ~Pausa();
        Pausa(const Pausa&) = delete;
        Pausa& operator=(const Pausa&) = delete;

      private:
        Captura& captura_;
        bool sem_filtro_;
    };
    [[nodiscard]] bool suspensa() const { return suspensoes_ > 0; }
    [[nodiscard]] bool captura_instalada() const;

    // Looks a PC-key identifier up and dispatches it: assignment, `resposta` while
    // capture is suspended, or Txt_dado for a key outside the catalogue.
    void Localiza_TeclaPC(const QString& identificador);
    // Refreshes the Num, Caps and Scroll lamps; the ON lamp is never written.
    void Atualiza_Leds();
    // Num, Caps, Scroll lamps lit.
    [[nodiscard]] std::array<bool, 3> lampadas() const { return lampadas_; }

    // The keyboard filter module (made on first use).
    MDL_Keyboard& Modulo_Teclado();
    [[nodiscard]] Mensagens& mensagens() { return mensagens_; }
    // Tells that something a key or the lamps changed may be worth reporting.
    void relata() { emit estado_mudou(); }

  signals:
    // A PC key (its catalogue index) while capture is suspended.
    void resposta(int k);
    // A key was handled or the lamps were refreshed.
    void estado_mudou();

  private:
    EstadoTeclado& estado_teclado();
    // The filter installed or removed as the rule wants it now.
    void aplica();

    bool ligada_ = false;
    int suspensoes_ = 0;
    int sem_filtro_ = 0;
    std::array<bool, 3> lampadas_{};
    // The lamps Num, Caps, Scroll and ON.
    std::array<Forma*, 4> shpKeys{};
    QLineEdit* Txt_dado = nullptr;
    QWidget& janela_;
    TecladoPC& teclado_;
    Documento& documento_;
    Mensagens& mensagens_;
    EstadoTeclado* travas_;
    MDL_Keyboard* mdl_keyboard_ = nullptr;
};

} // namespace vantora
