#pragma once
// The "Novo", "Abrir" and "Salvar" commands: the layout file as the window sees it,
// read into the document and written from it, with capture held off while a dialog is up.

#include "base/mensagens.h"

#include <QObject>
#include <QString>

namespace vantora {

class Captura;
class DialogoArquivo;
class Documento;

class Arquivos : public QObject {
    Q_OBJECT
  public:
    Arquivos(Documento& documento, Captura& captura, Mensagens& mensagens, DialogoArquivo& dialogo,
             QObject* pai = nullptr);

    // New asks nothing: the tables and sentinel boxes empty, key 0 and table 1.
    void mnuNovo_Click();
    void mnu_Abrir_Click();
    void mnuSalvar_Click();
    // Opens a layout file named at start ("vantora-config FILE", a file manager's
    // "Open with") as "Abrir" opens the file chosen, with the same messages.
    void abre_arquivo(const QString& caminho);
    // Reads the layout file Arquivo_Atual into the document; writes the document's layout into it.
    void Le_Layout();
    void Grava_Layout();

    QString Arquivo_Atual;
    // Folder of the layout file opened or saved last in this run, where the Open and
    // Save dialogs start; empty before the first.
    QString pasta_arquivos;

  private:
    template <class F> bool trap(const QString& procedimento, F&& corpo);

    Documento& documento_;
    Captura& captura_;
    Mensagens& mensagens_;
    DialogoArquivo& dialogo_;
};

} // namespace vantora
