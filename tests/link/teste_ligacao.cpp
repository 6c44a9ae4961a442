// The keyboard link end to end: the window on one side of a pseudo-terminal,
// vantora-sim answering like the keyboard on the other.
#include "comum/disco.h"
#include "comum/falsos.h"
#include "link/simulador.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace vantora;
using namespace vantora::teste;

namespace {

constexpr int PORTA = 250; // the emulator's port, through VANTORA_EXTRA_PORTS

// The window with the machine's own inventory (plus the emulator's port) and the
// real port opener; the stored port setting names the emulator's port.
struct JanelaLigacao {
    MensagensFalsas mensagens;
    ConfiguracaoFalsa configuracao;
    std::unique_ptr<InventarioPortas> inventario;
    std::unique_ptr<AberturaPortasQt> portas;
    std::unique_ptr<Frm_Grava> janela;

    explicit JanelaLigacao(const QString& caminho) {
        qputenv("VANTORA_EXTRA_PORTS", QStringLiteral("%1=%2").arg(PORTA).arg(caminho).toLocal8Bit());
        configuracao.valores[QStringLiteral("Sistema/Serial")] = QString::number(PORTA);
        inventario = criaInventarioSistema();
        portas = std::make_unique<AberturaPortasQt>(*inventario);
        Servicos s;
        s.mensagens = &mensagens;
        s.configuracao = &configuracao;
        s.inventario = inventario.get();
        s.portas = portas.get();
        janela = std::make_unique<Frm_Grava>(s);
        janela->Form_Load();
    }
    Frm_Grava* operator->() const { return janela.get(); }
};

// A layout whose every value differs from its neighbours: entry k of table t holds
// (k * 7 + t * 31) % 256; entry 65 holds 99, which must never be sent.
void enche_tabelas(Frm_Grava& j) {
    for (int t = 1; t <= 4; ++t) {
        for (int k = 0; k < 65; ++k)
            j.codigos.tabela(t)[size_t(k)] = std::int16_t((k * 7 + t * 31) % 256);
        j.codigos.tabela(t)[65] = 99;
    }
    const auto linhas = j.linhas_sentinela();
    for (int i = 0; i < 6; ++i)
        for (int b = 0; b < 4; ++b)
            (*linhas[size_t(i)])[size_t(b)]->setText(QString::number(10 * i + b + 1));
}

QString tecla_esperada(const Frm_Grava& j, int k) {
    return QStringLiteral("%1 %2 %3 %4")
        .arg(j.codigos.Codigos_Tab1[size_t(k)])
        .arg(j.codigos.Codigos_Tab2[size_t(k)])
        .arg(j.codigos.Codigos_Tab3[size_t(k)])
        .arg(j.codigos.Codigos_Tab4[size_t(k)]);
}

QList<int> ordem_completa() {
    QList<int> r;
    for (int i = 1; i <= 71; ++i) // key records 1..65, sentinel records 66..71
        r << i;
    r << 0; // the flags record
    return r;
}

// The state every way out of an exchange leaves behind.
void confere_ocioso(const Frm_Grava& j) {
    QCOMPARE(j.Cmd_Grava_Teclado_Tag, QStringLiteral("0"));
    QCOMPARE(int(j.Captura_Suspensa), 0);
    QVERIFY(j.Frm_Envia->isHidden());
    QVERIFY(j.Tmr_POSICAO->isActive());
    QVERIFY(j.Cmd_Grava_Teclado->isEnabled());
    QVERIFY(j.mnu_Abrir->isEnabled());
    QVERIFY(j.mnuSalvar->isEnabled());
    QVERIFY(j.mnuNovo->isEnabled());
    QVERIFY(j.mnu_ativa_serial->isEnabled());
    QVERIFY(!j.gravacao_em_curso());
}

const QString SUCESSO = QStringLiteral("Gravação do teclado efetuada.");
const QString FALHA = QStringLiteral("Erro de comunicação com o teclado");

} // namespace

