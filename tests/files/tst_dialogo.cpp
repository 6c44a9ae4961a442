// The file dialogs of the program: the filter in Qt's form, the ".key" added to a
// name typed without extension, no overwrite question of Qt's own, the folder.
#include "apoio.h"
#include "files/dialogo.h"
#include "files/dialogo_qt.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace vantora;
using namespace vantora::teste;

namespace {

const QString FILTRO = QStringLiteral("laytou teclado Ordavi (*.key)|*.key");

// Answers the next file dialog with `nome` typed in; a message box of Qt's own on
// the way is recorded and refused.
struct Operador {
    QString nome;
    QFileDialog* visto = nullptr;
    QString titulo;
    QStringList filtros;
    QString pasta;
    QString sufixo;
    QFileDialog::FileMode modo = QFileDialog::AnyFile;
    QStringList caixas;
    QTimer timer;
    explicit Operador(const QString& n) : nome(n) {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            QWidget* w = QApplication::activeModalWidget();
            if (auto* caixa = qobject_cast<QMessageBox*>(w)) {
                caixas << caixa->text();
                caixa->reject();
                return;
            }
            auto* d = qobject_cast<QFileDialog*>(w);
            if (d && d == visto) {
                static_cast<QDialog*>(d)->reject(); // still open after our answer: give up
            } else if (d) {
                visto = d;
                titulo = d->windowTitle();
                filtros = d->nameFilters();
                pasta = d->directory().absolutePath();
                sufixo = d->defaultSuffix();
                modo = d->fileMode();
                // Typed into the name box, as the operator does.
                if (auto* e = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                    e->setText(nome);
                else
                    d->selectFile(nome);
                // As the Save button does; from the event loop, so that this timer
                // can still answer a box that the dialog might show.
                QTimer::singleShot(0, d, [d] { static_cast<QDialog*>(d)->accept(); });
            }
        });
        timer.start();
    }
};

class TesteDialogo : public QObject {
    Q_OBJECT
  private slots:
    void filtro_data() {
        QTest::addColumn<QString>("filtro");
        QTest::addColumn<QString>("qt");
        QTest::newRow("o dos layouts") << FILTRO << "laytou teclado Ordavi (*.key)";
        QTest::newRow("sem os padroes no texto") << "Layouts|*.key"
                                                 << "Layouts (*.key)";
        QTest::newRow("dois tipos") << "Layouts|*.key|Todos|*.*"
                                    << "Layouts (*.key);;Todos (*.*)";
        QTest::newRow("dois padroes") << "Textos|*.txt;*.ini"
                                      << "Textos (*.txt *.ini)";
        QTest::newRow("sem padrao") << "Tudo"
                                    << "Tudo (*)";
    }
    void filtro() {
        QFETCH(QString, filtro);
        QFETCH(QString, qt);
        QCOMPARE(filtro_qt(filtro), qt);
    }

    void sufixo() {
        QCOMPARE(sufixo_padrao(FILTRO), QStringLiteral("key"));
        QCOMPARE(sufixo_padrao(QStringLiteral("Todos|*.*")), QString());
        QCOMPARE(sufixo_padrao(QStringLiteral("Todos|*")), QString());
        QCOMPARE(sufixo_padrao(QStringLiteral("Tudo")), QString());
    }

    void pasta() {
        QTemporaryDir dir;
        QCOMPARE(pasta_inicial(dir.path()), QFileInfo(dir.path()).absoluteFilePath());
        const QString documentos = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QCOMPARE(pasta_inicial(dir.filePath("nao-existe")), documentos);
        QCOMPARE(pasta_inicial(QString()), documentos);
        QVERIFY(grava_bytes(dir.filePath("arquivo"), "x"));
        QCOMPARE(pasta_inicial(dir.filePath("arquivo")), documentos);
    }

    // The real save dialog: ".key" added, and an existing name asks nothing.
    void salvar_de_verdade_data() {
        QTest::addColumn<QString>("digitado");
        QTest::addColumn<QString>("esperado");
        QTest::newRow("sem extensao") << "meu"
                                      << "meu.key";
        QTest::newRow("com extensao") << "meu.key"
                                      << "meu.key";
        QTest::newRow("outra extensao") << "meu.txt"
                                        << "meu.txt";
        QTest::newRow("arquivo existente") << "existe"
                                           << "existe.key";
        QTest::newRow("arquivo existente com extensao") << "existe.key"
                                                        << "existe.key";
    }
    void salvar_de_verdade() {
        QFETCH(QString, digitado);
        QFETCH(QString, esperado);
        QTemporaryDir dir;
        QVERIFY(grava_bytes(dir.filePath("existe.key"), "x"));
        DialogoArquivoQt dialogo;
        Operador op(digitado);
        const QString r = dialogo.salvar(QStringLiteral("Salvar Layout Teclado Ordavi"), FILTRO, dir.path(),
                                         QStringLiteral("vantora"));
        QVERIFY(op.visto);
        QCOMPARE(op.caixas, QStringList());
        QCOMPARE(r, QDir::toNativeSeparators(dir.filePath(esperado)));
        QCOMPARE(op.titulo, QStringLiteral("Salvar Layout Teclado Ordavi"));
        QCOMPARE(op.filtros, QStringList{"laytou teclado Ordavi (*.key)"});
        QCOMPARE(op.pasta, QFileInfo(dir.path()).absoluteFilePath());
    }

    void abrir_de_verdade() {
        QTemporaryDir dir;
        QVERIFY(grava_bytes(dir.filePath("a.key"), "x"));
        DialogoArquivoQt dialogo;
        Operador op(QStringLiteral("a.key"));
        const QString r =
            dialogo.abrir(QStringLiteral("Abri Layout Teclado Ordavi"), FILTRO, dir.path(), QString());
        QCOMPARE(r, QDir::toNativeSeparators(dir.filePath("a.key")));
        QCOMPARE(op.titulo, QStringLiteral("Abri Layout Teclado Ordavi"));
        QCOMPARE(op.modo, QFileDialog::ExistingFile);
    }
};

} // namespace

int executa_dialogo(int argc, char** argv) {
    TesteDialogo t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_dialogo.moc"
