// The link without a line: port discovery, choice and opening with a test inventory
// and opener, the COM numbering, the extra ports, the settings text, and the
// exchange's sequencing against a scripted keyboard.
#include "comum/falsos.h"
#include "link/gravacao.h"
#include "link/troca.h"
#include "link/protocolo.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <map>
#ifdef Q_OS_WIN
#include <windows.h>
// after windows.h, whose types it uses
#include <dbt.h>
#endif

using namespace vantora;
using namespace vantora::teste;

namespace {

const QList<DispositivoSerial> DOIS_DISPOSITIVOS{
    {"USB Serial Port (COM3)", "FTDIBUS\\VID_0403+PID_6001+A1\\0000", "/dev/x3", 3},
    {"Communications Port (COM1)", "ACPI\\PNP0501\\1", "/dev/x1", 1}};

struct JanelaPortas : JanelaDeTeste {
    JanelaPortas() : JanelaDeTeste([](JanelaDeTeste& j) { j.inventario.dispositivos = DOIS_DISPOSITIVOS; }) {}
    [[nodiscard]] QStringList itens() const {
        QStringList r;
        for (int i = 0; i < lig->cmbserialterm->count(); ++i)
            r << lig->cmbserialterm->itemText(i);
        return r;
    }
    // Typed into the box, as the operator does; the port number the window takes.
    [[nodiscard]] int digita(const QString& texto) const {
        lig->cmbserialterm->lineEdit()->clear();
        QTest::keyClicks(lig->cmbserialterm->lineEdit(), texto);
        return lig->Porta_Serial_Verifica();
    }
};

// A keyboard on a virtual clock: the nth byte of `roteiro` is what it does with the
// nth message written (repeats and the end command counted), '5' accept it, '1'
// reject it, '.' leave it unanswered, 'L' accept it `atraso` ms late, 'x' hang up;
// past the script it accepts. Answers in time come 1 ms after the message.
struct TecladoVirtual {
    QByteArray roteiro;
    int atraso = 600;
};

// The exchange against it, in microseconds of real time: how it ended, the record
// indices the keyboard got (0 the flags record), and where the bar stood.
struct Desfecho {
    ResultadoTroca r;
    QList<int> indices;
    int barra = 0;
};
Desfecho troca_virtual(const TecladoVirtual& k) {
    using namespace std::chrono_literals;
    Troca t(CodigosTroca{}, [] { return 0; });
    Desfecho d;
    std::multimap<Instante, unsigned char> a_caminho;
    Instante agora{0};
    qsizetype escritas = 0;
    for (AcoesTroca a = t.inicia(agora); !a.terminou;) {
        for (std::size_t i = 0; i < a.escreve.size(); i += a.escreve[i] == COMANDO_FIM ? 1 : 6) {
            if (a.escreve[i] != COMANDO_FIM) d.indices << a.escreve[i + 1];
            const char c = escritas < k.roteiro.size() ? k.roteiro[escritas] : '5';
            ++escritas;
            if (c == 'x') {
                a = t.encerra(FimTroca::PortaPerdida);
                break;
            }
            const auto quando = agora + (c == 'L' ? std::chrono::milliseconds(k.atraso) : 1ms);
            if (c != '.') a_caminho.emplace(quando, c == '1' ? RESPOSTA_RECUSADO : RESPOSTA_ACEITO);
        }
        if (a.terminou) break;
        if (!a_caminho.empty() && a_caminho.begin()->first <= *a.prazo) {
            agora = a_caminho.begin()->first;
            const unsigned char b = a_caminho.begin()->second;
            a_caminho.erase(a_caminho.begin());
            a = t.recebe(&b, 1, agora);
        } else {
            agora = *a.prazo;
            a = t.tempo(agora);
        }
    }
    d.r = t.resultado();
    d.barra = t.progresso();
    return d;
}

} // namespace

class TestePortas : public QObject {
    Q_OBJECT
  private slots:
    // Fixed ranges (ttyS 1-32, ttyUSB 33-64, ttyACM 65-96); every other device is
    // numbered from 97 in name order, trailing numbers as numbers, whatever order the
    // system lists them in.
    void numeracao_linux() {
        QStringList a{"/dev/ttyUSB1", "/dev/ttyAMA10", "/dev/ttyS0",   "/dev/ttyAMA2",
                      "/dev/ttyS32",  "/dev/ttyACM31", "/dev/ttyUSB01"};
        std::vector<int> n{34, 98, 1, 97, 99, 96, 100};
        QCOMPARE(numera_linux(a), n);
        std::reverse(a.begin(), a.end());
        std::reverse(n.begin(), n.end());
        QCOMPARE(numera_linux(a), n);
    }

