#pragma once
// The main window Frm_Grava, "Corvalo USB/Serial": the programmable keyboard image
// with its four code tables and the card-reader page, the on-screen PC keyboard,
// the lock lamps, the layout-file commands and the serial link.
//
// The handlers keep the program's own names. Their bodies live with their
// subsystem: src/editor (tables, selection, assignment, models, New), src/catalogue
// (the on-screen keyboard layout pass), src/capture (keyboard filter, lamps),
// src/files (Open, Save), src/link (ports, exchange, serial capture).

#include "catalogue/catalogo.h"
#include "editor/tabelas.h"
#include "link/portas.h"
#include "link/vigia_portas.h"
#include "base/armadilha.h"
#include "shell/controles.h"
#include "shell/servicos.h"

#include <QMainWindow>
#include <array>
#include <cstdint>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTimer;

namespace vantora {

class MDL_Keyboard; // capture: the keyboard filter module
struct PosicaoLeitura; // files: where the layout reader stopped

class Frm_Grava : public QMainWindow {
    Q_OBJECT
public:
    explicit Frm_Grava(const Servicos& servicos, QWidget* pai = nullptr);
    ~Frm_Grava() override;

    // Start-up; false when it failed (its message has been shown and the window is
    // to be closed, which ends the program).
    bool Form_Load();
    void Form_Unload();

    // Runs `corpo` under this window's error trap for procedure `procedimento`:
    // a run-time error shows "Error N (...) in procedure P of Formulário Frm_Grava".
    template <class F>
    bool trap(const QString& procedimento, F&& corpo) {
        return armadilha(*servicos.mensagens, procedimento, formulario(), std::forward<F>(corpo));
    }

    // --- Editor: tables, selection, assignment (src/editor) ---
    void limpa_tabelas();
    void mostra_tabela(int tabela);
    void atualiza_teclas(const Tabela& tabela);
    void Lbl_TeclaLBtab_Click(int Index);
    void TabStrip_Click();
    void Tmr_POSICAO_Timer();
    void Lbl_TeclaLB_Click(int Index);
    void Lbl_TeclaLBnula_Click();
    void insere_tecla(int tecla, int indice);
    void insere_codigo(int Dado);
    void Chk_Tec44_Click();
    void mnuNovo_Click();
    void mnuSair_Click();
    // Selects tab n of the tab strip; its handler runs also when n is already on view.
    void seleciona_aba(int n);
    // Number of the selected tab, 1..5.
    [[nodiscard]] int aba_atual() const;
    // The sentinel display rule over the 24 boxes.
    void mostra_sentinelas();
    // Copies the 24 sentinel boxes into slots 66..71 (whole-number conversion; the
    // first box that holds no number stops the copy with error 13).
    void copia_sentinelas();

    // --- Catalogue: fills the catalogue and lays out the on-screen keyboard ---
    void Carrega_Padroes();

    // --- Capture (src/capture) ---
    void Ativa_Captura();
    void Desativa_Captura();
    [[nodiscard]] bool captura_instalada() const;
    // Looks a PC-key identifier up and dispatches it: assignment, the answer cell
    // while capture is suspended, or Txt_dado for a key outside the catalogue.
    void Localiza_TeclaPC(const QString& identificador);
    void Atualiza_Leds();
    // The keyboard filter module of this window (a child, made on first use).
    MDL_Keyboard& Modulo_Teclado();
    // The lock-key state: servicos.travas, or the platform's own when none was given.
    EstadoTeclado& estado_teclado();
    // Test-only report: with VANTORA_RELATORIO=path in the environment, writes the
    // selection, table 1, Txt_dado, the port box, the lamps and an open message box to that file
    // whenever they change (read by the real-keystroke test). Nothing otherwise.
    void relata_estado();

    // --- Files (src/files) ---
    void mnu_Abrir_Click();
    void mnuSalvar_Click();
    // Opens a layout file named at start ("vantora-config FILE", a file manager's
    // "Open with") as "Abrir" opens the file chosen, with the same messages.
    void abre_arquivo(const QString& caminho);
    // Reads the layout file Arquivo_Atual into the tables and option boxes and
    // refreshes the window; writes them into it.
    void Le_Layout();
    void Grava_Layout();
    // After a read that stopped at `onde`: the captions, tooltips and sentinel boxes
    // show what the tables now hold.
    void mostra_lido_ate(const PosicaoLeitura& onde);

    // --- Link (src/link) ---
    // so_avisos_novos: the port watch's refill, which repeats no message already shown.
    void ListaPortasCbserial(bool so_avisos_novos = false);
    void Lbl_Atualiza_Click();
    // Puts the port last opened (the per-user setting "Sistema"/"Serial", "1" when
    // there is none) into the port box as typed text, no item selected.
    void poe_porta_guardada();
    void Cmd_Grava_Teclado_Click();
    void mnu_ativa_serial_Click();

    // --- State shared by the subsystems ---
    Catalogo padroes;
    Layout codigos;
    std::int16_t Tecla_Atual = 0;
    std::int16_t Tecla_PC_Atual = 0;
    std::int16_t Fase_Pisca = 0;
    std::int16_t Captura_Suspensa = 0;
    std::int16_t Resposta_Teclado = 0;
    QString Arquivo_Atual;
    // Folder of the layout file opened or saved last in this run, where the Open and
    // Save dialogs start; empty before the first.
    QString pasta_arquivos;

