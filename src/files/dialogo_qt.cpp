#include "dialogo_qt.h"

#include <QDir>
#include <QFileDialog>

namespace vantora {
namespace {

QString mostra(QWidget* pai, bool salvar, const QString& titulo, const QString& filtro, const QString& pasta,
               const QString& nome) {
    QFileDialog dialogo(pai, titulo, pasta);
    dialogo.setNameFilter(filtro_qt(filtro));
    if (salvar) {
        dialogo.setAcceptMode(QFileDialog::AcceptSave);
        dialogo.setFileMode(QFileDialog::AnyFile);
        // The window asks its own overwrite question.
        dialogo.setOption(QFileDialog::DontConfirmOverwrite);
        // A name typed without an extension is a layout: "meu" saves as "meu.key".
        dialogo.setDefaultSuffix(sufixo_padrao(filtro));
    } else {
        dialogo.setAcceptMode(QFileDialog::AcceptOpen);
        dialogo.setFileMode(QFileDialog::ExistingFile);
    }
    if (!nome.isEmpty()) dialogo.selectFile(nome);
    if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty()) return {};
    return QDir::toNativeSeparators(dialogo.selectedFiles().constFirst());
}

} // namespace

QString DialogoArquivoQt::abrir(const QString& titulo, const QString& filtro, const QString& pasta,
                                const QString& nome) {
    return mostra(pai_, false, titulo, filtro, pasta, nome);
}

QString DialogoArquivoQt::salvar(const QString& titulo, const QString& filtro, const QString& pasta,
                                 const QString& nome) {
    return mostra(pai_, true, titulo, filtro, pasta, nome);
}

} // namespace vantora
