#include "Frm_Grava.h"

#include "base/configuracao.h"
#include "catalogue/geometria.h"
#include "files/dialogo_qt.h"
#include "shell/mensagens_qt.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

namespace vantora {
namespace {

// Client area of the window, in twips.
constexpr int LARGURA_JANELA = 10035;
constexpr int ALTURA_JANELA = 6705;

QFont fonteBase(int pontos = 8, bool negrito = false) {
    // MS Sans Serif where the system has it; elsewhere a font of close metrics, a
    // half point smaller because it runs a little wider.
    static const bool temOriginal = QFontDatabase::hasFamily(QStringLiteral("MS Sans Serif")) ||
                                    QFontDatabase::hasFamily(QStringLiteral("Microsoft Sans Serif"));
    QFont f;
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                   QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("Nimbus Sans"),
                   QStringLiteral("DejaVu Sans")});
    f.setPointSizeF(temOriginal ? pontos : pontos - 0.5);
    f.setBold(negrito);
    return f;
}

template <class W> W* coloca(W* w, const QString& nome, int esquerda, int topo, int largura, int altura) {
    w->setObjectName(nome);
    w->setGeometry(twips(esquerda, topo, largura, altura));
    return w;
}

Rotulo* rotulo(QWidget* pai, const QString& nome, const QString& texto, int e, int t, int l, int a,
               Qt::Alignment alinhamento = Qt::AlignLeft | Qt::AlignTop) {
    auto* r = new Rotulo(pai, nome, texto);
    r->colocaTwips(e, t, l, a);
    r->setAlignment(alinhamento);
    return r;
}

Forma* forma(QWidget* pai, const QString& nome, int e, int t, int l, int a,
             Forma::Tipo tipo = Forma::Tipo::Retangulo) {
    auto* f = new Forma(pai, nome, tipo);
    f->colocaTwips(e, t, l, a);
    return f;
}

QFrame* moldura(QWidget* pai, const QString& nome, int e, int t, int l, int a) {
    auto* f = coloca(new QFrame(pai), nome, e, t, l, a);
    f->setFrameShape(QFrame::Box);
    f->setFrameShadow(QFrame::Sunken);
    return f;
}

QString indexado(const char* nome, int i) {
    return QStringLiteral("%1_%2").arg(QLatin1String(nome)).arg(i);
}

} // namespace

struct Frm_Grava::Proprios {
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

Frm_Grava::Frm_Grava(const Servicos& s, QWidget* pai)
    : QMainWindow(pai), proprios_(std::make_unique<Proprios>()), servicos(proprios_->completa(s, this)) {
    setObjectName(QStringLiteral("Frm_Grava"));
    setWindowTitle(QStringLiteral("Corvalo USB/Serial"));
    setFont(fonteBase());
    monta_controles();
}

Frm_Grava::~Frm_Grava() = default;

void Frm_Grava::monta_controles() {
    auto adiciona = [this](QAction*& acao, const QString& nome, const QString& texto,
                           void (Frm_Grava::*h)()) {
        acao = menuBar()->addAction(texto);
        acao->setObjectName(nome);
        connect(acao, &QAction::triggered, this, h);
    };
    adiciona(mnuNovo, QStringLiteral("mnuNovo"), QStringLiteral("Novo"), &Frm_Grava::mnuNovo_Click);
    adiciona(mnu_Abrir, QStringLiteral("mnu_Abrir"), QStringLiteral("Abrir"), &Frm_Grava::mnu_Abrir_Click);
    adiciona(mnuSalvar, QStringLiteral("mnuSalvar"), QStringLiteral("Salvar"), &Frm_Grava::mnuSalvar_Click);
    adiciona(mnu_ativa_serial, QStringLiteral("mnu_ativa_serial"), QStringLiteral("Ativa Captura Serial"),
             &Frm_Grava::mnu_ativa_serial_Click);
    adiciona(mnuSair, QStringLiteral("mnuSair"), QStringLiteral("Sair"), &Frm_Grava::mnuSair_Click);

    auto* area = new QWidget(this);
    area->setObjectName(QStringLiteral("area_cliente"));
    area->setFixedSize(px(LARGURA_JANELA), px(ALTURA_JANELA));
    setCentralWidget(area);

    monta_tabelas(area);
    monta_ligacao(area);
    monta_teclado_pc(area);
    monta_lampadas(area);

    Txt_dado = coloca(new QLineEdit(QStringLiteral("Txt_dado"), area), QStringLiteral("Txt_dado"), 8505, 3495,
                      1275, 375);
    Txt_dado->hide();

    Tmr_POSICAO = new QTimer(this);
    Tmr_POSICAO->setObjectName(QStringLiteral("Tmr_POSICAO"));
    Tmr_POSICAO->setInterval(250);
    connect(Tmr_POSICAO, &QTimer::timeout, this, &Frm_Grava::Tmr_POSICAO_Timer);
    setFixedSize(sizeHint());
}

void Frm_Grava::monta_tabelas(QWidget* area) {
    TabStrip = coloca(new QTabWidget(area), QStringLiteral("TabStrip"), 90, 240, 6855, 2985);
    TabStrip->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 2px 6px; }"));
    for (const char* aba : {"Tabela 01", "Tabela 02", "Tabela 03", "Tabela 04", "LCM"})
        TabStrip->addTab(new QWidget(TabStrip), QString::fromLatin1(aba));
    TabStrip->setCurrentIndex(0);
    connect(TabStrip, &QTabWidget::currentChanged, this, [this] { TabStrip_Click(); });
    // Tabs change by a click only: a wheel turn would step the selection back.
    TabStrip->tabBar()->installEventFilter(new SemRoda(TabStrip));

