// The keyboard filter and the lock lamps, as the window reaches them.
#include "shell/Frm_Grava.h"

#include "capture/MDL_Keyboard.h"
#include "capture/travas.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QSaveFile>

namespace vantora {

MDL_Keyboard& Frm_Grava::Modulo_Teclado() {
    if (!mdl_keyboard_) mdl_keyboard_ = new MDL_Keyboard(*this);
    return *mdl_keyboard_;
}

EstadoTeclado& Frm_Grava::estado_teclado() {
    return servicos.travas ? *servicos.travas : estado_teclado_sistema();
}

// Installs the PC keyboard filter.
void Frm_Grava::Ativa_Captura() {
    Modulo_Teclado().InstallHook();
    // The lamps' own observer of the lock keys stays ahead of the filter.
    if (!servicos.travas) observa_travas_sistema();
}

// Removes the PC keyboard filter.
void Frm_Grava::Desativa_Captura() {
    Modulo_Teclado().RemoveHook();
}

bool Frm_Grava::captura_instalada() const {
    return mdl_keyboard_ && mdl_keyboard_->instalado();
}

void Frm_Grava::Localiza_TeclaPC(const QString& identificador) {
    const int k = padroes.localiza(identificador);
    if (k != 0 && Captura_Suspensa == 0)
        Lbl_TeclaLB_Click(k);
    else if (Captura_Suspensa == 1)
        Resposta_Teclado = static_cast<std::int16_t>(k);
    else
        Txt_dado->setText(identificador.mid(1));
}

// Refreshes the Num, Caps and Scroll lamps; the ON lamp is never written.
void Frm_Grava::Atualiza_Leds() {
    bool caps = false;
    bool num = false;
    bool scroll = false;
    Estado_Travas(estado_teclado(), caps, num, scroll);
    shpKeys[0]->setFillColor(num ? VERDE : VERDE_ESCURO);
    shpKeys[1]->setFillColor(caps ? VERDE : VERDE_ESCURO);
    shpKeys[2]->setFillColor(scroll ? VERDE : VERDE_ESCURO);
    relata_estado();
}

void Frm_Grava::relata_estado() {
    static const QString caminho = qEnvironmentVariable("VANTORA_RELATORIO");
    if (caminho.isEmpty()) return;
    QString t;
    t += QStringLiteral("Tecla_Atual=%1\n").arg(Tecla_Atual);
    t += QStringLiteral("Tecla_PC_Atual=%1\n").arg(Tecla_PC_Atual);
    t += QStringLiteral("Txt_dado=%1\n").arg(Txt_dado->text());
    t += QStringLiteral("Captura=%1\n").arg(captura_instalada() ? 1 : 0);
    t += QStringLiteral("Porta=%1\n").arg(cmbserialterm->currentText());
    const auto acesa = [this](int i) {
        return shpKeys[i]->FillColor() == VERDE ? QStringLiteral("1") : QStringLiteral("0");
    };
    t += QStringLiteral("Leds=%1%2%3\n").arg(acesa(0), acesa(1), acesa(2));
    const auto* caixa = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    t += QStringLiteral("Caixa=%1\n").arg(caixa ? caixa->text() : QString());
    const Tabela& tab1 = codigos.tabela(1);
    for (int k = 0; k < QTD_TECLAS; ++k)
        t += QStringLiteral("Tab1 %1 %2 %3\n").arg(k).arg(tab1[k]).arg(Lbl_TeclaLBtab[k]->caption());
    if (t == relatorio_anterior_) return;
    QSaveFile arquivo(caminho);
    if (arquivo.open(QIODevice::WriteOnly) && arquivo.write(t.toUtf8()) >= 0 && arquivo.commit())
        relatorio_anterior_ = t;
}

} // namespace vantora
