#pragma once
// The serial link as the window shows it: the port box and its refresh, the speed
// choice, the programming exchange with its progress frame, and serial capture (each
// byte the keyboard sends becomes the code of the selected key).
//
// "An exchange is running" is this controller's own fact: `gravacao_em_curso()`, and
// the `gravacao` signal as it starts and ends, during which the window holds its other
// commands off.

#include "base/controles.h"
#include "base/mensagens.h"
#include "capture/captura.h"
#include "link/mscomm.h"
#include "link/portas.h"
#include "link/vigia_portas.h"

#include <QObject>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

class QComboBox;
class QGroupBox;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace vantora {

class ConfiguracaoUsuario;
class Documento;
class GravacaoSerial;

class Ligacao : public QObject {
    Q_OBJECT
  public:
    Ligacao(Documento& documento, Captura& captura, Mensagens& mensagens, ConfiguracaoUsuario& configuracao,
            InventarioPortas& inventario, AberturaPortas& portas, QObject* pai = nullptr);
    ~Ligacao() override;

    // The send button, the port box, "Atualiza", the capture lamp, the speeds and the
    // progress frame, in `area`.
    void monta(QWidget* area);
    // Start-up: the ports listed, the port last opened put in the box.
    void inicia();
    // From then on, adapters plugged in or pulled out refresh the box.
    void vigia(SinalPortas* sinal);

    void Lbl_Atualiza_Click();
    // Starts the exchange and returns; it goes on while the window runs, and ends with
    // its message and `gravacao(false)`.
    void Cmd_Grava_Teclado_Click();
    // The window is going away: an exchange under way stops at once, says nothing and
    // closes the port.
    void encerra_gravacao();
    void mnu_ativa_serial_Click();
    [[nodiscard]] std::int16_t Porta_Serial_Verifica();
    bool Abre_Porta_Serial(int posicao, const QString& parametros);
    void Fecha_Porta_Serial();
    // The box's ListIndex: the item chosen last, -1 once text is typed or set.
    [[nodiscard]] int cmbserialterm_ListIndex() const { return indice_escolhido_; }
    [[nodiscard]] bool gravacao_em_curso() const { return gravando_; }

    MSComm* MSComm1 = nullptr;
    Mdl_Serial serial;
    // Follows adapters plugged in or pulled out while the window is open.
    VigiaPortas Vigia_Portas;

  signals:
    // An exchange started (true) or ended (false).
    void gravacao(bool em_curso);
    // The progress frame came up (true) or went (false): the selection's blink holds
    // meanwhile.
    void envio(bool em_curso);

  private:
    // so_avisos_novos: the port watch's refill, which repeats no message already shown.
    void ListaPortasCbserial(bool so_avisos_novos = false);
    // Puts the port last opened (the per-user setting "Sistema"/"Serial", "1" when
    // there is none) into the port box as typed text, no item selected.
    void poe_porta_guardada();
    // The inventory no longer matches the port box: searched again as "Atualiza" does,
    // keeping the port chosen or the text typed.
    void acompanha_portas();
    void MSComm1_OnComm();
    template <class F> bool trap(const QString& procedimento, F&& corpo);
    void encerra_envio();
    void terminou_gravacao();
    [[nodiscard]] QString parametros_escolhidos() const;

    QPushButton* Cmd_Grava_Teclado = nullptr;
    QComboBox* cmbserialterm = nullptr;
    Forma* Shp_Captura_serial = nullptr;
    std::array<QRadioButton*, 2> Opt_9600{};
    QGroupBox* Frm_Envia = nullptr;
    QProgressBar* PBar = nullptr;

    Documento& documento_;
    Captura& captura_;
    // Capture answers the keyboard instead of assigning while the records go out.
    std::optional<Captura::Pausa> pausa_;
    Mensagens& mensagens_;
    ConfiguracaoUsuario& configuracao_;
    InventarioPortas& inventario_;
    int indice_escolhido_ = -1;
    QString escolha_ausente_;   // the item chosen, while its port is unplugged
    QStringList avisos_vistos_; // the port list's last messages (ports left out)
    bool gravando_ = false;
    bool habilitado_ = true; // the send button as it stood before the exchange
    std::unique_ptr<GravacaoSerial> troca_;
};

} // namespace vantora
