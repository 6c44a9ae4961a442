// Runs the test classes of the layout-file subsystem in one executable.
#include <QApplication>
#include <QTest>

int executa_ini(int argc, char** argv);
int executa_layout(int argc, char** argv);
int executa_comandos(int argc, char** argv);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int falhas = 0;
    falhas += executa_ini(argc, argv);
    falhas += executa_layout(argc, argv);
    falhas += executa_comandos(argc, argv);
    return falhas == 0 ? 0 : 1;
}