    Frame[0] = moldura(area, indexado("Frame", 0), 180, 600, 6135, 2535);
    Frame[2] = moldura(area, indexado("Frame", 2), 180, 600, 6135, 2535);
    Frame[2]->hide();
    Frame[1] = moldura(area, indexado("Frame", 1), 6390, 555, 465, 2580);
    Lbl_tab = rotulo(Frame[1], QStringLiteral("Lbl_tab"), QStringLiteral("1"), 120, 1170, 270, 555,
                     Qt::AlignCenter);
    Lbl_tab->setFont(fonteBase(24, true));

    // The programmable keyboard: 5 rows of 13 keys, and key 65 off the grid, hidden.
    for (int k = 0; k <= 65; ++k) {
        const int col = k % 13;
        const int lin = k / 13;
        auto* sp = new Forma(Frame[0], indexado("Sp_TeclaLBtab", k));
        auto* lb = new Rotulo(Frame[0], indexado("Lbl_TeclaLBtab", k));
        if (k < 65) {
            sp->colocaTwips(135 + 450 * col, 135 + 450 * lin, 465, 495);
            lb->colocaTwips(165 + 450 * col, 165 + 450 * lin, 405, 435);
        } else {
            sp->colocaTwips(5850, 2205, 465, 495);
            lb->colocaTwips(5880, 2235, 405, 435);
            sp->hide();
            lb->hide();
        }
        sp->setFundoOpaco(true);
        sp->setBackColor(BRANCO);
        sp->lower();
        lb->setToolTip(QStringLiteral("0 (0h)"));
        connect(lb, &Rotulo::clicked, this, [this, k] { Lbl_TeclaLBtab_Click(k); });
        Lbl_TeclaLBtab[k] = lb;
        Sp_TeclaLBtab[k] = sp;
    }

    Chk_Tec44 = coloca(new QCheckBox(QStringLiteral("Teclado Norva USB/Serial"), area),
                       QStringLiteral("Chk_Tec44"), 4380, 300, 2565, 225);
    Chk_Tec44->setFont(fonteBase(8, true));
    connect(Chk_Tec44, &QCheckBox::stateChanged, this, [this] { Chk_Tec44_Click(); });

    monta_leitor_cartao();

