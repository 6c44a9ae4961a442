// A bare Qt Widgets window, built like the configurator, for the start-up and memory
// benchmarks to compare against.
#include "shell/medida.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow janela;
    for (const char* m : {"Novo", "Abrir", "Salvar", "Ativa Captura Serial", "Sair"})
        janela.menuBar()->addAction(QString::fromLatin1(m));
    auto* rotulo = new QLabel(QStringLiteral("janela vazia"), &janela);
    rotulo->setFixedSize(669, 447);
    janela.setCentralWidget(rotulo);
    janela.show();
    vantora::ganchosDeMedida(janela);
    return app.exec();
}
