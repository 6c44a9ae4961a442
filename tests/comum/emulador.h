#pragma once
// vantora-sim run for a test (link and tools): started with the given options, its
// port path read from its first line ("PORTA /dev/pts/N"), and every line it prints
// kept: records received with their answers, the decoded layout at the end command.
// The test defines VANTORA_SIM, the emulator's path.

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QTest>
#include <functional>

namespace vantora::teste {

class Emulador {
  public:
    explicit Emulador(const QStringList& argumentos = {}) {
        QObject::connect(&processo, &QProcess::readyReadStandardOutput, [this] { le(); });
        processo.start(QStringLiteral(VANTORA_SIM), argumentos);
        QElapsedTimer t;
        t.start();
        while (processo.waitForStarted(5000) && caminho.isEmpty() && t.elapsed() < 5000)
            if (processo.waitForReadyRead(100)) le();
    }
    ~Emulador() {
        processo.kill();
        processo.waitForFinished(2000);
    }
    Emulador(const Emulador&) = delete;
    Emulador& operator=(const Emulador&) = delete;

    // A command on the emulator's standard input ("envia 41 0d", "desliga").
    void comando(const QString& texto) {
        processo.write((texto + QLatin1Char('\n')).toLocal8Bit());
        processo.waitForBytesWritten(1000);
    }
    // Waits, processing events, for a line that starts with `inicio`.
    bool espera(const QString& inicio, int ms = 5000) {
        QElapsedTimer t;
        t.start();
        while (!tem(inicio) && t.elapsed() < ms)
            QTest::qWait(5);
        return tem(inicio);
    }
    [[nodiscard]] QStringList comecando(const QString& inicio) const {
        QStringList r;
        for (const QString& l : linhas)
            if (l.startsWith(inicio)) r << l;
        return r;
    }
    [[nodiscard]] bool tem(const QString& inicio) const { return !comecando(inicio).isEmpty(); }
    // What follows "NOME " on the first line so named ("BYTES 433" gives "433").
    [[nodiscard]] QString valor(const QString& nome) const {
        const QStringList l = comecando(nome + QLatin1Char(' '));
        return l.isEmpty() ? QString() : l.first().mid(nome.size() + 1);
    }
    // The index byte of every record received, in order, from the lines
    // "REGISTRO n: 91 ii cc cc cc cc -> 5".
    [[nodiscard]] QList<int> indices() const {
        QList<int> r;
        for (const QString& l : comecando(QStringLiteral("REGISTRO ")))
            r << l.mid(l.indexOf(QLatin1String(": ")) + 5, 2).toInt(nullptr, 16);
        return r;
    }

    QProcess processo;
    QString caminho;
    QStringList linhas;
    std::function<void(const QString&)> aoLer; // called for every line as it arrives

  private:
    void le() {
        buffer_ += processo.readAllStandardOutput();
        for (qsizetype fim; (fim = buffer_.indexOf('\n')) >= 0;) {
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