    Frm_Envia = coloca(new QGroupBox(QStringLiteral("Enviando dados para o teclado"), area),
                       QStringLiteral("Frm_Envia"), 570, 2040, 6315, 1860);
    PBar = coloca(new QProgressBar(Frm_Envia), QStringLiteral("PBar"), 180, 405, 5955, 1095);
    PBar->setRange(0, 73);
    PBar->setValue(0);
    Frm_Envia->setAutoFillBackground(true);
    Frm_Envia->hide();
}

void Frm_Grava::monta_leitor_cartao() {
    QWidget* p = Frame[2];
    Label1[1] =
        rotulo(p, indexado("Label1", 1),
               QStringLiteral("Sentinelas Leitor de Cartão Magnético, Digite o Código ascii dos caracter "
                              "desejado, máximo 4 caracteres por sentinela."),
               270, 180, 5385, 435);
    Shape[1] = forma(p, indexado("Shape", 1), 240, 780, 2775, 1395);
    Shape[2] = forma(p, indexado("Shape", 2), 3090, 780, 2745, 1395);
    Label1[8] = rotulo(p, indexado("Label1", 8), QStringLiteral("Leitor Trilha 2"), 1140, 870, 1500, 195);
    Label1[9] = rotulo(p, indexado("Label1", 9), QStringLiteral("Leitor Trilha 3"), 3960, 870, 1500, 195);
    const std::array<const char*, 3> textos = {"Sentinela Inicial:", "Sentinela Final:", "Erro de Leitura:"};
    for (int i = 0; i < 3; ++i) {
        Label1[2 + i] = rotulo(p, indexado("Label1", 2 + i), QString::fromLatin1(textos[i]), 330,
                               1200 + 300 * i, 1230, 195);
        Label1[5 + i] = rotulo(p, indexado("Label1", 5 + i), QString::fromLatin1(textos[i]), 3180,
                               1230 + 300 * i, 1200, 195);
    }
    const auto caixas = [&](std::array<QLineEdit*, 4>& linha, const char* nome, int esquerda0, int topo,
                            const char* texto0) {
        for (int b = 0; b < 4; ++b) {
            auto* t = coloca(new QLineEdit(p), indexado(nome, b), esquerda0 + 330 * b, topo, 345, 285);
            // Three characters when typing; a longer code from a file shows whole.
            t->setValidator(new LimiteDigitacao(3, t));
            t->setText(b == 0 ? QString::fromLatin1(texto0) : QStringLiteral("00"));
            linha[b] = t;
        }
    };
    caixas(Txt_Inicial, "Txt_Inicial", 1560, 1155, "02");
    caixas(Txt_Final, "Txt_Final", 1560, 1455, "03");
    caixas(Txt_lcmErro, "Txt_lcmErro", 1560, 1755, "10");
    caixas(Txt_InicialT3, "Txt_InicialT3", 4380, 1170, "02");
    caixas(Txt_FinalT3, "Txt_FinalT3", 4380, 1470, "03");
    caixas(Txt_lcmErroT3, "Txt_lcmErroT3", 4380, 1770, "10");
}