    // Extra ports are listed after the system's while their path exists; entries
    // without a number in 1..32767 or without a path are left out, and so is one
    // under a number already listed or given before (even to a path that is not
    // there), each said so: the number chosen always opens the device listed under it.
    void portas_extras() {
        QTemporaryDir dir;
        const QString existe = dir.filePath(QStringLiteral("tty-virtual"));
        QVERIFY(QFile(existe).open(QIODevice::WriteOnly));
        qputenv("VANTORA_EXTRA_PORTS",
                QStringLiteral("x=/a;0=/b;9=;=/c;;40000=/d;-3=/e;lixo;200 = %1 ;201=%2/nao-existe;201=%1")
                    .arg(existe, dir.path())
                    .toLocal8Bit());
        const auto inventario = criaInventarioSistema();
        const auto lista = inventario->lista();
        qunsetenv("VANTORA_EXTRA_PORTS");
        const QString ditos = inventario->avisos().join('\n');
        for (const QString entrada : {"\"x=/a\"", "\"0=/b\"", "\"9=\"", "\"=/c\"", "\"40000=/d\"",
                                      "\"-3=/e\"", "\"lixo\"", "COM201 já foi dado a"})
            QVERIFY2(ditos.contains(entrada), qPrintable(ditos));
        QCOMPARE(inventario->avisos().size(), 8);
        QCOMPARE(lista.last().nome, QStringLiteral("Porta virtual %1 (COM200)").arg(existe));

        QStringList avisos;
        QCOMPARE(junta_extras(DOIS_DISPOSITIVOS, {{3, "/tmp/sim"}}, avisos).size(), 2);
        QCOMPARE(avisos.size(), 1);
        QVERIFY2(avisos[0].contains("/tmp/sim") && avisos[0].contains("USB Serial Port (COM3)"),
                 qPrintable(avisos[0]));
    }

