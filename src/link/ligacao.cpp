#include "link/ligacao.h"

#include "base/armadilha.h"
#include "base/configuracao.h"
#include "capture/captura.h"
#include "editor/conversao.h"
#include "editor/documento.h"
#include "link/gravacao.h"
#include "link/protocolo.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace vantora {
namespace {

const QString& tituloGravacao() {
    static const QString t = QStringLiteral("Grava Dados Teclado");
    return t;
}

// IsNumeric: a text the whole-number conversion takes, or one too large for it.
bool e_numerico(const QString& texto) {
    try {
        (void)converte_inteiro(texto.toStdString());
        return true;
    } catch (const ErroExecucao& e) {
        return e.numero() == ERRO_ESTOURO;
    }
}

// The on-screen keys Y and N.
constexpr int TECLA_SIM = 45;
constexpr int TECLA_NAO = 85;

} // namespace

Ligacao::Ligacao(Documento& documento, Captura& captura, Mensagens& mensagens,
                 ConfiguracaoUsuario& configuracao, InventarioPortas& inventario, AberturaPortas& portas,
                 QObject* pai)
    : QObject(pai), MSComm1(new MSComm(&portas, this)), serial(&inventario),
      Vigia_Portas(&inventario, serial), documento_(documento), captura_(captura), mensagens_(mensagens),
      configuracao_(configuracao), inventario_(inventario) {
    connect(MSComm1, &MSComm::OnComm, this, &Ligacao::MSComm1_OnComm);
    connect(&Vigia_Portas, &VigiaPortas::mudou, this, &Ligacao::acompanha_portas);
    // The keyboard filter hears the keyboard's "5" and "1" as the PC keys Y and N (the
    // on-screen keys 45 and 85): typed during an exchange, they answer the record.
    connect(&captura_, &Captura::resposta, this, [this](int k) {
        if (troca_ && (k == TECLA_SIM || k == TECLA_NAO))
            troca_->responde(k == TECLA_SIM ? RespostaTeclado::Aceito : RespostaTeclado::Recusado);
    });
}

Ligacao::~Ligacao() = default;

template <class F> bool Ligacao::trap(const QString& procedimento, F&& corpo) {
    return armadilha(mensagens_, procedimento, formulario(), std::forward<F>(corpo));
}

void Ligacao::monta(QWidget* area) {
    Frm_Envia = coloca(new QGroupBox(QStringLiteral("Enviando dados para o teclado"), area),
                       QStringLiteral("Frm_Envia"), 570, 2040, 6315, 1860);
    PBar = coloca(new QProgressBar(Frm_Envia), QStringLiteral("PBar"), 180, 405, 5955, 1095);
    PBar->setRange(0, PASSOS_GRAVACAO);
    PBar->setValue(0);
    Frm_Envia->setAutoFillBackground(true);
    Frm_Envia->hide();

    Cmd_Grava_Teclado = coloca(new QPushButton(QStringLiteral("Envia Configuração para o Teclado"), area),
                               QStringLiteral("Cmd_Grava_Teclado"), 7035, 30, 2910, 510);
    connect(Cmd_Grava_Teclado, &QPushButton::clicked, this, [this] { Cmd_Grava_Teclado_Click(); });
    rotulo(area, QStringLiteral("Label9"), QStringLiteral("Porta Serial:"), 6990, 630, 855, 195);
    cmbserialterm = coloca(new QComboBox(area), QStringLiteral("cmbserialterm"), 7830, 570, 1005, 315);
    cmbserialterm->setEditable(true);
    cmbserialterm->setInsertPolicy(QComboBox::NoInsert);
    cmbserialterm->addItems(
        {QStringLiteral("Com1"), QStringLiteral("Com2"), QStringLiteral("Com3"), QStringLiteral("Com4")});
    // The box is editable: choosing an item selects it, typing leaves no item selected,
    // as the port choice expects. Qt keeps the last chosen index while text is typed,
    // so the choice is followed here.
    indice_escolhido_ = cmbserialterm->currentIndex();
    connect(cmbserialterm, &QComboBox::currentIndexChanged, this, [this](int i) { indice_escolhido_ = i; });
    connect(cmbserialterm, &QComboBox::activated, this, [this](int i) { indice_escolhido_ = i; });
    connect(cmbserialterm->lineEdit(), &QLineEdit::textEdited, this, [this] { indice_escolhido_ = -1; });
    Rotulo* Lbl_Atualiza =
        rotulo(area, QStringLiteral("Lbl_Atualiza"), QStringLiteral("Atualiza"), 8880, 630, 555, 195);
    QFont sublinhada = fonteBase();
    sublinhada.setUnderline(true);
    Lbl_Atualiza->setFont(sublinhada);
    Lbl_Atualiza->setForegroundRole(QPalette::Highlight);
    Lbl_Atualiza->setCursor(Qt::PointingHandCursor);
    connect(Lbl_Atualiza, &Rotulo::clicked, this, [this] { Lbl_Atualiza_Click(); });
    Shp_Captura_serial =
        forma(area, QStringLiteral("Shp_Captura_serial"), 9660, 600, 255, 255, Forma::Tipo::Circulo);
    Shp_Captura_serial->setPreenchido(true);
    Shp_Captura_serial->setFillColor(BRANCO);

    Opt_9600[0] = coloca(new QRadioButton(QStringLiteral("9600 bps"), area), indexado("Opt_9600", 0), 7110,
                         870, 1035, 195);
    Opt_9600[1] = coloca(new QRadioButton(QStringLiteral("57600 bps"), area), indexado("Opt_9600", 1), 8460,
                         900, 1275, 195);
    Opt_9600[1]->setChecked(true);
}

