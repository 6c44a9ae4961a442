#include "link/vigia_portas.h"

#include <algorithm>
#include <utility>

namespace vantora {

VigiaPortas::VigiaPortas(InventarioPortas* inventario, const Mdl_Serial& mostrada, QObject* pai)
    : QObject(pai), inventario_(inventario), mostrada_(mostrada) {
    fila_.setMaxThreadCount(1);
    relogio_.setSingleShot(true);
    relogio_.setInterval(200);
    connect(&relogio_, &QTimer::timeout, this, &VigiaPortas::verifica);
}

VigiaPortas::~VigiaPortas() {
    relogio_.stop();
    fila_.waitForDone();
}

void VigiaPortas::inicia(SinalPortas* sinal) {
    if (inventario_ && sinal) connect(sinal, &SinalPortas::mudou, &relogio_, qOverload<>(&QTimer::start));
}

void VigiaPortas::verifica() {
    if (!inventario_) return;
    if (verificando_) {
        // The look under way may have missed what this call was told.
        de_novo_ = true;
        return;
    }
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
                if (std::exchange(de_novo_, false)) verifica();
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
