#include "link/espera.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace vantora {

bool Aguarda_Ms(int ms) {
    QElapsedTimer relogio;
    relogio.start();
    const qint64 alvo = qint64(ms) * 1000000;
    QEventLoop laco;
    QTimer despertador;
    despertador.setSingleShot(true);
    despertador.setTimerType(Qt::PreciseTimer);
    QObject::connect(&despertador, &QTimer::timeout, &laco, &QEventLoop::quit);
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        const qint64 falta = alvo - relogio.nsecsElapsed();
        if (falta <= 0) return true;
        despertador.start(int((falta + 999999) / 1000000));
        // An event loop refuses to start once the program has been told to quit.
        if (laco.exec() < 0) return false;
    }
}

} // namespace vantora
