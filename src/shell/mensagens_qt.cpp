#include "mensagens_qt.h"

#include "base/erro.h"

#include <QMessageBox>
#include <QPushButton>

namespace vantora {

Resposta MensagensQt::mostra(const QString& texto, const QString& titulo, Icone icone, Botoes botoes,
                             Resposta padrao) {
    QMessageBox caixa(pai_);
    caixa.setWindowTitle(titulo.isEmpty() ? tituloAplicacao() : titulo);
    caixa.setText(texto);
    switch (icone) {
    case Icone::Nenhum:
        caixa.setIcon(QMessageBox::NoIcon);
        break;
    case Icone::Informacao:
        caixa.setIcon(QMessageBox::Information);
        break;
    case Icone::Exclamacao:
        caixa.setIcon(QMessageBox::Warning);
        break;
    case Icone::Pergunta:
        caixa.setIcon(QMessageBox::Question);
        break;
    }
    if (botoes == Botoes::SimNao) {
        QPushButton* sim = caixa.addButton(QStringLiteral("&Sim"), QMessageBox::YesRole);
        QPushButton* nao = caixa.addButton(QStringLiteral("&Não"), QMessageBox::NoRole);
        caixa.setDefaultButton(padrao == Resposta::Nao ? nao : sim);
        caixa.setEscapeButton(nao);
        caixa.exec();
        return caixa.clickedButton() == sim ? Resposta::Sim : Resposta::Nao;
    }
    caixa.addButton(QMessageBox::Ok);
    caixa.exec();
    return Resposta::Ok;
}

} // namespace vantora
