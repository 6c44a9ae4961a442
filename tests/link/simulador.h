#pragma once
// Runs vantora-sim for a test: starts it, reads the port path it prints, and keeps
// every line it prints (records received, the decoded layout at the end command).

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QTest>
#include <functional>

namespace vantora::teste {

// One record as the emulator logged it: its six bytes and its answer ("5", "1", "-").
struct RegistroVisto {
    QByteArray bytes;
    QString resposta;
    [[nodiscard]] int indice() const { return static_cast<unsigned char>(bytes.at(1)); }
};

class Simulador {
  public:
    explicit Simulador(const QStringList& argumentos = {}) {
        processo.setProgram(QStringLiteral(VANTORA_SIM));
        processo.setArguments(argumentos);
        QObject::connect(&processo, &QProcess::readyReadStandardOutput, [this] { le(); });
        processo.start();
        if (!processo.waitForStarted(5000)) return;
        QElapsedTimer t;
        t.start();
        while (caminho.isEmpty() && t.elapsed() < 5000) {
            processo.waitForReadyRead(100);
            le();
        }
    }
    ~Simulador() {
        if (processo.state() != QProcess::NotRunning) {
            processo.kill();
            processo.waitForFinished(2000);
        }
    }
    Simulador(const Simulador&) = delete;
    Simulador& operator=(const Simulador&) = delete;

    void comando(const QString& texto) {
        processo.write((texto + QLatin1Char('\n')).toLocal8Bit());
        processo.waitForBytesWritten(1000);
    }

    // Waits (processing events) for a line that starts with `inicio`.
    bool espera(const QString& inicio, int ms = 5000) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            if (tem(inicio)) return true;
            QTest::qWait(5);
        }
        return tem(inicio);
    }
    [[nodiscard]] bool tem(const QString& inicio) const {
        for (const QString& l : linhas)
            if (l.startsWith(inicio)) return true;
        return false;
    }
    [[nodiscard]] QString valor(const QString& inicio) const {
        for (const QString& l : linhas)
            if (l.startsWith(inicio + QLatin1Char(' '))) return l.mid(inicio.size() + 1);
        return {};
    }
    [[nodiscard]] QList<RegistroVisto> registros() const {
        QList<RegistroVisto> r;
        for (const QString& l : linhas) {
            if (!l.startsWith(QLatin1String("REGISTRO "))) continue;
            const qsizetype dois = l.indexOf(QLatin1String(": "));
            const qsizetype seta = l.indexOf(QLatin1String(" -> "));
            r.append({QByteArray::fromHex(l.mid(dois + 2, seta - dois - 2).toLatin1()), l.mid(seta + 4)});
        }
        return r;
    }
    [[nodiscard]] QList<int> indices() const {
        QList<int> r;
        for (const auto& g : registros())
            r << g.indice();
        return r;
    }

    QProcess processo;
    QString caminho;
    QStringList linhas;
    std::function<void(const QString&)> aoLer; // called for every line, as it arrives

  private:
    void le() {
        buffer_ += processo.readAllStandardOutput();
        qsizetype fim;
        while ((fim = buffer_.indexOf('\n')) >= 0) {
            const QString l = QString::fromLocal8Bit(buffer_.left(fim));
            buffer_.remove(0, fim + 1);
            linhas << l;
            if (l.startsWith(QLatin1String("PORTA "))) caminho = l.mid(6);
            if (aoLer) aoLer(l);
        }
    }
    QByteArray buffer_;
};

} // namespace vantora::teste