    // --- Controls (object names equal the control names) ---
    QAction* mnuNovo = nullptr;
    QAction* mnu_Abrir = nullptr;
    QAction* mnuSalvar = nullptr;
    QAction* mnu_ativa_serial = nullptr;
    QAction* mnuSair = nullptr;

    QTabWidget* TabStrip = nullptr;
    std::array<QFrame*, 3> Frame{};
    Rotulo* Lbl_tab = nullptr;
    QCheckBox* Chk_Tec44 = nullptr;
    QGroupBox* Frm_Envia = nullptr;
    QProgressBar* PBar = nullptr;
    std::array<Rotulo*, 66> Lbl_TeclaLBtab{};
    std::array<Forma*, 66> Sp_TeclaLBtab{};

    std::array<Rotulo*, 10> Label1{}; // 0 "Num"; 1..9 on the card-reader page
    std::array<Forma*, 3> Shape{};    // 0 around the instructions; 1, 2 on the card-reader page
    std::array<QLineEdit*, 4> Txt_Inicial{};
    std::array<QLineEdit*, 4> Txt_Final{};
    std::array<QLineEdit*, 4> Txt_lcmErro{};
    std::array<QLineEdit*, 4> Txt_InicialT3{};
    std::array<QLineEdit*, 4> Txt_FinalT3{};
    std::array<QLineEdit*, 4> Txt_lcmErroT3{};

    QPushButton* Cmd_Grava_Teclado = nullptr;
    QString Cmd_Grava_Teclado_Tag = QStringLiteral("0");
    Rotulo* Label9 = nullptr;
    QComboBox* cmbserialterm = nullptr;
    Rotulo* Lbl_Atualiza = nullptr;
    Forma* Shp_Captura_serial = nullptr;
    std::array<QRadioButton*, 2> Opt_9600{};
    Rotulo* Lbl_atencao = nullptr;
    Rotulo* Lbl_atencao1 = nullptr;
    QCheckBox* Chk_Prot44serial = nullptr;
    QCheckBox* Chk_Prot44serialBNC = nullptr;
    QCheckBox* Chk_Autoriza_prot = nullptr;

    std::array<Rotulo*, 112> Lbl_TeclaLB{}; // no label 110
    std::array<Forma*, 112> Sp_TeclaLB{};
    Rotulo* Lbl_TeclaLBnula = nullptr;

    // Lock lamps: caption labels, background boxes, lamps, symbol labels.
    Rotulo* Label2 = nullptr;
    Rotulo* Label3 = nullptr;
    Rotulo* Label8 = nullptr;
    Forma* Shape1 = nullptr;
    Forma* Shape2 = nullptr;
    Forma* Shape3 = nullptr;
    Forma* Shape4 = nullptr;
    std::array<Forma*, 4> shpKeys{};
    Rotulo* Label4 = nullptr;
    Rotulo* Label5 = nullptr;
    Rotulo* Label6 = nullptr;
    Rotulo* Label7 = nullptr;

    QLineEdit* Txt_dado = nullptr;
    QTimer* Tmr_POSICAO = nullptr;

    // The 24 sentinel boxes, row by row (slot 66..71), boxes 0..3.
    [[nodiscard]] std::array<std::array<QLineEdit*, 4>*, 6> linhas_sentinela();
    // Check-box value as the layout and the exchange read it: 0, 1 or 2 (greyed).
    [[nodiscard]] static int valor_caixa(const QCheckBox* caixa);
    // Sets a check box from such a value; error 380 for any other.
    static void define_caixa(QCheckBox* caixa, int valor);

  private:
    struct Proprios; // the platform's own seams, for those not given
    std::unique_ptr<Proprios> proprios_;

  public:
    Servicos servicos;

    // --- Link (src/link): the serial control, the port list and the exchange ---
    MSComm* MSComm1 = cria_MSComm1(); // after `servicos`, whose seam it uses
    Mdl_Serial serial{servicos.inventario};
    // Follows adapters plugged in or pulled out while the window is open (after
    // `serial`, whose list it compares, so that it goes first).
    VigiaPortas Vigia_Portas{servicos.inventario, serial};
    // The inventory no longer matches the port box: searched again as "Atualiza" does,
    // keeping the port chosen or the text typed.
    void acompanha_portas();
    [[nodiscard]] std::int16_t Porta_Serial_Verifica();
    bool Abre_Porta_Serial(int posicao, const QString& parametros);
    void Fecha_Porta_Serial();
    void MSComm1_OnComm();
    // The box's ListIndex: the item chosen last, -1 once text is typed or set.
    [[nodiscard]] int cmbserialterm_ListIndex();
    [[nodiscard]] bool gravacao_em_curso() const { return gravando_; }

private:
    MSComm* cria_MSComm1();
    void liga_cmbserialterm();
    int indice_escolhido_ = -1;
    QString escolha_ausente_; // the item chosen, while its port is unplugged
    QStringList avisos_vistos_; // the port list's last messages (ports left out)
    bool cmbserialterm_ligado_ = false;
    bool gravando_ = false;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void monta_controles();
    void monta_tabelas(QWidget* area);
    void monta_leitor_cartao();
    void monta_ligacao(QWidget* area);
    void monta_teclado_pc(QWidget* area);
    void monta_lampadas(QWidget* area);
    void avanca_selecao();

    bool descarregada_ = false;
    MDL_Keyboard* mdl_keyboard_ = nullptr; // capture
    QString relatorio_anterior_;           // capture: last test-only report written
};

} // namespace vantora