void Ligacao::inicia() {
    ListaPortasCbserial();
    poe_porta_guardada();
}

void Ligacao::vigia(SinalPortas* sinal) {
    Vigia_Portas.inicia(sinal);
}

QString Ligacao::parametros_escolhidos() const {
    return Opt_9600[1]->isChecked() ? QStringLiteral("57600,N,8,1") : QStringLiteral("9600,N,8,1");
}

// Searches the serial ports and fills the port box with "COM" + number.
void Ligacao::ListaPortasCbserial(bool so_avisos_novos) {
    trap(QStringLiteral("ListaPortasCbserial"), [this, so_avisos_novos] {
        cmbserialterm->clear();
        serial.Busca_Portas();
        for (int i = 1; i <= serial.Qtd_Portas; ++i)
            cmbserialterm->addItem(QStringLiteral("COM") + serial.Lista_Portas[size_t(i)].Numero);
        // Filling selects nothing: the chosen port is still to be picked or typed.
        cmbserialterm->setCurrentIndex(-1);
        // Ports the list had to leave out (an extra port under a number already taken).
        // The port watch's refills tell only what was not told before: a box popping
        // up by itself each time an adapter comes or goes would say nothing new.
        const QStringList avisos = inventario_.avisos();
        for (const QString& aviso : avisos) {
            if (!so_avisos_novos || !avisos_vistos_.contains(aviso)) mensagens_.informa(aviso);
        }
        avisos_vistos_ = avisos;
    });
}

void Ligacao::acompanha_portas() {
    // Not during an exchange, which holds a position in the list, nor under the open
    // drop-down: another look, a little later, finds the difference again.
    if (gravando_ || cmbserialterm->view()->isVisible()) {
        QTimer::singleShot(500, &Vigia_Portas, &VigiaPortas::verifica);
        return;
    }
    QLineEdit* edicao = cmbserialterm->lineEdit();
    const QString texto = cmbserialterm->currentText();
    const int cursor = edicao->cursorPosition();
    // The item chosen, or the one chosen before its adapter was pulled out, while the
    // box still shows its text.
    const QString escolhido = indice_escolhido_ >= 0 || texto == escolha_ausente_ ? texto : QString();
    ListaPortasCbserial(true);
    const int i = escolhido.isEmpty() ? -1 : cmbserialterm->findText(escolhido, Qt::MatchExactly);
    if (i >= 0) {
        cmbserialterm->setCurrentIndex(i);
        escolha_ausente_.clear();
    } else {
        cmbserialterm->setEditText(texto);
        edicao->setCursorPosition(cursor);
        escolha_ausente_ = escolhido;
    }
    indice_escolhido_ = i;
}

