// A full programming exchange against vantora-sim (answering only after the bytes
// would have crossed the line), at 57600 and 9600 bit/s: median of several runs,
// beside the floor of 73 pauses of 5 ms plus the line time of 433 bytes and 73 answers.
#include "base/configuracao.h"
#include "base/mensagens.h"
#include "comum/falsos.h"
#include "link/ligacao.h"
#include "link/portas.h"
#include "link/vigia_portas.h"
#include "shell/Frm_Grava.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QRadioButton>
#include <QSerialPortInfo>
#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
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
    janela.findChild<QRadioButton*>(vantora::indexado("Opt_9600", rapido ? 1 : 0))->setChecked(true);
    QElapsedTimer t;
    t.start();
    janela.ligacao().Cmd_Grava_Teclado_Click(); // returns at once: the exchange runs in the event loop
    while (janela.ligacao().gravacao_em_curso())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double segundos = double(t.nsecsElapsed()) / 1e9;
    sim.kill();
    sim.waitForFinished(2000);
    return mensagens.ultima() == QStringLiteral("Gravação do teclado efetuada.") ? segundos : -1;
}

// vantora-prog programming `n` emulated keyboards with one command; the duration in
// seconds, or a negative number when a keyboard was not programmed.
double varios_teclados(const QString& simulador, const QString& prog, int n) {
    std::vector<std::unique_ptr<QProcess>> sims;
    QStringList args = {QStringLiteral("send"), QStringLiteral(VANTORA_EXEMPLOS "/mercado.key")};
    for (int i = 0; i < n; ++i) {
        sims.push_back(std::make_unique<QProcess>());
        QProcess& sim = *sims.back();
        sim.start(simulador, {QStringLiteral("--ritmo")});
        if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) return -1;
        const QString linha = QString::fromLocal8Bit(sim.readLine()).trimmed();
        if (!linha.startsWith(QLatin1String("PORTA "))) return -1;
        args << QStringLiteral("--port") << linha.mid(6);
    }
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(prog, args);
    const bool ok = p.waitForFinished(60000) && p.exitCode() == 0;
    const double segundos = double(t.nsecsElapsed()) / 1e9;
    for (auto& sim : sims) {
        sim->kill();
        sim->waitForFinished(2000);
    }
    return ok ? segundos : -1;
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

    // The port box's watch: one look at the system's inventory (on the watch's own
    // thread), the time the caller's thread is held by it, and the floor: Qt's port list
    // alone, on the caller's thread.
    {
        constexpr int OLHADAS = 21;
        auto inventario = criaInventarioSistema();
        Mdl_Serial mostrada(inventario.get());
        mostrada.Busca_Portas(); // takes the search made at start-up
        VigiaPortas vigia(inventario.get(), mostrada);
        std::vector<double> olhada, retida, piso;
        for (int i = 0; i < OLHADAS; ++i) {
            QElapsedTimer t;
            t.start();
            vigia.verifica();
            retida.push_back(t.nsecsElapsed() / 1e6);
            while (vigia.verificando())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            olhada.push_back(t.nsecsElapsed() / 1e6);
            t.restart();
            (void)QSerialPortInfo::availablePorts();
            piso.push_back(t.nsecsElapsed() / 1e6);
        }
        for (auto* v : {&olhada, &retida, &piso})
            std::sort(v->begin(), v->end());
        std::printf("bench_link: port watch, %d port(s), median of %d\n", int(mostrada.Qtd_Portas), OLHADAS);
        std::printf(
            "  one look %.2f ms (min %.2f, max %.2f), caller held %.3f ms; floor (Qt's list) %.2f ms\n",
            olhada[OLHADAS / 2], olhada.front(), olhada.back(), retida[OLHADAS / 2], piso[OLHADAS / 2]);
    }

    // The batch: one vantora-prog send to 4 keyboards at once beside the same send to one
    // (the whole command, start-up included). Target: at most 1.3 times as long.
    const QString prog = QCoreApplication::applicationDirPath() + QStringLiteral("/vantora-prog");
    std::printf("bench_link: vantora-prog send at 57600 bit/s, 1 and 4 keyboards (vantora-sim --ritmo), "
                "median of %d\n",
                RODADAS);
    std::array<double, 2> medianas{};
    for (const int n : {1, 4}) {
        std::vector<double> tempos;
        for (int i = 0; i < RODADAS; ++i) {
            const double t = varios_teclados(simulador, prog, n);
            if (t >= 0)
                tempos.push_back(t);
            else
                std::printf("  %d keyboard(s): run %d failed\n", n, i + 1);
        }
        if (tempos.empty()) continue;
        std::sort(tempos.begin(), tempos.end());
        medianas[n == 1 ? 0 : 1] = tempos[tempos.size() / 2];
        std::printf("  %d keyboard(s): median %.3f s (min %.3f, max %.3f)\n", n, tempos[tempos.size() / 2],
                    tempos.front(), tempos.back());
    }
    if (medianas[0] > 0 && medianas[1] > 0)
        std::printf("  4 keyboards / 1 keyboard: %.2f (target <= 1.30)\n", medianas[1] / medianas[0]);
    return 0;
}
