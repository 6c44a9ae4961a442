// The link without a line: port discovery, choice and opening with a test inventory
// and opener, the COM numbering, the extra ports, the settings text.
#include "comum/falsos.h"
#include "link/gravacao.h"
#include "link/protocolo.h"

#include <QComboBox>
#include <QSerialPort>
#include <QtTest>
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
    [[nodiscard]] QComboBox* caixa() const { return controle<QComboBox>(QStringLiteral("cmbserialterm")); }
    [[nodiscard]] QStringList itens() const {
        QStringList r;
        for (int i = 0; i < caixa()->count(); ++i)
            r << caixa()->itemText(i);
        return r;
    }
    // Typed into the box, as the operator does; the port number the window takes.
    [[nodiscard]] int digita(const QString& texto) const {
        caixa()->lineEdit()->clear();
        QTest::keyClicks(caixa()->lineEdit(), texto);
        return lig->Porta_Serial_Verifica();
    }
};

} // namespace

class TestePortas : public QObject {
    Q_OBJECT
  private slots:
    // Fixed ranges (ttyS 1-32, ttyUSB 33-64, ttyACM 65-96); every other device is
    // numbered from 97 in name order, trailing numbers as numbers, not in the order the
    // system lists them.
    void numeracao_linux() {
        const QStringList a{"/dev/ttyUSB1", "/dev/ttyAMA10", "/dev/ttyS0",   "/dev/ttyAMA2",
                            "/dev/ttyS32",  "/dev/ttyACM31", "/dev/ttyUSB01"};
        QCOMPARE(numera_linux(a), (std::vector<int>{34, 98, 1, 97, 99, 96, 100}));
    }

    // An extra port under the number of a port of the system's is left out, and said
    // so: the number chosen always opens the device listed under it. (The entries of
    // VANTORA_EXTRA_PORTS read, listed and left out: teste_ferramentas, through `ports`.)
    void portas_extras() {
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
        QSignalSpy refeita(j.caixa()->model(), &QAbstractItemModel::rowsInserted);
        const auto olha = [&j] {
            const int antes = j.inventario.listas;
            emit j.sinal_portas.mudou();
            QTRY_VERIFY(j.inventario.listas > antes && !j.lig->Vigia_Portas.verificando());
        };
        j.caixa()->setCurrentIndex(1); // COM1 chosen
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
        QCOMPARE(j.caixa()->currentText(), QStringLiteral("COM1"));
        QCOMPARE(j.lig->cmbserialterm_ListIndex(), -1);
        j.inventario.dispositivos.append(com1);
        olha();
        QCOMPARE(j.lig->cmbserialterm_ListIndex(), 2);
        QCOMPARE(j.mensagens.vistas.size(), size_t(1));
        // "Atualiza" tells it again.
        j.lig->Lbl_Atualiza_Click();
        QCOMPARE(j.mensagens.vistas.size(), size_t(2));
        // Typed text survives a refill, cursor included.
        j.caixa()->lineEdit()->clear();
        QTest::keyClicks(j.caixa()->lineEdit(), QStringLiteral("35"));
        j.caixa()->lineEdit()->setCursorPosition(1);
        j.inventario.dispositivos.removeFirst();
        refeita.clear();
        olha();
        const int feitas = refeita.count();
        QCOMPARE(j.caixa()->currentText(), QStringLiteral("35"));
        QCOMPARE(j.caixa()->lineEdit()->cursorPosition(), 1);
        // A failing inventory, then an unchanged one, leave the box alone.
        j.inventario.falha = ERRO_TIPOS;
        olha();
        j.inventario.falha = 0;
        olha();
        QCOMPARE(refeita.count(), feitas);
        QCOMPARE(j.mensagens.vistas.size(), size_t(2));
        // A port that comes while the drop-down is open shows once it closes, with no
        // further notice from the system.
        j.caixa()->showPopup();
        j.inventario.dispositivos.append(com5);
        olha();
        QCOMPARE(refeita.count(), feitas);
        j.caixa()->hidePopup();
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
        QCOMPARE(j.caixa()->currentText(), QStringLiteral("1"));
        QCOMPARE(j.lig->cmbserialterm_ListIndex(), -1);
        // Typing "1": the box is refilled and COM1 selected.
        QCOMPARE(j.digita(QStringLiteral("1")), 2);
        QCOMPARE(j.caixa()->currentText(), QStringLiteral("COM1"));
        QCOMPARE(j.digita(QStringLiteral("7")), 0); // a number no port has
        QCOMPARE(j.caixa()->currentIndex(), -1);
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
        QCOMPARE(j.controle<Forma>(QStringLiteral("Shp_Captura_serial"))->FillColor(), BRANCO);
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
};

QTEST_MAIN(TestePortas)
#include "teste_portas.moc"