std::int16_t Ligacao::Porta_Serial_Verifica() {
    const int escolhido = indice_escolhido_;
    if (escolhido >= 0) return static_cast<std::int16_t>(escolhido + 1);
    const QString texto = cmbserialterm->currentText();
    if (!e_numerico(texto)) return 0;
    const double valor = valor_inicial(texto.toStdString());
    cmbserialterm->clear();
    cmbserialterm->setCurrentIndex(-1);
    serial.Busca_Portas();
    int lembrado = 0;
    for (int i = 1; i <= serial.Qtd_Portas; ++i) {
        const QString& numero = serial.Lista_Portas[size_t(i)].Numero;
        if (valor_inicial(numero.toStdString()) == valor) lembrado = i;
        cmbserialterm->addItem(QStringLiteral("COM") + numero);
    }
    cmbserialterm->setCurrentIndex(lembrado - 1);
    indice_escolhido_ = lembrado - 1;
    return static_cast<std::int16_t>(lembrado);
}

bool Ligacao::Abre_Porta_Serial(int posicao, const QString& parametros) {
    bool resultado = false;
    try {
        if (posicao < 0 || size_t(posicao) >= serial.Lista_Portas.size()) throw ErroExecucao(ERRO_SUBSCRITO);
        const Info_Porta entrada = serial.Lista_Portas[size_t(posicao)];
        if (!serial.Porta_Presente(entrada.Id_Dispositivo)) {
            if (MSComm1->PortOpen()) MSComm1->setPortOpen(false);
            mensagens_.informa(QStringLiteral("Porta: ") + entrada.Nome + QStringLiteral(" não localizada"));
            return false;
        }
        if (MSComm1->PortOpen()) {
            if (MSComm1->Settings().compare(parametros, Qt::CaseInsensitive) == 0 &&
                MSComm1->CommPort() == valor_inicial(entrada.Numero.toStdString()))
                return true;
            MSComm1->setPortOpen(false);
        }
        abre_para_gravacao(*MSComm1, converte_inteiro(entrada.Numero.toStdString()), parametros);
        resultado = true;
        lembra_porta(configuracao_, entrada.Numero);
        return true;
    } catch (const ErroExecucao& e) {
        mensagens_.simples(QString::fromStdString(texto_falha_abertura(e.numero())));
    } catch (const std::exception&) {
        mensagens_.simples(QString::fromStdString(texto_falha_abertura(51)));
    }
    return resultado;
}

void Ligacao::Fecha_Porta_Serial() {
    if (MSComm1->PortOpen()) MSComm1->setPortOpen(false);
}

void Ligacao::poe_porta_guardada() {
    const QString porta = porta_lembrada(configuracao_);
    cmbserialterm->setCurrentIndex(-1);
    cmbserialterm->setEditText(porta);
    indice_escolhido_ = -1;
}

void Ligacao::Lbl_Atualiza_Click() {
    ListaPortasCbserial();
    try {
        poe_porta_guardada();
    } catch (...) {
        // The refreshed list stands even when the stored setting cannot be read.
    }
}