class TesteLigacao : public QObject {
    Q_OBJECT
  private slots:
    void gravacao_completa_data();
    void gravacao_completa();
    void recusas_e_silencios_data();
    void recusas_e_silencios();
    void registro_de_opcoes_data();
    void registro_de_opcoes();
    void durante_a_gravacao();
    void arquivo_do_emulador_em_disco_cheio();
    void sim_e_nao_pelo_teclado_do_pc();
    void comandos_suspensos_durante_a_gravacao();
    void linha_desligada_no_meio();
    void valores_fora_da_faixa_nada_enviam_data();
    void valores_fora_da_faixa_nada_enviam();
    void porta_nao_escolhida();
    void captura_serial();
    void captura_e_depois_gravacao();
    void porta_presa_por_outro_programa();
    void linha_desligada_na_captura();
    // Last: once told to quit, the program's event loops no longer run.
    void programa_encerrado_no_meio();
};

// An all-accepting keyboard gets 433 bytes, in order, decoding to the layout held.
void TesteLigacao::gravacao_completa_data() {
    QTest::addColumn<int>("opcao");
    QTest::addColumn<int>("velocidade");
    QTest::addColumn<bool>("ruido");
    QTest::newRow("57600") << 1 << 57600 << false;
    QTest::newRow("9600") << 0 << 9600 << false;
    QTest::newRow("57600 com ruido 06 FA FE") << 1 << 57600 << true;
}

void TesteLigacao::gravacao_completa() {
    QFETCH(int, opcao);
    QFETCH(int, velocidade);
    QFETCH(bool, ruido);
    QTemporaryDir dir;
    const QString key = dir.filePath(QStringLiteral("recebido.key"));
    QStringList args{QStringLiteral("--saida"), key};
    if (ruido) args << QStringLiteral("--ruido");
    Simulador sim(args);
    QVERIFY(!sim.caminho.isEmpty());
    JanelaLigacao j(sim.caminho);
    enche_tabelas(*j.janela);
    j->Opt_9600[size_t(opcao)]->setChecked(true);
    j->Cmd_Grava_Teclado->click();

    QCOMPARE(j.mensagens.textos(), QStringList{SUCESSO});
    QCOMPARE(j.mensagens.vistas[0].titulo, QStringLiteral("Grava Dados Teclado"));
    QCOMPARE(j.mensagens.vistas[0].icone, Icone::Informacao);
    QVERIFY(sim.espera(QStringLiteral("FIM_LAYOUT")));
    QCOMPARE(sim.valor(QStringLiteral("BYTES")), QStringLiteral("433"));
    QCOMPARE(sim.valor(QStringLiteral("VELOCIDADE")), QString::number(velocidade));
    QCOMPARE(sim.indices(), ordem_completa());
    for (const auto& r : sim.registros())
        QCOMPARE(r.resposta, QStringLiteral("5"));
    // Key record 1 carries entry 0; key record 65 entry 64; entry 65 never goes out.
    for (int k = 0; k < 65; ++k)
        QCOMPARE(sim.valor(QStringLiteral("TECLA %1").arg(k + 1, 2, 10, QLatin1Char('0'))),
                 tecla_esperada(*j.janela, k));
    for (int s = 66; s <= 71; ++s) {
        const int i = s - 66;
        QCOMPARE(
            sim.valor(QStringLiteral("SENTINELA %1").arg(s)),
            QStringLiteral("%1 %2 %3 %4").arg(10 * i + 1).arg(10 * i + 2).arg(10 * i + 3).arg(10 * i + 4));
    }
    // The hidden "Autoriza" box is checked at start-up: options byte 0.
    QCOMPARE(sim.valor(QStringLiteral("OPCOES")), QStringLiteral("0"));
    QCOMPARE(j->PBar->value(), 73);
    QVERIFY(!j->MSComm1->PortOpen());
    QCOMPARE(j->Shp_Captura_serial->FillColor(), BRANCO);
    confere_ocioso(*j.janela);

    // The emulator's layout file holds what arrived.
    QFile f(key);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray texto = f.readAll();
    QVERIFY(texto.startsWith("[Teclado]\r\nTipo=Vantora\r\nProt=1\r\n"));
    QVERIFY(texto.contains("[Tab3]\r\nT0=" + QByteArray::number(j->codigos.Codigos_Tab3[0]) + "\r\n"));
    QVERIFY(
        texto.contains("T64=" + QByteArray::number(j->codigos.Codigos_Tab4[64]) + "\r\nT65=0\r\nT66=4\r\n"));
}

