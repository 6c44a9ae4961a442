// A full programming exchange against vantora-sim (answering only after the bytes
// would have crossed the line), at 57600 and 9600 bit/s: median of several runs,
// beside the floor of 73 pauses of 5 ms plus the line time of 433 bytes and 73 answers.
#include "comum/falsos.h"
#include "link/portas.h"
#include "shell/Frm_Grava.h"
#include "shell/configuracao.h"
#include "shell/mensagens.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QRadioButton>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace vantora;

namespace {

using MensagensMudas = teste::MensagensFalsas;
using ConfiguracaoMemoria = teste::ConfiguracaoFalsa;

// One exchange; its duration in seconds, or a negative number when it failed.
double uma_gravacao(const QString& simulador, bool rapido) {
    QProcess sim;
    sim.start(simulador, {QStringLiteral("--ritmo")});
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) return -1;
    const QString linha = QString::fromLocal8Bit(sim.readLine()).trimmed();
    if (!linha.startsWith(QLatin1String("PORTA "))) return -1;
    qputenv("VANTORA_EXTRA_PORTS", (QStringLiteral("250=") + linha.mid(6)).toLocal8Bit());

    MensagensMudas mensagens;
    ConfiguracaoMemoria configuracao;
    configuracao.valores[QStringLiteral("Sistema/Serial")] = QStringLiteral("250");
    auto inventario = criaInventarioSistema();
    AberturaPortasQt portas(*inventario);
    Servicos s;
    s.mensagens = &mensagens;
    s.configuracao = &configuracao;
    s.inventario = inventario.get();
    s.portas = &portas;
    Frm_Grava janela(s);
    janela.Form_Load();
    janela.Opt_9600[rapido ? 1 : 0]->setChecked(true);
    QElapsedTimer t;
    t.start();
    janela.Cmd_Grava_Teclado_Click();
    const double segundos = double(t.nsecsElapsed()) / 1e9;
    sim.kill();
    sim.waitForFinished(2000);
    return mensagens.ultima() == QStringLiteral("Gravação do teclado efetuada.") ? segundos : -1;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString simulador = argc > 1
                                  ? QString::fromLocal8Bit(argv[1])
                                  : QCoreApplication::applicationDirPath() + QStringLiteral("/vantora-sim");
    constexpr int RODADAS = 5;
    std::printf(
        "bench_link: full exchange (65 key + 6 sentinel records, flags, end) against vantora-sim --ritmo, "
        "median of %d\n",
        RODADAS);
    for (const int velocidade : {57600, 9600}) {
        std::vector<double> tempos;
        for (int i = 0; i < RODADAS; ++i) {
            const double t = uma_gravacao(simulador, velocidade == 57600);
            if (t < 0) {
                std::printf("  %5d bit/s: run %d failed\n", velocidade, i + 1);
                continue;
            }
            tempos.push_back(t);
        }
        if (tempos.empty()) continue;
        std::sort(tempos.begin(), tempos.end());
        const double mediana = tempos[tempos.size() / 2];
        // 10 bits a byte (start, 8 data, stop).
        const double piso = 73 * 0.005 + (433.0 + 73.0) * 10.0 / velocidade;
        std::printf("  %5d bit/s: median %.3f s (min %.3f, max %.3f)  floor %.3f s  ratio %.2f\n", velocidade,
                    mediana, tempos.front(), tempos.back(), piso, mediana / piso);
    }
    return 0;
}
