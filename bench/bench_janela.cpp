// Start-up time, peak memory and idle CPU of the configurator's window, each beside
// the same figure for a bare Qt Widgets window built the same way. Needs a display
// (bench/janela.sh starts Xvfb). Prints figures; never fails.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

double mediana(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

QProcessEnvironment ambiente(bool sair) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VANTORA_AVISA_AO_MOSTRAR"), QStringLiteral("1"));
    if (sair) env.insert(QStringLiteral("VANTORA_SAIR_AO_MOSTRAR"), QStringLiteral("1"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("/tmp/vantora-bench-config"));
    return env;
}

// Milliseconds from process start to the window up.
double inicio(const QString& programa) {
    QProcess p;
    p.setProcessEnvironment(ambiente(true));
    QElapsedTimer t;
    t.start();
    p.start(programa, {});
    while (!p.canReadLine() && p.waitForReadyRead(10000)) {
    }
    const double ms = t.nsecsElapsed() / 1e6;
    p.waitForFinished(10000);
    return ms;
}

long campoStatus(qint64 pid, const char* campo) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& linha : f.readAll().split('\n')) {
        if (linha.startsWith(campo)) return linha.mid(qstrlen(campo)).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

double cpuSegundos(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QByteArray s = f.readAll();
    const QList<QByteArray> campos = s.mid(s.lastIndexOf(')') + 2).split(' ');
    return (campos.value(11).toDouble() + campos.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

struct Ocioso {
    long picoKiB;
    double cpuPct;
    long arquivos; // files opened over the same seconds (strace), -1 without strace
};

// Files the process opens over `segundos` (strace -c -f -p), -1 when strace cannot.
long arquivosAbertos(qint64 pid, int segundos) {
    QProcess s;
    s.start(QStringLiteral("timeout"),
            {QStringLiteral("-s"), QStringLiteral("INT"), QString::number(segundos), QStringLiteral("strace"),
             QStringLiteral("-c"), QStringLiteral("-f"), QStringLiteral("-e"),
             QStringLiteral("trace=open,openat,openat2"), QStringLiteral("-p"), QString::number(pid)});
    if (!s.waitForFinished((segundos + 10) * 1000)) return -1;
    const QByteArray saida = s.readAllStandardError();
    if (!saida.contains("attached")) return -1;
    long total = 0;
    const QList<QByteArray> linhas = saida.split('\n');
    for (const QByteArray& linha : linhas) {
        const QList<QByteArray> c = linha.simplified().split(' ');
        if (c.size() >= 5 && c.last().startsWith("open")) total += c.at(3).toLong();
    }
    return total;
}

// Peak resident memory after a second of idling, the CPU used over the following
// `segundos` with the selection blinking, and the files opened over as many more.
Ocioso ocioso(const QString& programa, int segundos) {
    QProcess p;
    p.setProcessEnvironment(ambiente(false));
    p.start(programa, {});
    while (!p.canReadLine() && p.waitForReadyRead(10000)) {
    }
    QThread::msleep(1000);
    const long pico = campoStatus(p.processId(), "VmHWM:");
    const double c0 = cpuSegundos(p.processId());
    QElapsedTimer t;
    t.start();
    QThread::msleep(segundos * 1000);
    const double c1 = cpuSegundos(p.processId());
    const double pct = 100.0 * (c1 - c0) / (t.nsecsElapsed() / 1e9);
    const long arquivos = arquivosAbertos(p.processId(), segundos);
    p.kill();
    p.waitForFinished(20000);
    return {pico, pct, arquivos};
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QString dir = QCoreApplication::applicationDirPath();
    const QString vantora = dir + QStringLiteral("/vantora-config");
    const QString vazia = dir + QStringLiteral("/janela_vazia");
    const int n = argc > 1 ? atoi(argv[1]) : 15;
    const int segundos = argc > 2 ? atoi(argv[2]) : 10;

    inicio(vantora); // warm the caches of both
    inicio(vazia);
    std::vector<double> a, b;
    for (int i = 0; i < n; ++i) {
        a.push_back(inicio(vantora));
        b.push_back(inicio(vazia));
    }
    const double ma = mediana(a), mb = mediana(b);
    std::printf(
        "start-up to window shown (median of %d): vantora-config %.1f ms, bare window %.1f ms, ratio %.2f "
        "(target <= 1.5)\n",
        n, ma, mb, ma / mb);
    const Ocioso oa = ocioso(vantora, segundos);
    const Ocioso ob = ocioso(vazia, segundos);
    std::printf(
        "peak memory of the idle window (VmHWM): vantora-config %ld KiB, bare window %ld KiB, ratio %.2f "
        "(target <= 1.3)\n",
        oa.picoKiB, ob.picoKiB, double(oa.picoKiB) / double(ob.picoKiB));
    std::printf(
        "CPU while idle with the blink running, over %d s: vantora-config %.3f %% of a core, bare window "
        "%.3f %% (target: within 0.1 points)\n",
        segundos, oa.cpuPct, ob.cpuPct);
    std::printf(
        "files opened while idle, over %d s (strace; -1: no strace): vantora-config %ld, bare window %ld "
        "(target 0)\n",
        segundos, oa.arquivos, ob.arquivos);
    return 0;
}
