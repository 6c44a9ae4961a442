#include "capture/captura.h"

#include "base/armadilha.h"
#include "capture/MDL_Keyboard.h"
#include "capture/travas.h"
#include "catalogue/teclado_pc.h"
#include "editor/documento.h"

#include <QFontDatabase>
#include <QLineEdit>

namespace vantora {

Captura::Captura(QWidget& janela, TecladoPC& teclado, Documento& documento, Mensagens& mensagens,
                 EstadoTeclado* travas, QObject* pai)
    : QObject(pai), janela_(janela), teclado_(teclado), documento_(documento), mensagens_(mensagens),
      travas_(travas) {
    documento_.observa([this](Documento::Mudanca m) {
        if (m == Documento::Mudanca::Aba) aplica();
    });
}

void Captura::monta(QWidget* area) {
    // Each lamp's column: its caption, background box, lamp and symbol (object names
    // as the controls are named).
    struct Coluna {
        const char* nomeLegenda;
        const char* texto;
        int esquerdaLegenda;
        const char* nomeFundo;
        int esquerdaFundo;
        int esquerdaLampada;
        const char* nomeSimbolo;
        int esquerdaSimbolo;
    };
    const std::array<Coluna, 4> colunas = {{
        {"Label1_0", "Num", 8130, "Shape1", 8160, 8190, "Label4", 8295},
        {"Label2", "Caps", 8565, "Shape3", 8610, 8640, "Label5", 8745},
        {"Label3", "Scroll", 9030, "Shape4", 9060, 9090, "Label6", 9180},
        {"Label8", "ON", 9510, "Shape2", 9540, 9570, "Label7", 9660},
    }};
    for (const Coluna& c : colunas) {
        Forma* fundo = forma(area, QString::fromLatin1(c.nomeFundo), c.esquerdaFundo, 3450, 450, 585);
        fundo->setFundoOpaco(true);
        fundo->setBackColor(CIANO_CLARO);
    }
    for (int i = 0; i < 4; ++i) {
        const Coluna& c = colunas[i];
        rotulo(area, QString::fromLatin1(c.nomeLegenda), QString::fromLatin1(c.texto), c.esquerdaLegenda,
               3450, 450, 195, Qt::AlignCenter);
        shpKeys[i] = forma(area, indexado("shpKeys", i), c.esquerdaLampada, 3825, 375, 165,
                           Forma::Tipo::RetanguloArredondado);
        shpKeys[i]->setPreenchido(true);
        shpKeys[i]->setFillColor(VERDE_ESCURO);
        // Character F2 of the Wingdings symbol font, a down arrow pointing at the lamp;
        // where that font is missing, the same arrow from Unicode.
        static const bool wingdings = QFontDatabase::hasFamily(QStringLiteral("Wingdings"));
        Rotulo* simbolo =
            rotulo(area, QString::fromLatin1(c.nomeSimbolo), QString(QChar(wingdings ? 0xF0F2 : 0x21E9)),
                   c.esquerdaSimbolo, 3615, 195, 255, Qt::AlignCenter);
        QFont fonte = fonteBase(12);
        if (wingdings) fonte.setFamilies({QStringLiteral("Wingdings")});
        simbolo->setFont(fonte);
    }

    Txt_dado = coloca(new QLineEdit(QStringLiteral("Txt_dado"), area), QStringLiteral("Txt_dado"), 8505, 3495,
                      1275, 375);
    Txt_dado->hide();
}

MDL_Keyboard& Captura::Modulo_Teclado() {
    if (!mdl_keyboard_) mdl_keyboard_ = new MDL_Keyboard(*this, janela_);
    return *mdl_keyboard_;
}

EstadoTeclado& Captura::estado_teclado() {
    return travas_ ? *travas_ : estado_teclado_sistema();
}

void Captura::aplica() {
    if (ligada_ && sem_filtro_ == 0 && !documento_.na_pagina_cartao()) {
        Modulo_Teclado().InstallHook();
        // The lamps' own observer of the lock keys stays ahead of the filter.
        if (!travas_) observa_travas_sistema();
    } else {
        Modulo_Teclado().RemoveHook();
    }
}

void Captura::liga() {
    ligada_ = true;
    aplica();
}

void Captura::desliga() {
    ligada_ = false;
    aplica();
}

bool Captura::captura_instalada() const {
    return mdl_keyboard_ && mdl_keyboard_->instalado();
}

Captura::Pausa::Pausa(Captura& captura, bool sem_filtro) : captura_(captura), sem_filtro_(sem_filtro) {
    ++captura_.suspensoes_;
    if (sem_filtro_) {
        ++captura_.sem_filtro_;
        captura_.aplica();
    }
}

Captura::Pausa::~Pausa() {
    --captura_.suspensoes_;
    if (sem_filtro_) {
        --captura_.sem_filtro_;
        captura_.aplica();
    }
}

void Captura::Localiza_TeclaPC(const QString& identificador) {
    const int k = teclado_.padroes.localiza(identificador.toStdString());
    if (k != 0 && !suspensa())
        armadilha(mensagens_, QStringLiteral("Lbl_TeclaLB_Click"), formulario(), [this, k] {
            documento_.escolhe_tecla_pc(k, teclado_.padroes.Codigo_TeclaLB.at(std::size_t(k)));
        });
    else if (suspensa())
        emit resposta(k);
    else
        Txt_dado->setText(identificador.mid(1));
}

void Captura::Atualiza_Leds() {
    bool caps = false;
    bool num = false;
    bool scroll = false;
    Estado_Travas(estado_teclado(), caps, num, scroll);
    lampadas_ = {num, caps, scroll};
    for (std::size_t i = 0; i < lampadas_.size(); ++i)
        shpKeys[i]->setFillColor(lampadas_[i] ? VERDE : VERDE_ESCURO);
    relata();
}

} // namespace vantora