    // The port watch keeps the box as the inventory stands: at the system's notice, a
    // port that came or went changes the list, the chosen port and the typed text stay,
    // nothing changes the box when nothing changed, and a port left out is told once,
    // not at every refill; none is missed while the drop-down is open.
    void lista_acompanha_o_inventario() {
        JanelaPortas j;
        const DispositivoSerial com5{
            QStringLiteral("USB Serial Port (COM5)"), QStringLiteral("USB\\5"), {}, 5};
        QSignalSpy refeita(j.lig->cmbserialterm->model(), &QAbstractItemModel::rowsInserted);
        const auto olha = [&j] {
            const int antes = j.inventario.listas;
            emit j.sinal_portas.mudou();
            QTRY_VERIFY(j.inventario.listas > antes && !j.lig->Vigia_Portas.verificando());
        };
        j.lig->cmbserialterm->setCurrentIndex(1); // COM1 chosen
        // A port appears ahead of the chosen one, with a port left out of the list.
        j.inventario.avisosDaLista = QStringList{QStringLiteral("COM7 deixada de fora")};
        j.inventario.dispositivos.prepend(com5);
        olha();
        QCOMPARE(j.itens(), (QStringList{"COM5", "COM3", "COM1"}));
        QCOMPARE(int(j.lig->Porta_Serial_Verifica()), 3);
        QCOMPARE(j.mensagens.textos(), QStringList{"COM7 deixada de fora"});
        // The chosen adapter pulled out keeps its text, no longer a choice; plugged
        // back, it is chosen again; the message is not repeated.
        const DispositivoSerial com1 = j.inventario.dispositivos.takeLast();
        olha();
        QCOMPARE(j.itens(), (QStringList{"COM5", "COM3"}));
        QCOMPARE(j.lig->cmbserialterm->currentText(), QStringLiteral("COM1"));
        QCOMPARE(j.lig->cmbserialterm_ListIndex(), -1);
        j.inventario.dispositivos.append(com1);
        olha();
        QCOMPARE(j.lig->cmbserialterm_ListIndex(), 2);
        QCOMPARE(j.mensagens.vistas.size(), size_t(1));
        // "Atualiza" tells it again.
        j.lig->Lbl_Atualiza_Click();
        QCOMPARE(j.mensagens.vistas.size(), size_t(2));
        // Typed text survives a refill, cursor included.
        j.lig->cmbserialterm->lineEdit()->clear();
        QTest::keyClicks(j.lig->cmbserialterm->lineEdit(), QStringLiteral("35"));
        j.lig->cmbserialterm->lineEdit()->setCursorPosition(1);
        j.inventario.dispositivos.removeFirst();
        refeita.clear();
        olha();
        const int feitas = refeita.count();
        QCOMPARE(j.lig->cmbserialterm->currentText(), QStringLiteral("35"));
        QCOMPARE(j.lig->cmbserialterm->lineEdit()->cursorPosition(), 1);
        // A failing inventory, then an unchanged one, leave the box alone.
        j.inventario.falha = ERRO_TIPOS;
        olha();
        j.inventario.falha = 0;
        olha();
        QCOMPARE(refeita.count(), feitas);
        QCOMPARE(j.mensagens.vistas.size(), size_t(2));
        // A port that comes while the drop-down is open shows once it closes, with no
        // further notice from the system.
        j.lig->cmbserialterm->showPopup();
        j.inventario.dispositivos.append(com5);
        olha();
        QCOMPARE(refeita.count(), feitas);
        j.lig->cmbserialterm->hidePopup();
        QTRY_VERIFY(j.itens().contains("COM5"));
    }

#ifdef Q_OS_WIN
    // Windows tells the program's windows of a device that came or went (and the
    // thread, where no window is made); other device-change messages say nothing of
    // ports.
    void aviso_do_windows() {
        const auto sinal = criaSinalPortasSistema();
        QSignalSpy avisos(sinal.get(), &SinalPortas::mudou);
        QWidget janela;
        janela.show();
        QVERIFY(QTest::qWaitForWindowExposed(&janela));
        const bool com_janela = QGuiApplication::platformName() == QLatin1String("windows");
        for (const WPARAM o_que : {WPARAM(DBT_CONFIGCHANGED), WPARAM(DBT_DEVNODES_CHANGED)}) {
            if (com_janela) SendMessageW(HWND(janela.winId()), WM_DEVICECHANGE, o_que, 0);
            PostThreadMessageW(GetCurrentThreadId(), WM_DEVICECHANGE, o_que, 0);
            QCoreApplication::processEvents();
        }
        QCOMPARE(avisos.count(), com_janela ? 2 : 1);
    }
#endif