void TesteLigacao::recusas_e_silencios_data() {
    QTest::addColumn<QStringList>("argumentos");
    QTest::addColumn<QList<int>>("indices");
    QTest::addColumn<QString>("mensagem");
    QTest::addColumn<int>("barra");

    QList<int> seis_vezes_o_3{1, 2, 3, 3, 3, 3, 3, 3};
    for (int i = 4; i <= 71; ++i)
        seis_vezes_o_3 << i;
    seis_vezes_o_3 << 0;
    // Record 3 is rejected five times and goes out a sixth time; the count resets.
    QTest::newRow("cinco recusas e aceito") << QStringList{QStringLiteral("--rejeita"), QStringLiteral("5"),
                                                           QStringLiteral("--a-partir"), QStringLiteral("3")}
                                            << seis_vezes_o_3 << SUCESSO << 73;
    QTest::newRow("seis recusas abandonam") << QStringList{QStringLiteral("--rejeita"), QStringLiteral("6")}
                                            << QList<int>{1, 1, 1, 1, 1, 1} << FALHA << 0;
    QTest::newRow("tres sem resposta abandonam")
        << QStringList{QStringLiteral("--silencia"), QStringLiteral("3"), QStringLiteral("--a-partir"),
                       QStringLiteral("2")}
        << QList<int>{1, 2, 2, 2} << FALHA << 1;
    // 1, then 3, 5, 7: the fourth attempt ends it.
    QTest::newRow("uma recusa e silencio") << QStringList{QStringLiteral("--rejeita"), QStringLiteral("1"),
                                                          QStringLiteral("--silencia"), QStringLiteral("10")}
                                           << QList<int>{1, 1, 1, 1} << FALHA << 0;
}

void TesteLigacao::recusas_e_silencios() {
    QFETCH(QStringList, argumentos);
    QFETCH(QList<int>, indices);
    QFETCH(QString, mensagem);
    QFETCH(int, barra);
    Simulador sim(argumentos);
    JanelaLigacao j(sim.caminho);
    j->Cmd_Grava_Teclado->click();
    QCOMPARE(j.mensagens.textos(), QStringList{mensagem});
    QCOMPARE(j.mensagens.vistas[0].titulo, QStringLiteral("Grava Dados Teclado"));
    QCOMPARE(j.mensagens.vistas[0].icone, mensagem == FALHA ? Icone::Exclamacao : Icone::Informacao);
    if (mensagem == SUCESSO)
        QVERIFY(sim.espera(QStringLiteral("FIM_LAYOUT")));
    else
        QTest::qWait(50); // anything still on its way arrives
    QCOMPARE(sim.indices(), indices);
    // An abandoned exchange sends neither the flags record nor the end command.
    QCOMPARE(sim.tem(QStringLiteral("FIM")), mensagem == SUCESSO);
    QCOMPARE(j->PBar->value(), barra);
    QVERIFY(!j->MSComm1->PortOpen());
    confere_ocioso(*j.janela);
}

// The flags record from the three boxes; the sentinel record from the design values.
void TesteLigacao::registro_de_opcoes_data() {
    QTest::addColumn<int>("autoriza");
    QTest::addColumn<int>("norva");
    QTest::addColumn<int>("bnc");
    QTest::addColumn<QByteArray>("registro");
    QTest::newRow("sem autorizacao, dois protocolos") << 0 << 1 << 1 << QByteArray::fromHex("910001000700");
    QTest::newRow("autorizado, nenhum protocolo") << 1 << 0 << 0 << QByteArray::fromHex("910001000000");
    QTest::newRow("caixas acinzentadas") << 2 << 2 << 2 << QByteArray::fromHex("910001000000");
    QTest::newRow("sem autorizacao so BNC") << 0 << 0 << 1 << QByteArray::fromHex("910001000500");
}

