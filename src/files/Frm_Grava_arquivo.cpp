// The "Abrir" and "Salvar" commands, and the layout file as the window sees it.
#include "shell/Frm_Grava.h"

#include "files/dialogo.h"
#include "files/layout.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

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

void Frm_Grava::mnu_Abrir_Click() {
    trap(QStringLiteral("mnu_Abrir_Click"), [this] {
        Captura_Suspensa = 1;
        // The dialog must receive typing: the filter comes off while it shows and
        // goes back as it was found.
        const bool filtro = captura_instalada();
        Desativa_Captura();
        try {
            Arquivo_Atual = servicos.dialogo->abrir(QStringLiteral("Abri Layout Teclado Ordavi"), FILTRO,
                                                    pasta_dos_dialogos(pasta_arquivos), QString());
        } catch (...) {
            if (filtro) Ativa_Captura();
            throw;
        }
        if (filtro) Ativa_Captura();
        if (Arquivo_Atual.isEmpty()) return;
        pasta_arquivos = pasta_de(Arquivo_Atual);
        Le_Layout();
    });
    Captura_Suspensa = 0;
}

void Frm_Grava::abre_arquivo(const QString& caminho) {
    trap(QStringLiteral("mnu_Abrir_Click"), [this, &caminho] {
        // The form the dialog gives: a full path in the system's notation.
        Arquivo_Atual = QDir::toNativeSeparators(QFileInfo(caminho).absoluteFilePath());
        pasta_arquivos = pasta_de(Arquivo_Atual);
        Le_Layout();
    });
}

void Frm_Grava::mnuSalvar_Click() {
    // On the card-reader page the filter stays off, so that the sentinel boxes keep
    // receiving typing.
    const bool pagina_lcm = aba_atual() == 5;
    trap(QStringLiteral("mnuSalvar_Click"), [this] {
        Desativa_Captura();
        Captura_Suspensa = 1;
        copia_sentinelas();
        Arquivo_Atual = servicos.dialogo->salvar(QStringLiteral("Salvar Layout Teclado Ordavi"), FILTRO,
                                                 pasta_dos_dialogos(pasta_arquivos), QStringLiteral("vantora"));
        if (Arquivo_Atual.isEmpty()) return;
        pasta_arquivos = pasta_de(Arquivo_Atual);
        // Anything of that name counts, hidden files and folders too.
        const QFileInfo info(Arquivo_Atual);
        if (info.exists() || info.isSymLink()) {
            const Resposta r = servicos.mensagens->mostra(
                QStringLiteral("TEM CERTEZA QUE DESEJA SOBRESCREVER O ARQUIVO ") + Arquivo_Atual,
                QStringLiteral("SALVAR ARQUIVO"), Icone::Nenhum, Botoes::SimNao, Resposta::Sim);
            if (r != Resposta::Sim) return;
        }
        Grava_Layout();
    });
    if (!pagina_lcm) Ativa_Captura();
    Captura_Suspensa = 0;
}

void Frm_Grava::Grava_Layout() {
    Layout layout;
    layout.tabelas = codigos.tabelas;
    layout.caixas = {valor_caixa(Chk_Autoriza_prot), valor_caixa(Chk_Prot44serial),
                     valor_caixa(Chk_Prot44serialBNC)};
    // The whole file is composed from the lines it has now and written once.
    PerfilPrivado ini = PerfilPrivado::le_para_gravar(Arquivo_Atual);
    vantora::Grava_Layout(ini, layout);
    ini.salva(Arquivo_Atual);
}

void Frm_Grava::Le_Layout() {
    const PerfilPrivado ini = PerfilPrivado::le_arquivo(Arquivo_Atual);
    Layout layout;
    layout.tabelas = codigos.tabelas;
    const std::array<QCheckBox*, 3> caixas = {Chk_Autoriza_prot, Chk_Prot44serial, Chk_Prot44serialBNC};
    for (int c = 0; c < 3; ++c)
        layout.caixas[c] = valor_caixa(caixas[c]);
    // What the reader set before a failing read stays set, in the window too.
    auto aplica = [&] {
        codigos.tabelas = layout.tabelas;
        for (int c = 0; c < 3; ++c) {
            if (layout.caixas[c] != valor_caixa(caixas[c])) define_caixa(caixas[c], layout.caixas[c]);
        }
    };
    PosicaoLeitura onde;
    bool deste_teclado = false;
    try {
        deste_teclado = vantora::Le_Layout(ini, layout, &onde);
    } catch (ErroExecucao& e) {
        aplica();
        mostra_lido_ate(onde);
        const QString lido = onde.lido_antes();
        e.defineComplemento(
            QStringLiteral("O arquivo foi lido só até a entrada %1, que não pôde ser lida: ")
                .arg(onde.nome()) +
            (lido.isEmpty()
                 ? QStringLiteral("nada dele ficou na janela.")
                 : QStringLiteral("a janela ficou com %1 do arquivo; o resto continua como estava.")
                       .arg(lido)));
        throw;
    } catch (...) {
        aplica();
        mostra_lido_ate(onde);
        throw;
    }
    if (!deste_teclado) {
        servicos.mensagens->informa(mensagemOutroTeclado(), QStringLiteral("Vantora"));
        return;
    }
    aplica();
    mostra_sentinelas();
    Sp_TeclaLBtab[Tecla_Atual]->setBackColor(BRANCO);
    Tecla_Atual = TECLA_NENHUMA;
    seleciona_aba(1);
}

// After a read that stopped part-way the window shows the tables as they now are: the
// captions and tooltips of the table on view, and the sentinel boxes of the entries
// read. The other boxes keep what they show, since Save and the send take the
// sentinels from the boxes. A code no caption can show leaves its key's caption
// empty, its tooltip still giving the value, so that every key is shown.
void Frm_Grava::mostra_lido_ate(const PosicaoLeitura& onde) {
    if (const int t = aba_atual(); t >= 1 && t <= 4) {
        const Tabela& tabela = codigos.tabela(t);
        for (int k = 0; k <= 64; ++k) {
            QString legenda;
            try {
                legenda = legenda_codigo(tabela[k], padroes);
            } catch (const ErroExecucao&) {
            }
            Lbl_TeclaLBtab[k]->setCaption(legenda);
            Lbl_TeclaLBtab[k]->setToolTip(dica_codigo(tabela[k]));
        }
    }
    const auto linhas = linhas_sentinela();
    for (int s = PRIMEIRO_SENTINELA; s <= onde.entrada; ++s) {
        for (int b = 0; b < 4 && (s < onde.entrada || b + 1 < onde.tabela); ++b)
            (*linhas[s - PRIMEIRO_SENTINELA])[b]->setText(texto_sentinela(codigos, s, b));
    }
}

} // namespace vantora