    // The port list, what a number typed selects, and the port opened once per port
    // and settings: the same again keeps it (and writes no setting), another speed or
    // port reopens it. Then the ways it fails: a device gone, an opening refused, a
    // failing inventory, each reported under its own name.
    void escolha_e_abertura() {
        JanelaPortas j;
        QCOMPARE(j.itens(), (QStringList{"COM3", "COM1"}));
        // Start-up leaves the stored setting typed in the box, no item selected.
        QCOMPARE(j.lig->cmbserialterm->currentText(), QStringLiteral("1"));
        QCOMPARE(j.lig->cmbserialterm_ListIndex(), -1);
        // Typing "1": the box is refilled and COM1 selected.
        QCOMPARE(j.digita(QStringLiteral("1")), 2);
        QCOMPARE(j.lig->cmbserialterm->currentText(), QStringLiteral("COM1"));
        QCOMPARE(j.digita(QStringLiteral("7")), 0); // a number no port has
        QCOMPARE(j.lig->cmbserialterm->currentIndex(), -1);
        QCOMPARE(j.digita(QStringLiteral(" 3 ")), 1);
        // The capture command with COM1 typed (a name, no number): the number error.
        QCOMPARE(j.digita(QStringLiteral("COM1")), 0);
        j.lig->mnu_ativa_serial_Click();
        QCOMPARE(j.mensagens.vistas.at(0).icone, Icone::Informacao);
        QVERIFY(j.portas.aberturas.isEmpty());

        QVERIFY(j.lig->Abre_Porta_Serial(1, QStringLiteral("9600,N,8,1")));
        QCOMPARE(j.configuracao.valores.value(QStringLiteral("Sistema/Serial")), QStringLiteral("3"));
        j.configuracao.valores.clear();
        QVERIFY(j.lig->Abre_Porta_Serial(1, QStringLiteral("9600,n,8,1")));
        QVERIFY(j.configuracao.valores.isEmpty());
        QVERIFY(j.lig->Abre_Porta_Serial(1, QStringLiteral("57600,N,8,1")));
        QVERIFY(j.lig->Abre_Porta_Serial(2, QStringLiteral("57600,N,8,1")));
        QCOMPARE(j.portas.aberturas, (QStringList{"3 9600", "3 57600", "1 57600"}));
        // After a refresh the box holds 1 and the next choice is the entry numbered 1.
        j.lig->Lbl_Atualiza_Click();
        QCOMPARE(int(j.lig->Porta_Serial_Verifica()), 2);
        j.lig->Fecha_Porta_Serial();
        j.inventario.dispositivos.removeFirst();
        QVERIFY(!j.lig->Abre_Porta_Serial(1, QStringLiteral("9600,N,8,1")));

        // An opening refused (a bad number, then a port another program holds): the
        // capture command reports it, paints white and stores no port; an exchange stops
        // there too.
        j.configuracao.valores.clear();
        j.portas.erro = 8002;
        j.lig->mnu_ativa_serial_Click();
        QCOMPARE(j.lig->Shp_Captura_serial->FillColor(), BRANCO);
        QVERIFY(!j.lig->MSComm1->PortOpen());
        QVERIFY(j.configuracao.valores.isEmpty());
        j.portas.erro = 8005; // another program holds the port
        j.lig->Cmd_Grava_Teclado_Click();
        QVERIFY(!j.lig->gravacao_em_curso());

        j.inventario.falha = 75;
        j.lig->Lbl_Atualiza_Click();
        j.lig->mnu_ativa_serial_Click();
        QVERIFY(j.itens().isEmpty());
        const QString erro = QStringLiteral("Este programa executou um erro numero 8002");
        const QString falha = QStringLiteral(
            "Error 75 (Erro de acesso ao caminho/arquivo) in procedure %1 of Formulário Frm_Grava");
        QCOMPARE(j.mensagens.textos(),
                 (QStringList{QStringLiteral("Erro no Numero da Porta Serial"),
                              QStringLiteral("Porta: USB Serial Port (COM3) não localizada"), erro,
                              QStringLiteral("Não foi possivel abrir esta porta serial"),
                              falha.arg("ListaPortasCbserial"), falha.arg("mnu_ativa_serial_Click")}));
    }

    // A permission error is another program holding the port (8005), except on a Linux
    // device the user may not write to (70); a Windows name is never asked about.
    void erro_de_abertura_por_plataforma() {
        QStringList perguntados;
        const auto gravavel = [&perguntados](const QString& c) {
            perguntados << c;
            return false;
        };
        QCOMPARE(erro_de_abertura(QSerialPort::PermissionError, "COM3", {}, gravavel).numero(), 8005);
        QCOMPARE(erro_de_abertura(QSerialPort::PermissionError, "/dev/ttyUSB0", {}, gravavel).numero(), 70);
        QCOMPARE(erro_de_abertura(QSerialPort::DeviceNotFoundError, "/dev/ttyUSB1", {}, gravavel).numero(),
                 8002);
        QCOMPARE(perguntados, QStringList{"/dev/ttyUSB0"});
    }

    // A settings text other than the line's two is refused with error 380; the
    // control refuses output while closed and a port change while open.
    void controle_serial() {
        AberturaFalsa abertura;
        MSComm c(&abertura);
        QCOMPARE(erro_de([&c] { c.setSettings(QStringLiteral("9600,N,9,1")); }).first, 380);
        QVERIFY_THROWS_EXCEPTION(ErroExecucao, c.setOutput(QByteArray("x")));
        c.setCommPort(4);
        c.setPortOpen(true);
        QVERIFY_THROWS_EXCEPTION(ErroExecucao, c.setCommPort(5));
    }