void Frm_Grava::monta_ligacao(QWidget* area) {
    Cmd_Grava_Teclado = coloca(new QPushButton(QStringLiteral("Envia Configuração para o Teclado"), area),
                               QStringLiteral("Cmd_Grava_Teclado"), 7035, 30, 2910, 510);
    connect(Cmd_Grava_Teclado, &QPushButton::clicked, this, [this] { Cmd_Grava_Teclado_Click(); });
    Label9 = rotulo(area, QStringLiteral("Label9"), QStringLiteral("Porta Serial:"), 6990, 630, 855, 195);
    cmbserialterm = coloca(new QComboBox(area), QStringLiteral("cmbserialterm"), 7830, 570, 1005, 315);
    cmbserialterm->setEditable(true);
    cmbserialterm->setInsertPolicy(QComboBox::NoInsert);
    cmbserialterm->addItems(
        {QStringLiteral("Com1"), QStringLiteral("Com2"), QStringLiteral("Com3"), QStringLiteral("Com4")});
    Lbl_Atualiza =
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

    Shape[0] = forma(area, indexado("Shape", 0), 6975, 1110, 3030, 1485);
    Lbl_atencao =
        rotulo(area, QStringLiteral("Lbl_atencao"),
               QStringLiteral("Utilize o teclado abaixo ou o teclado ABNT de seu computador para definir "
                              "as teclas de seu Vantora."),
               7050, 1170, 2895, 615);
    Lbl_atencao1 =
        rotulo(area, QStringLiteral("Lbl_atencao1"),
               QStringLiteral("Para gerar duplo ou triplo zeros ou mais de um código em uma tecla, defina "
                              "um código em cada tabela, é possivel gerar até 4 códigos em uma tecla."),
               7020, 1785, 2985, 795);

    Chk_Prot44serial = coloca(new QCheckBox(QStringLiteral("Ativa protocolo Display Norva Serial"), area),
                              QStringLiteral("Chk_Prot44serial"), 7020, 2610, 2925, 195);
    Chk_Prot44serialBNC = coloca(new QCheckBox(QStringLiteral("Ativa protocolo Display BNC"), area),
                                 QStringLiteral("Chk_Prot44serialBNC"), 7020, 2850, 2925, 195);
    Chk_Prot44serialBNC->setToolTip(QStringLiteral("Altera o ACK = 0x06h"));
    Chk_Autoriza_prot =
        coloca(new QCheckBox(QStringLiteral("Autoriza modificar layout por outro protocolo"), area),
               QStringLiteral("Chk_Autoriza_prot"), 7020, 3060, 2925, 345);
    Chk_Autoriza_prot->setChecked(true);
    Chk_Autoriza_prot->hide();
    // Greyed only as a file left it: the operator's click makes it a plain box again.
    for (QCheckBox* c : {Chk_Prot44serial, Chk_Prot44serialBNC, Chk_Autoriza_prot})
        connect(c, &QCheckBox::clicked, c, [c] { c->setTristate(false); });
}

void Frm_Grava::monta_teclado_pc(QWidget* area) {
    // Shapes first, so that every label lies above every shape.
    for (int k = 0; k <= 111; ++k) {
        const auto r = forma_tecla_pc(k);
        if (!r) continue;
        auto* sp = forma(area, indexado("Sp_TeclaLB", k), r->esquerda, r->topo, r->largura, r->altura);
        sp->setFundoOpaco(true);
        sp->setBackColor(BRANCO);
        Sp_TeclaLB[k] = sp;
    }
    for (int k = 0; k <= 111; ++k) {
        const auto r = rotulo_tecla_pc(k);
        if (!r) continue;
        const QString design = k == 109   ? QStringLiteral("Iniciar")
                               : k == 111 ? QStringLiteral("Atalho")
                                          : QStringLiteral("Esc");
        auto* lb = rotulo(area, indexado("Lbl_TeclaLB", k), design, r->esquerda, r->topo, r->largura,
                          r->altura, Qt::AlignCenter);
        connect(lb, &Rotulo::clicked, this, [this, k] { Lbl_TeclaLB_Click(k); });
        Lbl_TeclaLB[k] = lb;
    }
    for (int k : {109, 111}) {
        Lbl_TeclaLB[k]->hide();
        Sp_TeclaLB[k]->hide();
    }
    Lbl_TeclaLBnula = rotulo(area, QStringLiteral("Lbl_TeclaLBnula"), QStringLiteral("Sem Código"), 7125,
                             5100, 645, 435, Qt::AlignCenter);
    connect(Lbl_TeclaLBnula, &Rotulo::clicked, this, [this] { Lbl_TeclaLBnula_Click(); });
}

