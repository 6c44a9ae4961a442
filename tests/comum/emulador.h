#pragma once
// vantora-sim run for a test (link and tools): started with the given options, its
// port path read from its first line ("PORTA /dev/pts/N"), and every line it prints
// kept: records received with their answers, the decoded layout at the end command.
// The test defines VANTORA_SIM, the emulator's path.
//
// The Windows build under Wine runs the Linux emulator, through bash: Wine gives a
// Linux process no pipes to a Windows one, so its output and its commands go through
// files (the output read every few milliseconds); its pseudo-terminal is linked into
// the prefix as COM250 (VANTORA_EXTRA_PORTS="250=COM250" lists it), and file paths are
// translated between the two systems.

#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <functional>
#ifdef Q_OS_WIN
#include "link/portas.h"

#include <QTemporaryDir>
#include <QTimer>
#endif

namespace vantora::teste {

class Emulador {
  public:
#ifndef Q_OS_WIN
    explicit Emulador(const QStringList& argumentos = {}) {
        QObject::connect(&processo, &QProcess::readyReadStandardOutput, [this] { le(); });
        processo.start(QStringLiteral(VANTORA_SIM), argumentos);
        (void)QTest::qWaitFor([this] { return !caminho.isEmpty(); }, 5000);
    }
    ~Emulador() {
        processo.kill();
        processo.waitForFinished(2000);
    }
    // A command on the emulator's standard input ("envia 41 0d", "desliga").
    void comando(const QString& texto) {
        processo.write((texto + QLatin1Char('\n')).toLocal8Bit());
        processo.waitForBytesWritten(1000);
    }
#else
    explicit Emulador(QStringList argumentos = {}) {
        for (QString& a : argumentos) {
            if (a.size() < 3 || a[1] != QLatin1Char(':') || a[2] != QLatin1Char('/')) continue;
            traducoes_.append({unix(a), a});
            a = unix(a);
        }
        comandos_.setFileName(pasta_.filePath(QStringLiteral("comandos")));
        comandos_.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        saida_.setFileName(pasta_.filePath(QStringLiteral("saida")));
        const QString ligacao = qEnvironmentVariable("WINEPREFIX") + QStringLiteral("/dosdevices/com250");
        // The emulator with the commands file as its input, until it ends; its port
        // linked as COM250 once it has printed it. The link an emulator before it left
        // goes first, or the window could find COM250 there and open the old line.
        const QString script = QStringLiteral(
            R"sh(c=$1 s=$2 l=$3; shift 3; rm -f "$l"; "$0" "$@" < <(exec tail -n +1 -f --pid=$$ "$c") > "$s" 2>&1 & p=$!
               until grep -qs '^PORTA ' "$s"; do kill -0 $p || exit 1; sleep 0.02; done
               ln -sfn "$(sed -n 's/^PORTA //p' "$s")" "$l"; wait $p)sh");
        processo.start(QStringLiteral("/bin/bash"),
                       QStringList{QStringLiteral("-c"), script, QStringLiteral(VANTORA_SIM),
                                   unix(comandos_.fileName()), unix(saida_.fileName()), ligacao} +
                           argumentos);
        QObject::connect(&relogio_, &QTimer::timeout, [this] { le(); });
        relogio_.start(2);
        (void)QTest::qWaitFor([this] { return !caminho.isEmpty() && dispositivo_presente(caminho); }, 5000);
    }
    ~Emulador() {
        comando(QStringLiteral("sai")); // Wine cannot kill a Linux process
        processo.waitForFinished(200);
    }
    void comando(const QString& texto) {
        comandos_.write((texto + QLatin1Char('\n')).toLocal8Bit());
    }
#endif
    // Waits, processing events, for a line that starts with `inicio`.
    bool espera(const QString& inicio, int ms = 5000) {
        return QTest::qWaitFor([&] { return tem(inicio); }, ms);
    }
    [[nodiscard]] bool tem(const QString& inicio) const {
        return std::any_of(linhas.begin(), linhas.end(),
                           [&](const QString& l) { return l.startsWith(inicio); });
    }
    // The index byte of every record received, in order, from the lines
    // "REGISTRO n: 91 ii cc cc cc cc -> 5".
    [[nodiscard]] QList<int> indices() const {
        QList<int> r;
        for (const QString& l : linhas.filter(QRegularExpression(QStringLiteral("^REGISTRO "))))
            r << l.mid(l.indexOf(QLatin1String(": ")) + 5, 2).toInt(nullptr, 16);
        return r;
    }

    QProcess processo;
    QString caminho;
    QStringList linhas;
    std::function<void(const QString&)> aoLer; // called for every line as it arrives

  private:
    void le() {
#ifndef Q_OS_WIN
        buffer_ += processo.readAllStandardOutput();
#else
        if (saida_.isOpen() || saida_.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            buffer_ += saida_.readAll();
#endif
        for (qsizetype fim; (fim = buffer_.indexOf('\n')) >= 0;) {
            QString l = QString::fromLocal8Bit(buffer_.left(fim));
            buffer_.remove(0, fim + 1);
#ifdef Q_OS_WIN
            for (const auto& [u, w] : traducoes_)
                l.replace(u, w);
            if (l.startsWith(QLatin1String("PORTA "))) l = QStringLiteral("PORTA COM250");
#endif
            linhas << l;
            if (l.startsWith(QLatin1String("PORTA "))) caminho = l.mid(6);
            if (aoLer) aoLer(l);
        }
    }
#ifdef Q_OS_WIN
    // "C:/users/x" as Linux sees it; a path on Z: is the Linux path itself.
    static QString unix(const QString& caminho) {
        const QString drive = caminho.left(2).toLower();
        return drive == QLatin1String("z:") ? caminho.mid(2)
                                            : qEnvironmentVariable("WINEPREFIX") +
                                                  QStringLiteral("/dosdevices/") + drive + caminho.mid(2);
    }
    QTemporaryDir pasta_;
    QFile comandos_, saida_;
    QTimer relogio_;
    QList<std::pair<QString, QString>> traducoes_; // Linux path, Windows path
#endif
    QByteArray buffer_;
};

} // namespace vantora::teste
