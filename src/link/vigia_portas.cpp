#include "link/vigia_portas.h"

#include <algorithm>

namespace vantora {

VigiaPortas::VigiaPortas(InventarioPortas* inventario, const Mdl_Serial& mostrada, QObject* pai)
    : QObject(pai), inventario_(inventario), mostrada_(mostrada) {
    fila_.setMaxThreadCount(1);
    connect(&relogio_, &QTimer::timeout, this, &VigiaPortas::verifica);
}

VigiaPortas::~VigiaPortas() {
    relogio_.stop();
    fila_.waitForDone();
}

void VigiaPortas::inicia(int intervalo_ms) {
    if (inventario_ && intervalo_ms > 0) relogio_.start(intervalo_ms);
}

void VigiaPortas::verifica() {
    if (!inventario_ || verificando_) return;
    verificando_ = true;
    fila_.start([this] {
        // The same search the window makes, into a list of its own.
        Mdl_Serial busca(inventario_);
        bool completa = true;
        try {
            busca.Busca_Portas();
        } catch (...) {
            // A failing inventory proves nothing about the ports: the list on show
            // stays until a look succeeds.
            completa = false;
        }
        QMetaObject::invokeMethod(
            this,
            [this, completa, lista = std::move(busca.Lista_Portas)] {
                verificando_ = false;
                if (completa) compara(lista);
            },
            Qt::QueuedConnection);
    });
}

void VigiaPortas::compara(const std::vector<Info_Porta>& encontrada) {
    const auto iguais = [](const Info_Porta& a, const Info_Porta& b) {
        return a.Nome == b.Nome && a.Numero == b.Numero && a.Id_Dispositivo == b.Id_Dispositivo;
    };
    const std::vector<Info_Porta>& mostrada = mostrada_.Lista_Portas;
    if (!std::equal(encontrada.begin(), encontrada.end(), mostrada.begin(), mostrada.end(), iguais))
        emit mudou();
}

} // namespace vantora
