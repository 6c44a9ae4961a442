#pragma once
// Module MDL_Keyboard: the PC keyboard filter. An application-wide event filter
// stands for the thread keyboard hook: it sees every key event of the program before
// any control does, turns it into the key-event word and virtual-key code the
// catalogue knows (capture/traducao.h), and consumes it while installed.

#include "capture/traducao.h"

#include <QObject>
#include <QWidget>
#include <bitset>
#include <cstdint>

namespace vantora {

class Captura;

class MDL_Keyboard : public QObject {
    Q_OBJECT
  public:
    // A child of the capture; the filter goes away with it. Keys count for `janela`
    // only, and only while it has the keyboard.
    MDL_Keyboard(Captura& captura, QWidget& janela);

    // Handle of the thread keyboard hook, the only one the capture uses; zero when
    // not installed.
    std::int32_t Hook_Teclado = 0;

    // Installs the filter unless a handle is stored.
    bool InstallHook();
    // Removes the hook with the stored handle (zero included) and stores zero.
    void RemoveHook();
    // The filter proper: 1 = consumed, 0 = the event goes on to the window.
    int KeyboardProc(int code, int virtualKey, std::uint32_t eventWord);

    [[nodiscard]] bool instalado() const { return Hook_Teclado != 0; }

    // Native key events are read as this platform gives them (tests set it).
    TradutorTeclado tradutor;

  protected:
    bool eventFilter(QObject* destino, QEvent* e) override;

  private:
    [[nodiscard]] bool para_dialogo(QObject* destino) const;

    Captura& captura_;
    QWidget& janela_;
    // Keys whose press this filter took as a keystroke for the window. Only they act
    // (on repeat and release): a key pressed in a dialog, in another program or
    // before the window had the keyboard assigns nothing when it comes up here.
    std::bitset<512> da_janela_;
    void esquece_tudo();

    // The event let through after an error in KeyboardProc, so that it reaches the
    // window without being examined again on its way to the focused control.
    struct Liberado {
        const QEvent* evento = nullptr;
        int tipo = 0;
        unsigned long long instante = 0;
        std::uint32_t varredura = 0;
    } liberado_;
};

} // namespace vantora
