#pragma once
// Stand-ins for the window's seams, shared by the window tests.

#include "base/configuracao.h"
#include "base/mensagens.h"
#include "capture/captura.h"
#include "capture/travas.h" // capture
#include "catalogue/teclado_pc.h"
#include "editor/documento.h"
#include "editor/editor.h"
#include "files/arquivos.h"
#include "files/dialogo.h"
#include "link/ligacao.h"
#include "link/portas.h"
#include "shell/Frm_Grava.h"

#include <QBuffer>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMap>
#include <QStringList>
#include <QTabWidget>
#include <atomic>
#include <functional>
#include <memory>

namespace vantora::teste {

struct MensagemVista {
    QString texto, titulo;
    Icone icone;
    Botoes botoes;
    Resposta padrao;
};

// Records every box shown; questions are answered from `respostas` (Sim when empty).
class MensagensFalsas : public Mensagens {
  public:
    Resposta mostra(const QString& texto, const QString& titulo, Icone icone, Botoes botoes,
                    Resposta padrao) override {
        vistas.push_back({texto, titulo, icone, botoes, padrao});
        if (botoes == Botoes::Ok) return Resposta::Ok;
        return respostas.isEmpty() ? Resposta::Sim : respostas.takeFirst();
    }
    [[nodiscard]] QStringList textos() const {
        QStringList l;
        for (const auto& v : vistas)
            l << v.texto;
        return l;
    }
    [[nodiscard]] QString ultima() const { return vistas.empty() ? QString() : vistas.back().texto; }
    std::vector<MensagemVista> vistas;
    QList<Resposta> respostas;
};

class ConfiguracaoFalsa : public ConfiguracaoUsuario {
  public:
    QString le(const QString& secao, const QString& chave, const QString& padrao) override {
        if (falha) throw ErroExecucao(falha);
        return valores.value(secao + QLatin1Char('/') + chave, padrao);
    }
    void grava(const QString& secao, const QString& chave, const QString& valor) override {
        valores[secao + QLatin1Char('/') + chave] = valor;
    }
    QMap<QString, QString> valores;
    int falha = 0; // error number a read raises, 0 for none
};

// --- Link (src/link): a device inventory and a port opener under the test's control ---
class InventarioFalso : public InventarioPortas {
  public:
    QList<DispositivoSerial> lista() override {
        ++listas;
        if (falha) throw ErroExecucao(falha);
        return dispositivos;
    }
    QStringList avisos() const override { return avisosDaLista; }
    QList<DispositivoSerial> dispositivos;
    QStringList avisosDaLista;
    int falha = 0;               // error number the list raises, 0 for none
    std::atomic<int> listas = 0; // lists given (the port watch asks from its own thread)
};

// Opens an in-memory device (or fails with `erro`), and counts the openings.
class AberturaFalsa : public AberturaPortas {
  public:
    std::unique_ptr<QIODevice> abre(int numero, const ParametrosSerial& parametros) override {
        if (erro) throw ErroExecucao(erro);
        aberturas << QStringLiteral("%1 %2").arg(numero).arg(parametros.velocidade);
        auto b = std::make_unique<QBuffer>();
        b->open(QIODevice::ReadWrite);
        return b;
    }
    QStringList aberturas; // "COM number, speed" of each
    int erro = 0;
};

// --- capture: the lock-key state, answered from a table of key states (bit 0
// toggled, bit 15 held) ---
class TravasFalsas : public EstadoTeclado {
  public:
    std::int16_t GetKeyState(int teclaVirtual) override { return estados.value(teclaVirtual, 0); }
    QMap<int, std::int16_t> estados;
};

// --- files: answers the Open and Save dialogs from `respostas` (cancel when empty),
// calling `aoMostrar` as each shows ---
class DialogoArquivoFalso : public DialogoArquivo {
  public:
    QString abrir(const QString&, const QString&, const QString&, const QString&) override {
        return responde();
    }
    QString salvar(const QString&, const QString&, const QString&, const QString&) override {
        return responde();
    }
    QStringList respostas;
    std::function<void()> aoMostrar;

