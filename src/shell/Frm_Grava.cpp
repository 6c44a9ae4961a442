#include "Frm_Grava.h"

#include "base/armadilha.h"
#include "base/configuracao.h"
#include "capture/captura.h"
#include "catalogue/teclado_pc.h"
#include "editor/documento.h"
#include "editor/editor.h"
#include "files/arquivos.h"
#include "files/dialogo_qt.h"
#include "link/ligacao.h"
#include "shell/mensagens_qt.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QSaveFile>

namespace vantora {
namespace {

// Client area of the window, in twips.
constexpr int LARGURA_JANELA = 10035;
constexpr int ALTURA_JANELA = 6705;

// The platform's own seams, for those not given.
struct Proprios {
    std::unique_ptr<MensagensQt> mensagens;
    std::unique_ptr<ConfiguracaoUsuario> configuracao;
    std::unique_ptr<InventarioPortas> inventario;
    std::unique_ptr<AberturaPortasQt> portas;
    std::unique_ptr<SinalPortas> sinal_portas;
    std::unique_ptr<DialogoArquivoQt> dialogo;

    Servicos completa(Servicos s, QWidget* janela) {
        auto falta = [](auto*& seam, auto& proprio, auto cria) {
            if (!seam) seam = (proprio = cria()).get();
        };
        falta(s.mensagens, mensagens, [janela] { return std::make_unique<MensagensQt>(janela); });
        // The setting is kept under the application name (the executable's, given by main).
        falta(s.configuracao, configuracao,
              [] { return criaConfiguracaoSistema(QCoreApplication::applicationName()); });
        falta(s.inventario, inventario, [] { return criaInventarioSistema(); });
        falta(s.portas, portas, [&s] { return std::make_unique<AberturaPortasQt>(*s.inventario); });
        falta(s.sinal_portas, sinal_portas, [] { return criaSinalPortasSistema(); });
        falta(s.dialogo, dialogo, [janela] {
            auto d = std::make_unique<DialogoArquivoQt>();
            d->definePai(janela);
            return d;
        });
        return s;
    }
};

} // namespace

struct Frm_Grava::Partes {
    Partes(Frm_Grava& j, const Servicos& s)
        : servicos(proprios.completa(s, &j)), teclado(&j),
          editor(documento, teclado, *servicos.mensagens, &j),
          captura(j, teclado, documento, *servicos.mensagens, servicos.travas, &j),
          arquivos(documento, captura, *servicos.mensagens, *servicos.dialogo, &j),
          ligacao(documento, captura, *servicos.mensagens, *servicos.configuracao, *servicos.inventario,
                  *servicos.portas, &j) {}
    Proprios proprios;
    Servicos servicos;
    Documento documento;
    TecladoPC teclado;
    Editor editor;
    Captura captura;
    Arquivos arquivos;
    Ligacao ligacao;
    Menu menu;
    std::vector<std::pair<QAction*, bool>> menu_antes; // as the exchange found them
    bool descarregada = false;
    QString relatorio_anterior; // last test-only report written
};

Frm_Grava::Frm_Grava(const Servicos& s, QWidget* pai) : QMainWindow(pai) {
    setObjectName(QStringLiteral("Frm_Grava"));
    setWindowTitle(QStringLiteral("Corvalo USB/Serial"));
    setFont(fonteBase());
    p_ = std::make_unique<Partes>(*this, s);

    auto adiciona = [this](QAction*& acao, const QString& nome, const QString& texto, auto handler) {
        acao = menuBar()->addAction(texto);
        acao->setObjectName(nome);
        connect(acao, &QAction::triggered, this, handler);
    };
    Menu& m = p_->menu;
    adiciona(m.mnuNovo, QStringLiteral("mnuNovo"), QStringLiteral("Novo"),
             [this] { p_->arquivos.mnuNovo_Click(); });
    adiciona(m.mnu_Abrir, QStringLiteral("mnu_Abrir"), QStringLiteral("Abrir"),
             [this] { p_->arquivos.mnu_Abrir_Click(); });
    adiciona(m.mnuSalvar, QStringLiteral("mnuSalvar"), QStringLiteral("Salvar"),
             [this] { p_->arquivos.mnuSalvar_Click(); });
    adiciona(m.mnu_ativa_serial, QStringLiteral("mnu_ativa_serial"), QStringLiteral("Ativa Captura Serial"),
             [this] { p_->ligacao.mnu_ativa_serial_Click(); });
    adiciona(m.mnuSair, QStringLiteral("mnuSair"), QStringLiteral("Sair"), [this] { mnuSair_Click(); });

    auto* area = new QWidget(this);
    area->setObjectName(QStringLiteral("area_cliente"));
    area->setFixedSize(px(LARGURA_JANELA), px(ALTURA_JANELA));
    setCentralWidget(area);

    // Made in this order, which is also the order the Tab key follows.
    p_->editor.monta(area);
    p_->ligacao.monta(area);
    forma(area, indexado("Shape", 0), 6975, 1110, 3030, 1485);
    rotulo(area, QStringLiteral("Lbl_atencao"),
           QStringLiteral("Utilize o teclado abaixo ou o teclado ABNT de seu computador para definir "
                          "as teclas de seu Vantora."),
           7050, 1170, 2895, 615);
    rotulo(area, QStringLiteral("Lbl_atencao1"),
           QStringLiteral("Para gerar duplo ou triplo zeros ou mais de um código em uma tecla, defina "
                          "um código em cada tabela, é possivel gerar até 4 códigos em uma tecla."),
           7020, 1785, 2985, 795);
    p_->editor.monta_opcoes(area);
    p_->teclado.monta(area);
    p_->captura.monta(area);
    setFixedSize(sizeHint());

    connect(&p_->ligacao, &Ligacao::envio, this, [this](bool em_curso) {
        if (em_curso)
            p_->editor.para_pisca();
        else
            p_->editor.retoma_pisca();
    });
    connect(&p_->editor, &Editor::piscou, &p_->captura, &Captura::Atualiza_Leds);
    connect(&p_->captura, &Captura::estado_mudou, this, &Frm_Grava::relata_estado);
    // No file or capture command starts inside an exchange; each comes back as it was.
    connect(&p_->ligacao, &Ligacao::gravacao, this, [this](bool em_curso) {
        auto& antes = p_->menu_antes;
        const Menu& m = p_->menu;
        if (em_curso) {
            antes.clear();
            for (QAction* a : {m.mnu_Abrir, m.mnuSalvar, m.mnuNovo, m.mnu_ativa_serial}) {
                antes.emplace_back(a, a->isEnabled());
                a->setEnabled(false);
            }
        } else {
            for (const auto& [a, habilitada] : antes)
                a->setEnabled(habilitada);
        }
    });
}

Frm_Grava::~Frm_Grava() = default;

Documento& Frm_Grava::documento() {
    return p_->documento;
}
TecladoPC& Frm_Grava::teclado_pc() {
    return p_->teclado;
}
Editor& Frm_Grava::editor() {
    return p_->editor;
}
Captura& Frm_Grava::captura() {
    return p_->captura;
}
Arquivos& Frm_Grava::arquivos() {
    return p_->arquivos;
}
Ligacao& Frm_Grava::ligacao() {
    return p_->ligacao;
}
const Frm_Grava::Menu& Frm_Grava::menu() const {
    return p_->menu;
}

bool Frm_Grava::Form_Load() {
    const bool ok = armadilha(*p_->servicos.mensagens, QStringLiteral("Form_Load"), formulario(), [this] {
        p_->documento.inicia();
        p_->teclado.Carrega_Padroes();
        p_->documento.limpa_tabelas();
        p_->ligacao.inicia();
        p_->editor.retoma_pisca();
        p_->captura.liga();
        p_->ligacao.vigia(p_->servicos.sinal_portas);
    });
    if (!ok) close();
    return ok;
}

void Frm_Grava::Form_Unload() {
    if (p_->descarregada) return;
    p_->descarregada = true;
    p_->ligacao.encerra_gravacao(); // an exchange under way stops, silently
    p_->captura.desliga();
    p_->editor.para_pisca();
}

void Frm_Grava::closeEvent(QCloseEvent* e) {
    Form_Unload();
    e->accept();
}

void Frm_Grava::mnuSair_Click() {
    close();
}

void Frm_Grava::relata_estado() {
    static const QString caminho = qEnvironmentVariable("VANTORA_RELATORIO");
    if (caminho.isEmpty()) return;
    const Documento& doc = p_->documento;
    QString t;
    t += QStringLiteral("Tecla_Atual=%1\n").arg(doc.tecla());
    t += QStringLiteral("Tecla_PC_Atual=%1\n").arg(doc.tecla_pc());
    t += QStringLiteral("Txt_dado=%1\n").arg(findChild<QLineEdit*>(QStringLiteral("Txt_dado"))->text());
    t += QStringLiteral("Captura=%1\n").arg(p_->captura.captura_instalada() ? 1 : 0);
    t += QStringLiteral("Porta=%1\n")
             .arg(findChild<QComboBox*>(QStringLiteral("cmbserialterm"))->currentText());
    const auto lampadas = p_->captura.lampadas();
    t += QStringLiteral("Leds=%1%2%3\n").arg(int(lampadas[0])).arg(int(lampadas[1])).arg(int(lampadas[2]));
    const auto* caixa = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    t += QStringLiteral("Caixa=%1\n").arg(caixa ? caixa->text() : QString());
    const Tabela& tab1 = doc.layout().tabela(1);
    for (int k = 0; k < QTD_TECLAS; ++k)
        t += QStringLiteral("Tab1 %1 %2 %3\n")
                 .arg(k)
                 .arg(tab1[std::size_t(k)])
                 .arg(findChild<Rotulo*>(indexado("Lbl_TeclaLBtab", k))->caption());
    if (t == p_->relatorio_anterior) return;
    QSaveFile arquivo(caminho);
    if (arquivo.open(QIODevice::WriteOnly) && arquivo.write(t.toUtf8()) >= 0 && arquivo.commit())
        p_->relatorio_anterior = t;
}

} // namespace vantora
