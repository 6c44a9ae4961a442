// Port discovery, the programming exchange and serial capture, as the window reaches them.
#include "shell/Frm_Grava.h"

#include "editor/conversao.h"
#include "link/gravacao.h"
#include "link/protocolo.h"
#include "base/configuracao.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
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
        (void)converte_inteiro(texto);
        return true;
    } catch (const ErroExecucao& e) {
        return e.numero() == ERRO_ESTOURO;
    }
}

QString parametros_escolhidos(const Frm_Grava& j) {
    return j.Opt_9600[1]->isChecked() ? QStringLiteral("57600,N,8,1") : QStringLiteral("9600,N,8,1");
}

} // namespace

MSComm* Frm_Grava::cria_MSComm1() {
    auto* c = new MSComm(servicos.portas, this);
    connect(c, &MSComm::OnComm, this, &Frm_Grava::MSComm1_OnComm);
    return c;
}

// The box is editable: choosing an item selects it, typing leaves no item selected,
// as the port choice expects. Qt keeps the last chosen index while text is typed,
// so the choice is followed here.
void Frm_Grava::liga_cmbserialterm() {
    if (cmbserialterm_ligado_) return;
    cmbserialterm_ligado_ = true;
    indice_escolhido_ = cmbserialterm->currentIndex();
    connect(cmbserialterm, &QComboBox::currentIndexChanged, this, [this](int i) { indice_escolhido_ = i; });
    connect(cmbserialterm, &QComboBox::activated, this, [this](int i) { indice_escolhido_ = i; });
    connect(cmbserialterm->lineEdit(), &QLineEdit::textEdited, this, [this] { indice_escolhido_ = -1; });
    connect(&Vigia_Portas, &VigiaPortas::mudou, this, &Frm_Grava::acompanha_portas);
}

int Frm_Grava::cmbserialterm_ListIndex() {
    liga_cmbserialterm();
    return indice_escolhido_;
}

// Searches the serial ports and fills the port box with "COM" + number.
void Frm_Grava::ListaPortasCbserial(bool so_avisos_novos) {
    liga_cmbserialterm();
    serial.defineInventario(servicos.inventario);
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
        const QStringList avisos = servicos.inventario->avisos();
        for (const QString& aviso : avisos) {
            if (!so_avisos_novos || !avisos_vistos_.contains(aviso)) servicos.mensagens->informa(aviso);
        }
        avisos_vistos_ = avisos;
    });
}

