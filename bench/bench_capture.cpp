// Cost of one PC keystroke from the keyboard filter to the caption shown: the key
// events go through the application's event filter, are translated into the
// key-event word, looked up in the catalogue and assigned to the selected key.
// Prints the median over several runs beside the best run (the floor), per keystroke,
// and the same for the stages alone.
#include "capture/MDL_Keyboard.h"
#include "comum/falsos.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace vantora;

namespace {

constexpr int EXECUCOES = 15;
constexpr int TECLAS_POR_EXECUCAO = 2000;

struct Figura {
    double mediana;
    double piso;
};

template <class F> Figura mede(F&& rodada) {
    std::vector<double> ns;
    for (int r = 0; r < EXECUCOES; ++r) {
        QElapsedTimer t;
        t.start();
        rodada();
        ns.push_back(double(t.nsecsElapsed()) / TECLAS_POR_EXECUCAO);
    }
    std::sort(ns.begin(), ns.end());
    return {ns[ns.size() / 2], ns.front()};
}

void imprime(const char* o_que, Figura f) {
    std::printf("%-58s median %8.0f ns   floor %8.0f ns\n", o_que, f.mediana, f.piso);
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    teste::JanelaDeTeste j;
    j.cap->Modulo_Teclado().tradutor.define_plataforma(Plataforma::X11);
    QObject* alvo = j.janela.get();

    // A press and a release of A (X keycode 38) and of F1 (67), by turns.
    QKeyEvent pa(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, 38, 'a', 0);
    QKeyEvent sa(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, 38, 'a', 0);
    QKeyEvent pf(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier, 67, 0xffbe, 0);
    QKeyEvent sf(QEvent::KeyRelease, Qt::Key_F1, Qt::NoModifier, 67, 0xffbe, 0);
    const auto teclas = [&] {
        for (int i = 0; i < TECLAS_POR_EXECUCAO; i += 2) {
            QCoreApplication::sendEvent(alvo, &pa);
            QCoreApplication::sendEvent(alvo, &sa);
            QCoreApplication::sendEvent(alvo, &pf);
            QCoreApplication::sendEvent(alvo, &sf);
        }
    };
    teclas(); // warm-up
    if (j.doc->layout().tabela(1)[0] == 0 || !j.cap->captura_instalada()) {
        std::fprintf(stderr, "bench_capture: the keystrokes were not captured\n");
        return 1;
    }
    imprime("keystroke (press + release), filter to caption", mede(teclas));

    TradutorTeclado tradutor(Plataforma::X11);
    volatile std::uint32_t soma = 0;
    imprime("  translation alone (press + release)", mede([&] {
                for (int i = 0; i < TECLAS_POR_EXECUCAO; ++i) {
                    for (const auto& r : tradutor.traduz({false, false, 38, 'a', 0}))
                        soma = soma + r.palavra;
                    for (const auto& r : tradutor.traduz({true, false, 38, 'a', 0}))
                        soma = soma + r.palavra;
                }
            }));
    const Catalogo& cat = j.pc->padroes;
    const std::string achado = "C01E000165";
    const std::string ausente = "C15C000192";
    imprime("  catalogue lookup, A (key 61)", mede([&] {
                for (int i = 0; i < TECLAS_POR_EXECUCAO; ++i)
                    soma = soma + std::uint32_t(cat.localiza(achado));
            }));
    imprime("  catalogue lookup, key outside (222 comparisons)", mede([&] {
                for (int i = 0; i < TECLAS_POR_EXECUCAO; ++i)
                    soma = soma + std::uint32_t(cat.localiza(ausente));
            }));
    int k = 61;
    imprime("  assignment alone (Lbl_TeclaLB_Click)", mede([&] {
                for (int i = 0; i < TECLAS_POR_EXECUCAO; ++i) {
                    emit j.pc->clicada(k);
                    k = k == 61 ? 2 : 61;
                }
            }));
    return 0;
}
