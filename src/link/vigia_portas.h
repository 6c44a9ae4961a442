#pragma once
// Keeps watch on the serial ports while the window is open, so that an adapter
// plugged in or pulled out shows in the port box without "Atualiza". The system
// tells when devices come or go (SinalPortas); only then is the inventory asked for
// its list, away from the window's thread (on Linux that walks the device database:
// milliseconds, more on a loaded machine), and the watch says so only when the ports
// differ from the list on show. An idle window opens no file.

#include "link/portas.h"

#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <memory>

namespace vantora {

// Seam: the system's notice that serial devices may have come or gone. Tests stand
// in by emitting the signal of an object of this class.
class SinalPortas : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

  signals:
    void mudou();
};

// The system's notices: on Linux a udev monitor of tty devices, on Windows the
// device-change messages the system sends the program's windows; on both, the
// folders of the VANTORA_EXTRA_PORTS paths, where such a port appears or vanishes.
// Where the system gives no notice (no udev), a notice every 1.5 s.
[[nodiscard]] std::unique_ptr<SinalPortas> criaSinalPortasSistema();

class VigiaPortas : public QObject {
    Q_OBJECT
  public:
    // `mostrada` is the port list the window shows; it is read on this object's thread
    // only. No inventory: nothing is ever looked at.
    VigiaPortas(InventarioPortas* inventario, const Mdl_Serial& mostrada, QObject* pai = nullptr);
    // Waits for a look in progress, which still uses the inventory.
    ~VigiaPortas() override;

    // A look shortly after each notice of `sinal` from now on (a burst of notices,
    // as one adapter gives, makes one look); none without it.
    void inicia(SinalPortas* sinal);
    // One look now; asked during a look, another follows it.
    void verifica();
    [[nodiscard]] bool verificando() const { return verificando_; }

  signals:
    // The inventory's ports are no longer those on show.
    void mudou();

  private:
    void compara(const std::vector<Info_Porta>& encontrada);

    InventarioPortas* inventario_;
    const Mdl_Serial& mostrada_;
    QTimer relogio_;
    QThreadPool fila_;
    bool verificando_ = false;
    bool de_novo_ = false;
};

} // namespace vantora