void Ligacao::Cmd_Grava_Teclado_Click() {
    if (gravando_) return;
    gravando_ = true;
    // No second exchange, file command or capture command starts inside this one.
    habilitado_ = Cmd_Grava_Teclado->isEnabled();
    Cmd_Grava_Teclado->setEnabled(false);
    emit gravacao(true);

    const auto erro = [&](int numero, const std::string& descricao) {
        encerra_envio();
        mostraErro(mensagens_, numero, descricao, QStringLiteral("Cmd_Grava_Teclado_Click"), formulario());
    };
    try {
        Shp_Captura_serial->setFillColor(BRANCO);
        emit envio(true);
        Frm_Envia->show();
        Frm_Envia->raise(); // above the on-screen keyboard, laid out after it
        PBar->setMaximum(PASSOS_GRAVACAO);
        PBar->setValue(0);
        pausa_.emplace(captura_);
        documento_.copia_sentinelas();

        // Every value is checked before the first byte, so the keyboard is never left
        // half programmed by a code that cannot be sent.
        if (const auto problema = valor_fora_da_faixa(documento_.layout())) {
            encerra_envio();
            mensagens_.avisa(QString::fromStdString(*problema), tituloGravacao());
        } else if (const int posicao = Porta_Serial_Verifica(); posicao == 0) {
            mensagens_.informa(QStringLiteral("Erro no Numero da Porta Serial"));
            cmbserialterm->setFocus();
            encerra_envio();
        } else if (!Abre_Porta_Serial(posicao, parametros_escolhidos())) {
            encerra_envio();
            Fecha_Porta_Serial();
        } else {
            // The boxes may change while the records go out: read them last.
            troca_ = std::make_unique<GravacaoSerial>(
                *MSComm1, documento_.layout(), [this] { return byte_opcoes(documento_.layout().caixas); });
            connect(troca_.get(), &GravacaoSerial::progrediu, PBar, &QProgressBar::setValue);
            connect(troca_.get(), &GravacaoSerial::terminou, this, &Ligacao::terminou_gravacao);
            troca_->inicia();
            return;
        }
    } catch (const ErroExecucao& e) {
        erro(e.numero(), e.descricao());
    } catch (const std::exception& e) {
        erro(51, QString::fromLocal8Bit(e.what()).toStdString());
    }
    Cmd_Grava_Teclado->setEnabled(habilitado_);
    gravando_ = false;
    emit gravacao(false);
}

// Back to idle.
void Ligacao::encerra_envio() {
    pausa_.reset();
    emit envio(false);
    Frm_Envia->hide();
}

void Ligacao::terminou_gravacao() {
    // This runs inside the exchange's own handler: it goes once that returns.
    GravacaoSerial* troca = troca_.release();
    troca->deleteLater();
    const ResultadoTroca r = troca->resultado();
    const QString texto = QString::fromStdString(texto_resultado(r, true));
    if (r.fim == FimTroca::Erro) {
        // As the error trap has it: the port stays as it is.
        encerra_envio();
        mostraErro(mensagens_, r.erro, r.descricao,
                   QStringLiteral("Cmd_Grava_Teclado_Click"), formulario());
    } else {
        if (r.fim == FimTroca::Gravado)
            mensagens_.informa(texto, tituloGravacao());
        else if (!texto.isEmpty())
            mensagens_.avisa(texto, tituloGravacao());
        encerra_envio();
        Fecha_Porta_Serial();
    }
    Cmd_Grava_Teclado->setEnabled(habilitado_);
    gravando_ = false;
    emit gravacao(false);
}

void Ligacao::encerra_gravacao() {
    if (troca_) troca_->encerra();
}

// Receive handler outside an exchange: every byte becomes the code of the selected key.
void Ligacao::MSComm1_OnComm() {
    const int evento = MSComm1->CommEvent();
    if (evento == comEventPortaPerdida) {
        // Inside an exchange the exchange reports it; here capture has ended.
        if (!gravando_) {
            Shp_Captura_serial->setFillColor(BRANCO);
            mensagens_.avisa(QStringLiteral("A porta serial deixou de responder (adaptador desconectado?). "
                                            "A captura serial foi desligada."));
        }
        return;
    }
    // During an exchange the exchange hears the port.
    if (evento != comEvReceive || gravando_) return;
    const QByteArray entrada = MSComm1->Input();
    if (entrada.isEmpty()) return;
    const int b = static_cast<unsigned char>(entrada.at(0));
    trap(QStringLiteral("insere_codigo"), [this, b] { documento_.insere_codigo(b); });
}

void Ligacao::mnu_ativa_serial_Click() {
    if (gravando_) return;
    trap(QStringLiteral("mnu_ativa_serial_Click"), [this] {
        Shp_Captura_serial->setFillColor(BRANCO);
        const int posicao = Porta_Serial_Verifica();
        if (posicao != 0) {
            if (Abre_Porta_Serial(posicao, parametros_escolhidos())) Shp_Captura_serial->setFillColor(0x8000);
        } else {
            mensagens_.informa(QStringLiteral("Erro no Numero da Porta Serial"));
            cmbserialterm->setFocus();
        }
    });
}

} // namespace vantora
