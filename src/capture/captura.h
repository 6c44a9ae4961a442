#pragma once
// PC keyboard capture: the keyboard filter, where the keys it takes go, the lock
// lamps and the box that shows a key outside the catalogue.
//
// While capture is suspended (a file dialog or the keyboard's programming is under
// way) a key is not assigned: its catalogue index goes out through `resposta`.

#include "base/controles.h"
#include "base/mensagens.h"

#include <QObject>
#include <array>
#include <cstdint>

class QLineEdit;

namespace vantora {

class Editor;
class EstadoTeclado;
class MDL_Keyboard;
class TecladoPC;

class Captura : public QObject {
    Q_OBJECT
  public:
    // `travas`: the lock-key state; the platform's own when null.
    Captura(QWidget& janela, TecladoPC& teclado, Editor& editor, Mensagens& mensagens, EstadoTeclado* travas,
            QObject* pai = nullptr);

    // The lock lamps and Txt_dado, in `area`.
    void monta(QWidget* area);

    void Ativa_Captura();
    void Desativa_Captura();
    [[nodiscard]] bool captura_instalada() const;
    // Looks a PC-key identifier up and dispatches it: assignment, `resposta` while
    // capture is suspended, or Txt_dado for a key outside the catalogue.
    void Localiza_TeclaPC(const QString& identificador);
    // Refreshes the Num, Caps and Scroll lamps; the ON lamp is never written.
    void Atualiza_Leds();
    // While suspended, keys answer instead of assigning.
    void suspende();
    void retoma();
    [[nodiscard]] bool suspensa() const { return Captura_Suspensa != 0; }

    // The keyboard filter module (made on first use).
    MDL_Keyboard& Modulo_Teclado();
    EstadoTeclado& estado_teclado();
    [[nodiscard]] Mensagens& mensagens() { return mensagens_; }
    // Num, Caps, Scroll lamps lit.
    [[nodiscard]] std::array<bool, 3> lampadas() const;
    // Tells that something a key or the lamps changed may be worth reporting.
    void relata() { emit estado_mudou(); }

    // The lamps Num, Caps, Scroll and ON.
    std::array<Forma*, 4> shpKeys{};
    QLineEdit* Txt_dado = nullptr;

  signals:
    // A PC key (its catalogue index) while capture is suspended.
    void resposta(int k);
    // A key was handled or the lamps were refreshed.
    void estado_mudou();

  private:
    std::int16_t Captura_Suspensa = 0;
    QWidget& janela_;
    TecladoPC& teclado_;
    Editor& editor_;
    Mensagens& mensagens_;
    EstadoTeclado* travas_;
    MDL_Keyboard* mdl_keyboard_ = nullptr;
};

} // namespace vantora