void TesteLigacao::registro_de_opcoes() {
    QFETCH(int, autoriza);
    QFETCH(int, norva);
    QFETCH(int, bnc);
    QFETCH(QByteArray, registro);
    Simulador sim;
    JanelaLigacao j(sim.caminho);
    Frm_Grava::define_caixa(j->Chk_Autoriza_prot, autoriza);
    Frm_Grava::define_caixa(j->Chk_Prot44serial, norva);
    Frm_Grava::define_caixa(j->Chk_Prot44serialBNC, bnc);
    j->Cmd_Grava_Teclado_Click();
    QCOMPARE(j.mensagens.textos(), QStringList{SUCESSO});
    QVERIFY(sim.espera(QStringLiteral("FIM_LAYOUT")));
    const auto regs = sim.registros();
    QCOMPARE(regs.size(), 72);
    QCOMPARE(regs.last().bytes, registro);
    QCOMPARE(regs[65].bytes, QByteArray::fromHex("914202000000"));
}

// While the records go out, the sending frame lies above every control, and an
// option box changed during the sentinel phase is sent as it then stands.
void TesteLigacao::durante_a_gravacao() {
    Simulador sim;
    JanelaLigacao j(sim.caminho);
    QStringList por_cima;
    sim.aoLer = [&](const QString& l) {
        if (!l.startsWith(QLatin1String("REGISTRO 66:"))) return;
        j->Chk_Prot44serial->setChecked(true);
        // What a click or a paint finds at the frame's corners and on the PC keys row.
        QWidget* area = j->centralWidget();
        const QRect r = j->Frm_Envia->geometry();
        for (const QPoint& p : {r.bottomLeft() + QPoint(8, -8), r.bottomRight() - QPoint(8, 8), r.center()}) {
            QWidget* w = area->childAt(p);
            if (w != j->Frm_Envia && !j->Frm_Envia->isAncestorOf(w))
                por_cima << (w ? w->objectName() : QStringLiteral("-"));
        }
    };
    j->Cmd_Grava_Teclado_Click();
    QVERIFY(sim.espera(QStringLiteral("FIM_LAYOUT")));
    QCOMPARE(por_cima, QStringList{});
    QCOMPARE(sim.valor(QStringLiteral("OPCOES")), QStringLiteral("2"));
}

// The emulator writes what it received with the configurator's writer: a full disk
// is reported and the old file kept.
void TesteLigacao::arquivo_do_emulador_em_disco_cheio() {
    const QByteArray velho = "[Teclado]\r\nTipo=Vantora\r\n";
    DiscoCheio disco(QStringLiteral("recebido.key"), velho);
    if (!disco.motivo_sem.isEmpty()) QSKIP(qPrintable(disco.motivo_sem));
    Simulador sim({QStringLiteral("--saida"), disco.caminho(QStringLiteral("recebido.key"))});
    JanelaLigacao j(sim.caminho);
    enche_tabelas(*j.janela);
    j->Cmd_Grava_Teclado_Click();
    QVERIFY(sim.espera(QStringLiteral("FIM_LAYOUT")));
    QVERIFY2(sim.valor(QStringLiteral("ERRO")).contains(QStringLiteral("sem espaço no dispositivo")),
             qPrintable(sim.linhas.join('\n')));
    QFile f(disco.caminho(QStringLiteral("recebido.key")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), velho);
}

// "N" then "Y" typed on the PC keyboard answer a record the emulator leaves unanswered.
void TesteLigacao::sim_e_nao_pelo_teclado_do_pc() {
    Simulador sim({QStringLiteral("--silencia"), QStringLiteral("2")});
    JanelaLigacao j(sim.caminho);
    int vistos = 0;
    sim.aoLer = [&](const QString& l) {
        if (!l.startsWith(QLatin1String("REGISTRO "))) return;
        ++vistos;
        Frm_Grava* w = j.janela.get();
        if (vistos == 1)
            QTimer::singleShot(20, w, [w] { w->Localiza_TeclaPC(QStringLiteral("C031000178")); }); // N
        else if (vistos == 2)
            QTimer::singleShot(20, w, [w] { w->Localiza_TeclaPC(QStringLiteral("C015000189")); }); // Y
    };
    j->Cmd_Grava_Teclado_Click();
    QCOMPARE(j.mensagens.textos(), QStringList{SUCESSO});
    QVERIFY(sim.espera(QStringLiteral("FIM_LAYOUT")));
    // N rejected the first attempt and Y accepted the second; left to the silent
    // emulator alone, record 1 would have gone out three times.
    QList<int> esperado{1, 1};
    for (int i = 2; i <= 71; ++i)
        esperado << i;
    esperado << 0;
    QCOMPARE(sim.indices(), esperado);
    // The keys typed as answers gave no codes.
    QCOMPARE(int(j->codigos.Codigos_Tab1[0]), 0);
    confere_ocioso(*j.janela);
}

