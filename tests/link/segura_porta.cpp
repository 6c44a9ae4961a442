// Another program holding a serial port: opens the port named on the command line,
// prints "SEGURA" (or "FALHOU"), and keeps it until its standard input closes.
#include <QCoreApplication>
#include <QSerialPort>
#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc < 2) return 2;
    QSerialPort porta(QString::fromLocal8Bit(argv[1]));
    const bool ok = porta.open(QIODevice::ReadWrite);
    std::puts(ok ? "SEGURA" : "FALHOU");
    std::fflush(stdout);
    char c;
    while (::read(STDIN_FILENO, &c, 1) > 0) {
    }
    return ok ? 0 : 1;
}