    // The exchange on a virtual clock, every way it ends, worded for vantora-prog and
    // for the window. A rejection costs one failure and a record left unanswered two;
    // at six the exchange is abandoned. Failures spread over records never add up (each
    // record left unanswered twice and then taken). Answers later than the wait are
    // credited to no record: a record answered late goes out again once the line is
    // quiet, a refusal is never taken for the next record's answer, three late answers
    // in a row end as a keyboard that stopped answering, half an hour's delay is none.
    void troca_no_relogio_virtual() {
        const QString parcial = "o teclado ficou parcialmente gravado: aceitou %1 de 71 registros (teclas 1 a "
                                "%1); grave-o de novo";
        const QString recusa = "Erro de comunicação com o teclado";
        const QString calado = "o teclado não respondeu (porta errada, teclado desligado ou desconectado?); "
                               "nada foi gravado";
        const QString intacto = "o teclado não foi alterado";
        const auto ordem = [](int ate, QList<int> extra = {}) { // records 1..ate, `extra` sent again
            QList<int> r;
            for (int i = 1; i <= ate; ++i) {
                r << i;
                r << QList<int>(extra.count(i), i);
            }
            return r;
        };
        const auto aceita = [](int n) { return QByteArray(n, '5'); }; // the first n messages accepted
        const QString feito = "Gravação do teclado efetuada.";
        // The keyboard, how the exchange ends, the records sent, the texts for vantora-prog and the window.
        // clang-format off
        const std::tuple<TecladoVirtual, FimTroca, QList<int>, QString, QString> casos[] = {
            {{}, FimTroca::Gravado, ordem(71) << 0, feito, feito},
            {{QByteArray("..5").repeated(71)}, FimTroca::Gravado, ordem(71, ordem(71) + ordem(71)) << 0, feito, ""},
            {{aceita(9) + "L"}, FimTroca::Gravado, ordem(71, {10}) << 0, feito, ""},
            {{aceita(9) + "LL"}, FimTroca::Gravado, ordem(71, {10, 10}) << 0, feito, ""},
            {{aceita(9) + "L", 1200}, FimTroca::Gravado, ordem(71, {10}) << 0, feito, ""},
            {{"111111"}, FimTroca::Recusado, QList<int>(6, 1),
             recusa + " (o teclado não aceitou o layout); " + intacto, recusa},
            {{aceita(10) + "111111"}, FimTroca::Recusado, ordem(10) << QList<int>(6, 11),
             recusa + " (o teclado não aceitou o layout); " + parcial.arg(10), recusa + "\n\nO" + parcial.arg(10).mid(1) + "."},
            {{"1..."}, FimTroca::ParouDeResponder, QList<int>(4, 1),
             "o teclado parou de responder no registro 1; " + intacto, recusa},
            {{aceita(7) + "..."}, FimTroca::ParouDeResponder, ordem(7) << 8 << 8 << 8,
             "o teclado parou de responder no registro 8; " + parcial.arg(7), ""},
            {{aceita(10) + "LLL"}, FimTroca::ParouDeResponder, ordem(10) << 11 << 11 << 11,
             "o teclado parou de responder no registro 11; " + parcial.arg(10), ""},
            {{"LLL", 2147484}, FimTroca::NaoRespondeu, {1, 1, 1}, calado, recusa + "\n\nO" + calado.mid(1) + "."},
            {{"5555x"}, FimTroca::PortaPerdida, ordem(5),
             "erro 8020 (a porta deixou de responder) durante a gravação; o teclado ficou parcialmente gravado: "
             "aceitou 4 de 71 registros (teclas 1 a 4); grave-o de novo",
             "A porta serial deixou de responder durante a gravação (adaptador desconectado?). O" +
                 parcial.arg(4).mid(1) + "."},
            {{"x"}, FimTroca::PortaPerdida, {1},
             "o teclado não respondeu (a porta deixou de responder); nada foi gravado", ""}};
        // clang-format on
        for (const auto& [k, fim, indices, prog, janela] : casos) {
            const Desfecho d = troca_virtual(k);
            QCOMPARE(int(d.r.fim), int(fim));
            QCOMPARE(d.indices, indices);
            QCOMPARE(QString::fromStdString(texto_resultado(d.r, false)), prog);
            if (!janela.isEmpty()) QCOMPARE(QString::fromStdString(texto_resultado(d.r, true)), janela);
            QCOMPARE(d.barra, fim == FimTroca::Gravado ? 73 : d.r.aceitos + (fim == FimTroca::PortaPerdida));
        }
    }
};

QTEST_MAIN(TestePortas)
#include "teste_portas.moc"