// While records go out, the send, Open, Save, New and capture commands are off, and
// a second click starts nothing.
void TesteLigacao::comandos_suspensos_durante_a_gravacao() {
    Simulador sim;
    JanelaLigacao j(sim.caminho);
    bool conferido = false;
    sim.aoLer = [&](const QString& l) {
        if (!l.startsWith(QLatin1String("REGISTRO 10:"))) return;
        Frm_Grava* w = j.janela.get();
        QTimer::singleShot(0, w, [w, &conferido] {
            conferido = !w->Cmd_Grava_Teclado->isEnabled() && !w->mnu_Abrir->isEnabled() &&
                        !w->mnuSalvar->isEnabled() && !w->mnuNovo->isEnabled() &&
                        !w->mnu_ativa_serial->isEnabled() && w->Cmd_Grava_Teclado_Tag == QLatin1String("1") &&
                        w->Captura_Suspensa == 1 && !w->Frm_Envia->isHidden() && !w->Tmr_POSICAO->isActive();
            w->Cmd_Grava_Teclado_Click(); // ignored
            w->mnu_ativa_serial_Click();  // ignored
        });
    };
    j->Cmd_Grava_Teclado_Click();
    QVERIFY(conferido);
    QCOMPARE(j.mensagens.textos(), QStringList{SUCESSO});
    QVERIFY(sim.espera(QStringLiteral("FIM_LAYOUT")));
    QCOMPARE(sim.valor(QStringLiteral("BYTES")), QStringLiteral("433"));
    confere_ocioso(*j.janela);
}

// The line hangs up after record 10: one message, no hang, port closed.
void TesteLigacao::linha_desligada_no_meio() {
    Simulador sim({QStringLiteral("--desliga"), QStringLiteral("10")});
    JanelaLigacao j(sim.caminho);
    QElapsedTimer t;
    t.start();
    j->Cmd_Grava_Teclado_Click();
    QVERIFY2(t.elapsed() < 3000, "the exchange ended soon after the line went");
    QCOMPARE(j.mensagens.vistas.size(), size_t(1));
    QVERIFY(j.mensagens.ultima().startsWith(
        QStringLiteral("A porta serial deixou de responder durante a gravação")));
    QCOMPARE(j.mensagens.vistas[0].titulo, QStringLiteral("Grava Dados Teclado"));
    QVERIFY(!j->MSComm1->PortOpen());
    QVERIFY(sim.espera(QStringLiteral("DESLIGADO")));
    QCOMPARE(sim.indices().size(), 10);
    confere_ocioso(*j.janela);
    // Nothing more is reported afterwards.
    QTest::qWait(100);
    QCOMPARE(j.mensagens.vistas.size(), size_t(1));
}

// A value that cannot be one byte stops the exchange before its first byte.
void TesteLigacao::valores_fora_da_faixa_nada_enviam_data() {
    QTest::addColumn<int>("tabela");
    QTest::addColumn<int>("tecla");
    QTest::addColumn<int>("codigo");
    QTest::addColumn<QString>("caixa"); // sentinel box to change instead, "linha,caixa,texto"
    QTest::addColumn<QString>("mensagem");
    QTest::newRow("codigo 300 na tecla 8 da tabela 2")
        << 2 << 7 << 300 << QString()
        << QStringLiteral(
               "A tecla 8 (linha 1, coluna 8) tem o código 300 na Tabela 02; os códigos vão de 0 a "
               "255. Nada foi enviado ao teclado.");
    QTest::newRow("codigo -1 na tecla 65")
        << 4 << 64 << -1 << QString()
        << QStringLiteral("A tecla 65 (linha 5, coluna 13) tem o código -1 "
                          "na Tabela 04; os códigos vão de 0 a 255. Nada foi "
                          "enviado ao teclado.");
    QTest::newRow("sentinela 300") << 0 << 0 << 0 << QStringLiteral("4,2,300")
                                   << QStringLiteral(
                                          "A caixa 3 de \"Sentinela Final, Leitor Trilha 3\" (LCM) tem "
                                          "o valor 300; os códigos vão de 0 a 255. Nada foi enviado ao "
                                          "teclado.");
    // An empty box is no number: the error trap names the command.
    QTest::newRow("sentinela vazia") << 0 << 0 << 0 << QStringLiteral("1,0,")
                                     << QStringLiteral("Error 13 (Tipos incompatíveis) in procedure "
                                                       "Cmd_Grava_Teclado_Click of Formulário Frm_Grava");
}

