#include "files/arquivos.h"

#include "base/armadilha.h"
#include "capture/captura.h"
#include "editor/documento.h"
#include "files/dialogo.h"
#include "files/disco.h"
#include "files/layout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace vantora {
namespace {

const QString FILTRO = QStringLiteral("laytou teclado Ordavi (*.key)|*.key");

// The folder of the layout file opened or saved last while it exists, else the
// first folder.
QString pasta_dos_dialogos(const QString& pasta_arquivos) {
    if (!pasta_arquivos.isEmpty() && QFileInfo(pasta_arquivos).isDir()) return pasta_arquivos;
    return pasta_inicial(QCoreApplication::applicationDirPath());
}

QString pasta_de(const QString& arquivo) {
    return QFileInfo(arquivo).absolutePath();
}

} // namespace

Arquivos::Arquivos(Documento& documento, Captura& captura, Mensagens& mensagens, DialogoArquivo& dialogo,
                   QObject* pai)
    : QObject(pai), documento_(documento), captura_(captura), mensagens_(mensagens), dialogo_(dialogo) {}

template <class F> bool Arquivos::trap(const QString& procedimento, F&& corpo) {
    return armadilha(mensagens_, procedimento, formulario(), std::forward<F>(corpo));
}

void Arquivos::mnuNovo_Click() {
    documento_.novo();
}

void Arquivos::mnu_Abrir_Click() {
    const Captura::Pausa pausa(captura_);
    trap(QStringLiteral("mnu_Abrir_Click"), [this] {
        {
            // The dialog must receive typing: the filter is off while it shows.
            const Captura::Pausa dialogo(captura_, true);
            Arquivo_Atual = dialogo_.abrir(QStringLiteral("Abri Layout Teclado Ordavi"), FILTRO,
                                           pasta_dos_dialogos(pasta_arquivos), QString());
        }
        if (Arquivo_Atual.isEmpty()) return;
        pasta_arquivos = pasta_de(Arquivo_Atual);
        Le_Layout();
    });
}

void Arquivos::abre_arquivo(const QString& caminho) {
    trap(QStringLiteral("mnu_Abrir_Click"), [this, &caminho] {
        // The form the dialog gives: a full path in the system's notation.
        Arquivo_Atual = QDir::toNativeSeparators(QFileInfo(caminho).absoluteFilePath());
        pasta_arquivos = pasta_de(Arquivo_Atual);
        Le_Layout();
    });
}

void Arquivos::mnuSalvar_Click() {
    // The filter is off until the message that may end Save has been answered.
    const Captura::Pausa pausa(captura_, true);
    trap(QStringLiteral("mnuSalvar_Click"), [this] {
        documento_.copia_sentinelas();
        Arquivo_Atual = dialogo_.salvar(QStringLiteral("Salvar Layout Teclado Ordavi"), FILTRO,
                                        pasta_dos_dialogos(pasta_arquivos), QStringLiteral("vantora"));
        if (Arquivo_Atual.isEmpty()) return;
        pasta_arquivos = pasta_de(Arquivo_Atual);
        // Anything of that name counts, hidden files and folders too.
        const QFileInfo info(Arquivo_Atual);
        if (info.exists() || info.isSymLink()) {
            const Resposta r = mensagens_.mostra(
                QStringLiteral("TEM CERTEZA QUE DESEJA SOBRESCREVER O ARQUIVO ") + Arquivo_Atual,
                QStringLiteral("SALVAR ARQUIVO"), Icone::Nenhum, Botoes::SimNao, Resposta::Sim);
            if (r != Resposta::Sim) return;
        }
        Grava_Layout();
    });
}

void Arquivos::Grava_Layout() {
    // The whole file is composed from the lines it has now and written once.
    PerfilPrivado ini = le_para_gravar(Arquivo_Atual);
    vantora::Grava_Layout(ini, documento_.layout());
    salva(ini, Arquivo_Atual);
}

void Arquivos::Le_Layout() {
    if (!abre_layout(le_arquivo(Arquivo_Atual), documento_))
        mensagens_.informa(QString::fromStdString(mensagemOutroTeclado()), QStringLiteral("Vantora"));
}

} // namespace vantora
