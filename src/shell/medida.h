#pragma once
// Hooks for the smoke test and the benchmarks, driven by the environment:
//   VANTORA_SAIR_AO_MOSTRAR  close the window as soon as it is up;
//   VANTORA_SAIR_APOS_MS=N   close it N milliseconds after it is up;
//   VANTORA_AVISA_AO_MOSTRAR print "mostrada" on standard output once it is up.
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
        if (qEnvironmentVariableIsSet("VANTORA_SAIR_AO_MOSTRAR"))
            janela.close();
        else if (qEnvironmentVariableIsSet("VANTORA_SAIR_APOS_MS"))
            QTimer::singleShot(qEnvironmentVariableIntValue("VANTORA_SAIR_APOS_MS"), &janela,
                               [&janela] { janela.close(); });
    });
}

} // namespace vantora