void TesteLigacao::valores_fora_da_faixa_nada_enviam() {
    QFETCH(int, tabela);
    QFETCH(int, tecla);
    QFETCH(int, codigo);
    QFETCH(QString, caixa);
    QFETCH(QString, mensagem);
    Simulador sim;
    JanelaLigacao j(sim.caminho);
    if (caixa.isEmpty()) {
        j->codigos.tabela(tabela)[size_t(tecla)] = std::int16_t(codigo);
    } else {
        const QStringList p = caixa.split(QLatin1Char(','));
        (*j->linhas_sentinela()[size_t(p[0].toInt())])[size_t(p[1].toInt())]->setText(p[2]);
    }
    j->Cmd_Grava_Teclado_Click();
    QCOMPARE(j.mensagens.textos(), QStringList{mensagem});
    QTest::qWait(50);
    QVERIFY(sim.registros().isEmpty());
    QVERIFY(!sim.tem(QStringLiteral("IGNORADO")));
    QCOMPARE(j->PBar->value(), 0);
    confere_ocioso(*j.janela);
}

void TesteLigacao::porta_nao_escolhida() {
    Simulador sim;
    JanelaLigacao j(sim.caminho);
    j->Txt_Final[1]->setText(QStringLiteral("7"));
    j->cmbserialterm->setEditText(QStringLiteral("COM250"));
    j->Cmd_Grava_Teclado_Click();
    QCOMPARE(j.mensagens.textos(), QStringList{QStringLiteral("Erro no Numero da Porta Serial")});
    QCOMPARE(j.mensagens.vistas[0].icone, Icone::Informacao);
    QCOMPARE(int(j->codigos.Codigos_Tab2[67]), 7); // the sentinel copy was made first
    QTest::qWait(30);
    QVERIFY(sim.registros().isEmpty());
    confere_ocioso(*j.janela);
}

// Bytes arriving outside an exchange become codes of the selected key, "5" and "1" too.
void TesteLigacao::captura_serial() {
    Simulador sim;
    JanelaLigacao j(sim.caminho);
    j.configuracao.valores.clear();
    j->mnu_ativa_serial_Click();
    QVERIFY(j.mensagens.vistas.empty());
    QCOMPARE(j->Shp_Captura_serial->FillColor(), 0x8000u);
    QCOMPARE(j.configuracao.valores.value(QStringLiteral("Sistema/Serial")), QString::number(PORTA));
    j->Lbl_TeclaLBtab_Click(3);
    sim.comando(QStringLiteral("envia 41 35 31 00"));
    QTRY_COMPARE(int(j->Tecla_Atual), 7);
    QCOMPARE(int(j->codigos.Codigos_Tab1[3]), 65);
    QCOMPARE(int(j->codigos.Codigos_Tab1[4]), 53);
    QCOMPARE(int(j->codigos.Codigos_Tab1[5]), 49);
    QCOMPARE(int(j->codigos.Codigos_Tab1[6]), 0);
    QCOMPARE(j->Lbl_TeclaLBtab[3]->caption(), QStringLiteral("A"));
    QCOMPARE(j->Lbl_TeclaLBtab[4]->toolTip(), QStringLiteral("53 (35h)"));
    QCOMPARE(int(j->Resposta_Teclado), 0);

    // Choosing the command again at the same settings keeps the port.
    j->mnu_ativa_serial_Click();
    QCOMPARE(j->Shp_Captura_serial->FillColor(), 0x8000u);
    j->seleciona_aba(2);
    j->Lbl_TeclaLBtab_Click(10);
    sim.comando(QStringLiteral("envia 0d"));
    QTRY_COMPARE(int(j->codigos.Codigos_Tab2[10]), 13);
    QCOMPARE(j->Lbl_TeclaLBtab[10]->caption(), QStringLiteral("CR"));
}

