#pragma once
// The file dialogs of the program: Qt's own.

#include "files/dialogo.h"

class QWidget;

namespace vantora {

class DialogoArquivoQt : public DialogoArquivo {
  public:
    void definePai(QWidget* pai) { pai_ = pai; }
    [[nodiscard]] QString abrir(const QString& titulo, const QString& filtro, const QString& pasta,
                                const QString& nome) override;
    [[nodiscard]] QString salvar(const QString& titulo, const QString& filtro, const QString& pasta,
                                 const QString& nome) override;

  private:
    QWidget* pai_ = nullptr;
};

} // namespace vantora
