#pragma once
// Hooks for the start-up test and the benchmarks, driven by the environment:
//   VANTORA_SAIR_AO_MOSTRAR  close the window as soon as it is up, so the program ends
//                            normally (sanitizers and coverage see a real exit);
//   VANTORA_AVISA_AO_MOSTRAR print "mostrada" on standard output once it is up (the
//                            start-up benchmark's stopwatch).
// Shared with the bare window the start-up benchmark compares against.

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace vantora {

inline void ganchosDeMedida(QWidget& janela) {
    QTimer::singleShot(0, &janela, [&janela] {
        if (qEnvironmentVariableIsSet("VANTORA_AVISA_AO_MOSTRAR")) {
            std::fputs("mostrada\n", stdout);
            std::fflush(stdout);
        }
        if (qEnvironmentVariableIsSet("VANTORA_SAIR_AO_MOSTRAR")) janela.close();
    });
}

} // namespace vantora
