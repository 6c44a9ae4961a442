#pragma once
#include "base/mensagens.h"

class QWidget;

namespace vantora {

// Message boxes shown with QMessageBox.
class MensagensQt final : public Mensagens {
  public:
    explicit MensagensQt(QWidget* pai = nullptr) : pai_(pai) {}
    void definePai(QWidget* pai) { pai_ = pai; }
    Resposta mostra(const QString& texto, const QString& titulo, Icone icone, Botoes botoes,
                    Resposta padrao) override;

  private:
    QWidget* pai_;
};

} // namespace vantora