  private:
    QString responde() {
        if (aoMostrar) aoMostrar();
        return respostas.isEmpty() ? QString() : respostas.takeFirst();
    }
};

// A file's bytes, or a text naming the file when it cannot be read.
inline QByteArray le_bytes(const QString& caminho) {
    QFile f(caminho);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<sem arquivo ") + caminho.toUtf8() + '>';
    return f.readAll();
}

// The number and description of the error `f` raises; 0 and nothing when it raises none.
template <typename F> std::pair<int, QString> erro_de(F f) {
    try {
        f();
    } catch (const ErroExecucao& e) {
        return {e.numero(), QString::fromStdString(e.descricao())};
    }
    return {0, {}};
}

// The trap's box for error 13 in a procedure of the window.
inline QString erro_em(const QString& proc) {
    return QStringLiteral("Error 13 (Tipos incompatíveis) in procedure %1 of Formulário Frm_Grava").arg(proc);
}

// A window with stand-in seams, loaded as at start-up. `prepara` runs before the
// window is made: it may put other seams into `servicos` or set what start-up reads.
struct JanelaDeTeste {
    MensagensFalsas mensagens;
    ConfiguracaoFalsa configuracao;
    DialogoArquivoFalso dialogo; // files
    InventarioFalso inventario;  // link
    AberturaFalsa portas;
    SinalPortas sinal_portas; // emitted for an adapter plugged in or pulled out
    Servicos servicos{&mensagens, &configuracao, &inventario, &portas, &sinal_portas, nullptr, &dialogo};
    std::unique_ptr<Frm_Grava> janela;
    // Its document and controllers.
    Documento* doc = nullptr;
    TecladoPC* pc = nullptr;
    Editor* ed = nullptr;
    Captura* cap = nullptr;
    Arquivos* arq = nullptr;
    Ligacao* lig = nullptr;

    explicit JanelaDeTeste(const std::function<void(JanelaDeTeste&)>& prepara = {}, bool carregar = true) {
        if (prepara) prepara(*this);
        janela = std::make_unique<Frm_Grava>(servicos);
        doc = &janela->documento();
        pc = &janela->teclado_pc();
        ed = &janela->editor();
        cap = &janela->captura();
        arq = &janela->arquivos();
        lig = &janela->ligacao();
        if (carregar) janela->Form_Load();
    }
    Frm_Grava* operator->() const { return janela.get(); }

    // A control of the window by its name (the controllers keep theirs to themselves).
    template <class T = QWidget> T* controle(const QString& nome) const {
        T* c = janela->findChild<T*>(nome);
        if (!c) qFatal("sem o controle %s", qPrintable(nome));
        return c;
    }
    // The programmable key k's caption and background, the sentinel box of row
    // `linha` (LINHAS_SENTINELA) for table caixa + 1, option box i (OPCOES_LAYOUT).
    Rotulo* tecla(int k) const { return controle<Rotulo>(indexado("Lbl_TeclaLBtab", k)); }
    Forma* fundo(int k) const { return controle<Forma>(indexado("Sp_TeclaLBtab", k)); }
    QLineEdit* sentinela(int linha, int caixa) const {
        return controle<QLineEdit>(indexado(LINHAS_SENTINELA.at(std::size_t(linha)).controle, caixa));
    }
    QCheckBox* opcao(int i) const {
        return controle<QCheckBox>(QString::fromLatin1(OPCOES_LAYOUT.at(std::size_t(i)).controle));
    }
    QTabWidget* abas() const { return controle<QTabWidget>(QStringLiteral("TabStrip")); }
    // Code `codigo` put straight into slot `slot` of table `tabela`, as a file would.
    void poe_codigo(int tabela, int slot, int codigo) const {
        Layout l = doc->layout();
        l.tabela(tabela)[std::size_t(slot)] = static_cast<std::int16_t>(codigo);
        doc->define_layout(l);
    }
};

// The texts of the sentinel boxes, row by row.
inline QStringList textos_sentinela(const JanelaDeTeste& j) {
    QStringList l;
    for (int i = 0; i < QTD_SENTINELAS; ++i)
        for (int b = 0; b < QTD_TABELAS; ++b)
            l << j.sentinela(i, b)->text();
    return l;
}

} // namespace vantora::teste