// A capture port open at the same settings serves the exchange, which closes it.
void TesteLigacao::captura_e_depois_gravacao() {
    Simulador sim;
    JanelaLigacao j(sim.caminho);
    j->mnu_ativa_serial_Click();
    QVERIFY(j->MSComm1->PortOpen());
    j->Cmd_Grava_Teclado_Click();
    QCOMPARE(j.mensagens.textos(), QStringList{SUCESSO});
    QVERIFY(sim.espera(QStringLiteral("FIM_LAYOUT")));
    QCOMPARE(sim.valor(QStringLiteral("BYTES")), QStringLiteral("433"));
    QVERIFY(!j->MSComm1->PortOpen());
    QCOMPARE(j->Shp_Captura_serial->FillColor(), BRANCO);
    // The port is closed: bytes from the keyboard no longer become codes.
    j->Lbl_TeclaLBtab_Click(0);
    sim.comando(QStringLiteral("envia 41"));
    QVERIFY(sim.espera(QStringLiteral("ENVIADO")));
    QTest::qWait(50);
    QCOMPARE(int(j->codigos.Codigos_Tab1[0]), 0);
    QCOMPARE(int(j->Tecla_Atual), 0);
}

void TesteLigacao::porta_presa_por_outro_programa() {
    Simulador sim;
    QProcess outro;
    outro.start(QStringLiteral(SEGURA_PORTA), {sim.caminho});
    QVERIFY(outro.waitForReadyRead(5000));
    QCOMPARE(outro.readLine().trimmed(), QByteArray("SEGURA"));
    JanelaLigacao j(sim.caminho);
    j->mnu_ativa_serial_Click();
    QCOMPARE(j.mensagens.textos(), QStringList{QStringLiteral("Não foi possivel abrir esta porta serial")});
    QCOMPARE(j.mensagens.vistas[0].icone, Icone::Nenhum);
    QCOMPARE(j->Shp_Captura_serial->FillColor(), BRANCO);
    QVERIFY(!j->MSComm1->PortOpen());
    outro.closeWriteChannel();
    QVERIFY(outro.waitForFinished(5000));
    // Once the other program lets go, the port opens.
    j->mnu_ativa_serial_Click();
    QCOMPARE(j.mensagens.vistas.size(), size_t(1));
    QCOMPARE(j->Shp_Captura_serial->FillColor(), 0x8000u);
}

// The line goes away while capture is on: reported once, indicator white, closed.
void TesteLigacao::linha_desligada_na_captura() {
    Simulador sim;
    JanelaLigacao j(sim.caminho);
    j->mnu_ativa_serial_Click();
    QVERIFY(j->MSComm1->PortOpen());
    sim.comando(QStringLiteral("desliga"));
    QTRY_VERIFY(!j->MSComm1->PortOpen());
    QTest::qWait(100);
    QCOMPARE(j.mensagens.vistas.size(), size_t(1));
    QVERIFY(j.mensagens.ultima().startsWith(QStringLiteral("A porta serial deixou de responder")));
    QCOMPARE(j->Shp_Captura_serial->FillColor(), BRANCO);
}

// The window is closed (the program told to quit) while records go out: the exchange
// stops at once, says nothing more, and closes the port.
void TesteLigacao::programa_encerrado_no_meio() {
    Simulador sim;
    JanelaLigacao j(sim.caminho);
    sim.aoLer = [&](const QString& l) {
        if (l.startsWith(QLatin1String("REGISTRO 5:"))) QCoreApplication::exit(0);
    };
    QElapsedTimer t;
    t.start();
    j->Cmd_Grava_Teclado_Click();
    QVERIFY(t.elapsed() < 1000);
    QVERIFY(j.mensagens.vistas.empty());
    QVERIFY(!j->MSComm1->PortOpen());
    QCOMPARE(j->Cmd_Grava_Teclado_Tag, QStringLiteral("0"));
    QVERIFY(sim.registros().size() <= 6);
}

QTEST_MAIN(TesteLigacao)
#include "teste_ligacao.moc"
