#pragma once
// Keeps watch on the serial ports while the window is open, so that an adapter
// plugged in or pulled out shows in the port box without "Atualiza". Each look asks
// the inventory for its list away from the window's thread (on Linux that walks the
// device database: milliseconds, more on a loaded machine) and says so only when the
// ports differ from the list on show.

#include "link/portas.h"

#include <QObject>
#include <QThreadPool>
#include <QTimer>

namespace vantora {

class VigiaPortas : public QObject {
    Q_OBJECT
  public:
    // `mostrada` is the port list the window shows; it is read on this object's thread
    // only. No inventory: nothing is ever looked at.
    VigiaPortas(InventarioPortas* inventario, const Mdl_Serial& mostrada, QObject* pai = nullptr);
    // Waits for a look in progress, which still uses the inventory.
    ~VigiaPortas() override;

    // A look every `intervalo_ms` from now on; none for 0.
    void inicia(int intervalo_ms);
    // One look now, unless one is under way already.
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
};

} // namespace vantora