void Frm_Grava::monta_lampadas(QWidget* area) {
    struct Coluna {
        Rotulo** legenda;
        const char* nomeLegenda;
        const char* texto;
        int esquerdaLegenda;
        Forma** fundo;
        const char* nomeFundo;
        int esquerdaFundo;
        int esquerdaLampada;
        Rotulo** simbolo;
        const char* nomeSimbolo;
        int esquerdaSimbolo;
    };
    Rotulo* num = nullptr;
    const std::array<Coluna, 4> colunas = {{
        {&num, "Label1_0", "Num", 8130, &Shape1, "Shape1", 8160, 8190, &Label4, "Label4", 8295},
        {&Label2, "Label2", "Caps", 8565, &Shape3, "Shape3", 8610, 8640, &Label5, "Label5", 8745},
        {&Label3, "Label3", "Scroll", 9030, &Shape4, "Shape4", 9060, 9090, &Label6, "Label6", 9180},
        {&Label8, "Label8", "ON", 9510, &Shape2, "Shape2", 9540, 9570, &Label7, "Label7", 9660},
    }};
    for (const Coluna& c : colunas) {
        *c.fundo = forma(area, QString::fromLatin1(c.nomeFundo), c.esquerdaFundo, 3450, 450, 585);
        (*c.fundo)->setFundoOpaco(true);
        (*c.fundo)->setBackColor(CIANO_CLARO);
    }
    for (int i = 0; i < 4; ++i) {
        const Coluna& c = colunas[i];
        *c.legenda = rotulo(area, QString::fromLatin1(c.nomeLegenda), QString::fromLatin1(c.texto),
                            c.esquerdaLegenda, 3450, 450, 195, Qt::AlignCenter);
        shpKeys[i] = forma(area, indexado("shpKeys", i), c.esquerdaLampada, 3825, 375, 165,
                           Forma::Tipo::RetanguloArredondado);
        shpKeys[i]->setPreenchido(true);
        shpKeys[i]->setFillColor(VERDE_ESCURO);
        // Character F2 of the Wingdings symbol font, a down arrow pointing at the lamp;
        // where that font is missing, the same arrow from Unicode.
        static const bool wingdings = QFontDatabase::hasFamily(QStringLiteral("Wingdings"));
        *c.simbolo =
            rotulo(area, QString::fromLatin1(c.nomeSimbolo), QString(QChar(wingdings ? 0xF0F2 : 0x21E9)),
                   c.esquerdaSimbolo, 3615, 195, 255, Qt::AlignCenter);
        QFont simbolo = fonteBase(12);
        if (wingdings) simbolo.setFamilies({QStringLiteral("Wingdings")});
        (*c.simbolo)->setFont(simbolo);
    }
    Label1[0] = num;
}

std::array<std::array<QLineEdit*, 4>*, 6> Frm_Grava::linhas_sentinela() {
    return {&Txt_Inicial, &Txt_Final, &Txt_lcmErro, &Txt_InicialT3, &Txt_FinalT3, &Txt_lcmErroT3};
}

int Frm_Grava::valor_caixa(const QCheckBox* caixa) {
    switch (caixa->checkState()) {
    case Qt::Unchecked:
        return 0;
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    }
    return 0;
}

void Frm_Grava::define_caixa(QCheckBox* caixa, int valor) {
    switch (valor) {
    case 0:
        caixa->setTristate(false);
        caixa->setCheckState(Qt::Unchecked);
        break;
    case 1:
        caixa->setTristate(false);
        caixa->setCheckState(Qt::Checked);
        break;
    case 2:
        caixa->setTristate(true);
        caixa->setCheckState(Qt::PartiallyChecked);
        break;
    default:
        throw ErroExecucao(ERRO_PROPRIEDADE);
    }
}

bool Frm_Grava::Form_Load() {
    const bool ok = trap(QStringLiteral("Form_Load"), [this] {
        Tecla_Atual = 0;
        Tecla_PC_Atual = 0;
        Fase_Pisca = 0;
        Captura_Suspensa = 0;
        Carrega_Padroes();
        limpa_tabelas();
        mostra_tabela(1);
        ListaPortasCbserial();
        poe_porta_guardada();
        Tmr_POSICAO->start();
        Ativa_Captura();
        Vigia_Portas.inicia(servicos.sinal_portas);
    });
    if (!ok) close();
    return ok;
}

void Frm_Grava::Form_Unload() {
    if (descarregada_) return;
    descarregada_ = true;
    Desativa_Captura();
    Tmr_POSICAO->stop();
}

void Frm_Grava::closeEvent(QCloseEvent* e) {
    Form_Unload();
    e->accept();
}

void Frm_Grava::mnuSair_Click() {
    close();
}

} // namespace vantora