void Frm_Grava::acompanha_portas() {
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

std::int16_t Frm_Grava::Porta_Serial_Verifica() {
    liga_cmbserialterm();
    const int escolhido = indice_escolhido_;
    if (escolhido >= 0) return static_cast<std::int16_t>(escolhido + 1);
    const QString texto = cmbserialterm->currentText();
    if (!e_numerico(texto)) return 0;
    const double valor = valor_inicial(texto);
    cmbserialterm->clear();
    cmbserialterm->setCurrentIndex(-1);
    serial.Busca_Portas();
    int lembrado = 0;
    for (int i = 1; i <= serial.Qtd_Portas; ++i) {
        const QString& numero = serial.Lista_Portas[size_t(i)].Numero;
        if (valor_inicial(numero) == valor) lembrado = i;
        cmbserialterm->addItem(QStringLiteral("COM") + numero);
    }
    cmbserialterm->setCurrentIndex(lembrado - 1);
    indice_escolhido_ = lembrado - 1;
    return static_cast<std::int16_t>(lembrado);
}

bool Frm_Grava::Abre_Porta_Serial(int posicao, const QString& parametros) {
    bool resultado = false;
    try {
        if (posicao < 0 || size_t(posicao) >= serial.Lista_Portas.size()) throw ErroExecucao(ERRO_SUBSCRITO);
        const Info_Porta entrada = serial.Lista_Portas[size_t(posicao)];
        if (!serial.Porta_Presente(entrada.Id_Dispositivo)) {
            if (MSComm1->PortOpen()) MSComm1->setPortOpen(false);
            servicos.mensagens->informa(QStringLiteral("Porta: ") + entrada.Nome +
                                        QStringLiteral(" não localizada"));
            return false;
        }
        if (MSComm1->PortOpen()) {
            if (MSComm1->Settings().compare(parametros, Qt::CaseInsensitive) == 0 &&
                MSComm1->CommPort() == valor_inicial(entrada.Numero))
                return true;
            MSComm1->setPortOpen(false);
        }
        abre_para_gravacao(*MSComm1, converte_inteiro(entrada.Numero), parametros);
        resultado = true;
        servicos.configuracao->grava(QStringLiteral("Sistema"), QStringLiteral("Serial"), entrada.Numero);
        return true;
    } catch (const ErroExecucao& e) {
        if (e.numero() == ERRO_PORTA_ABERTA)
            servicos.mensagens->simples(QStringLiteral("Não foi possivel abrir esta porta serial"));
        else
            servicos.mensagens->simples(QStringLiteral("Este programa executou um erro numero ") +
                                        QString::number(e.numero()));
    } catch (const std::exception&) {
        servicos.mensagens->simples(QStringLiteral("Este programa executou um erro numero 51"));
    }
    return resultado;
}

void Frm_Grava::Fecha_Porta_Serial() {
    if (MSComm1->PortOpen()) MSComm1->setPortOpen(false);
}

void Frm_Grava::poe_porta_guardada() {
    const QString porta =
        servicos.configuracao->le(QStringLiteral("Sistema"), QStringLiteral("Serial"), QStringLiteral("1"));
    cmbserialterm->setCurrentIndex(-1);
    cmbserialterm->setEditText(porta);
    indice_escolhido_ = -1;
}

void Frm_Grava::Lbl_Atualiza_Click() {
    ListaPortasCbserial();
    try {
        poe_porta_guardada();
    } catch (...) {
        // The refreshed list stands even when the stored setting cannot be read.
    }
}

namespace {
// "O teclado ficou parcialmente gravado: ... grave-o de novo." as a sentence.
QString frase(const QString& texto) {
    return texto.left(1).toUpper() + texto.mid(1) + QLatin1Char('.');
}
} // namespace

void Frm_Grava::Cmd_Grava_Teclado_Click() {
    if (gravando_) return;
    gravando_ = true;
    // No second exchange, file command or capture command starts inside this one.
    struct Comando {
        QObject* objeto;
        bool habilitado;
    };
    const auto habilita = [](QObject* o, bool v) {
        if (auto* a = qobject_cast<QAction*>(o))
            a->setEnabled(v);
        else if (auto* w = qobject_cast<QWidget*>(o))
            w->setEnabled(v);
    };
    std::vector<Comando> comandos;
    for (QObject* o : std::initializer_list<QObject*>{Cmd_Grava_Teclado, mnu_Abrir, mnuSalvar, mnuNovo,
                                                      mnu_ativa_serial}) {
        if (!o) continue;
        const bool antes = qobject_cast<QAction*>(o) ? qobject_cast<QAction*>(o)->isEnabled()
                                                     : qobject_cast<QWidget*>(o)->isEnabled();
        comandos.push_back({o, antes});
        habilita(o, false);
    }

    // Step 12 (and the tail of step 11): back to idle.
    const auto encerra = [this] {
        Captura_Suspensa = 0;
        Tmr_POSICAO->start();
        Frm_Envia->hide();
    };

    try {
        Cmd_Grava_Teclado_Tag = QStringLiteral("1");
        Shp_Captura_serial->setFillColor(BRANCO);
        Tmr_POSICAO->stop();
        Frm_Envia->show();
        Frm_Envia->raise(); // above the on-screen keyboard, laid out after it
        PBar->setMaximum(PASSOS_GRAVACAO);
        PBar->setValue(0);
        Captura_Suspensa = 1;
        copia_sentinelas();

        // Every value is checked before the first byte, so the keyboard is never left
        // half programmed by a code that cannot be sent.
        if (const auto problema = valor_fora_da_faixa(codigos)) {
            encerra();
            servicos.mensagens->avisa(*problema, tituloGravacao());
        } else if (const int posicao = Porta_Serial_Verifica(); posicao == 0) {
            servicos.mensagens->informa(QStringLiteral("Erro no Numero da Porta Serial"));
            cmbserialterm->setFocus();
            encerra();
        } else {
            if (Abre_Porta_Serial(posicao, parametros_escolhidos(*this))) {
                try {
                    // The boxes may change while the records go out: read them last.
                    const auto opcoes = [this] {
                        return byte_opcoes({valor_caixa(Chk_Autoriza_prot), valor_caixa(Chk_Prot44serial),
                                            valor_caixa(Chk_Prot44serialBNC)});
                    };
                    TrocaSerial canal(*MSComm1, &Resposta_Teclado);
                    canal.ao_avancar = [this](int passos) { PBar->setValue(PBar->value() + passos); };
                    try {
                        if (executa_gravacao(canal, codigos, opcoes) == ResultadoGravacao::Abandonado) {
                            // After the keyboard's own words, what it now holds, when it took
                            // some records before refusing.
                            QString texto = QStringLiteral("Erro de comunicação com o teclado");
                            if (canal.aceitos > 0)
                                texto +=
                                    QStringLiteral("\n\n") + frase(texto_gravacao_parcial(canal.aceitos));
                            servicos.mensagens->avisa(texto, tituloGravacao());
                        } else {
                            servicos.mensagens->informa(QStringLiteral("Gravação do teclado efetuada."),
                                                        tituloGravacao());
                        }
                    } catch (const PortaPerdidaNaGravacao&) {
                        // Reported once here; the control has closed the port already.
                        servicos.mensagens->avisa(
                            QStringLiteral("A porta serial deixou de responder durante a gravação (adaptador "
                                           "desconectado?). ") +
                                frase(texto_gravacao_parcial(canal.aceitos)),
                            tituloGravacao());
                    }
                } catch (const ProgramaEncerrando&) {
                    // Nothing more to say: the port is closed on the way out.
                }
            }
            encerra();
            Fecha_Porta_Serial();
        }
        Cmd_Grava_Teclado_Tag = QStringLiteral("0");
    } catch (const ErroExecucao& e) {
        encerra();
        mostraErro(*servicos.mensagens, e.numero(), e.descricao(), QStringLiteral("Cmd_Grava_Teclado_Click"),
                   formulario());
        Cmd_Grava_Teclado_Tag = QStringLiteral("0");
    } catch (const std::exception& e) {
        encerra();
        mostraErro(*servicos.mensagens, 51, QString::fromLocal8Bit(e.what()),
                   QStringLiteral("Cmd_Grava_Teclado_Click"), formulario());
        Cmd_Grava_Teclado_Tag = QStringLiteral("0");
    }
    for (const Comando& c : comandos)
        habilita(c.objeto, c.habilitado);
    gravando_ = false;
}

// Receive handler: during an exchange "5" and "1" answer the record last sent (other
// bytes are ignored); otherwise every byte becomes the code of the selected key.
void Frm_Grava::MSComm1_OnComm() {
    const int evento = MSComm1->CommEvent();
    if (evento == comEventPortaPerdida) {
        // Inside an exchange the exchange reports it; here capture has ended.
        if (Cmd_Grava_Teclado_Tag.toInt() == 0) {
            Shp_Captura_serial->setFillColor(BRANCO);
            servicos.mensagens->avisa(
                QStringLiteral("A porta serial deixou de responder (adaptador desconectado?). "
                               "A captura serial foi desligada."));
        }
        return;
    }
    if (evento != comEvReceive) return;
    const QByteArray entrada = MSComm1->Input();
    if (entrada.isEmpty()) return;
    const int b = static_cast<unsigned char>(entrada.at(0));
    if (Cmd_Grava_Teclado_Tag.toInt() == 0) {
        insere_codigo(b);
        return;
    }
    if (const RespostaTeclado r = resposta_do_byte(static_cast<unsigned char>(b));
        r != RespostaTeclado::Nenhuma)
        Resposta_Teclado = static_cast<std::int16_t>(r);
}

void Frm_Grava::mnu_ativa_serial_Click() {
    if (gravando_) return;
    trap(QStringLiteral("mnu_ativa_serial_Click"), [this] {
        Shp_Captura_serial->setFillColor(BRANCO);
        const int posicao = Porta_Serial_Verifica();
        if (posicao != 0) {
            if (Abre_Porta_Serial(posicao, parametros_escolhidos(*this)))
                Shp_Captura_serial->setFillColor(0x8000);
        } else {
            servicos.mensagens->informa(QStringLiteral("Erro no Numero da Porta Serial"));
            cmbserialterm->setFocus();
            Cmd_Grava_Teclado_Tag = QStringLiteral("0");
        }
    });
}

} // namespace vantora
