// The link without a line: port discovery, choice and opening with a test inventory
// and opener, the COM numbering, the extra ports, the settings text, and the
// exchange's sequencing against a scripted keyboard.
#include "comum/falsos.h"
#include "link/gravacao.h"
#include "link/protocolo.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace vantora;
using namespace vantora::teste;

namespace {

struct JanelaPortas : JanelaDeTeste {
    explicit JanelaPortas(QList<DispositivoSerial> dispositivos = dois_dispositivos())
        : JanelaDeTeste([&](JanelaDeTeste& j) { j.inventario.dispositivos = std::move(dispositivos); }) {}
    [[nodiscard]] QStringList itens() const {
        QStringList r;
        for (int i = 0; i < janela->cmbserialterm->count(); ++i)
            r << janela->cmbserialterm->itemText(i);
        return r;
    }
    // Typed into the box, as the operator does; the port number the window takes.
    [[nodiscard]] int digita(const QString& texto) const {
        janela->cmbserialterm->lineEdit()->clear();
        QTest::keyClicks(janela->cmbserialterm->lineEdit(), texto);
        return janela->Porta_Serial_Verifica();
    }
    static QList<DispositivoSerial> dois_dispositivos() {
        return {{"USB Serial Port (COM3)", "FTDIBUS\\VID_0403+PID_6001+A1\\0000", "/dev/x3", 3},
                {"Communications Port (COM1)", "ACPI\\PNP0501\\1", "/dev/x1", 1}};
    }
};

// A keyboard answering from a script (accepting once it runs out).
struct CanalRoteirizado : CanalGravacao {
    QList<int> respostas, enviados;
    int progresso = 0;
    void envia_registro(int indice, int, int, int, int) override { enviados << indice; }
    void envia_fim() override { enviados << 0x92; }
    int espera_resposta() override { return respostas.isEmpty() ? RESPOSTA_SIM : respostas.takeFirst(); }
    void avanca(int p) override { progresso += p; }
};

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
    // without a number in 1..32767 or without a path are left out.
    void inventario_do_sistema_com_porta_virtual() {
        QTemporaryDir dir;
        const QString existe = dir.filePath(QStringLiteral("tty-virtual"));
        QVERIFY(QFile(existe).open(QIODevice::WriteOnly));
        qputenv("VANTORA_EXTRA_PORTS",
                QStringLiteral("x=/a;0=/b;9=;=/c;;40000=/d;200 = %1 ;201=%2/nao-existe")
                    .arg(existe, dir.path())
                    .toLocal8Bit());
        auto inv = criaInventarioSistema();
        const auto lista = inv->lista();
        QCOMPARE(std::count_if(lista.begin(), lista.end(),
                               [](const auto& d) { return d.nome.startsWith("Porta virtual"); }),
                 1);
        QCOMPARE(lista.last().nome, QStringLiteral("Porta virtual %1 (COM200)").arg(existe));
        QCOMPARE(inv->nome_por_id(existe), lista.last().nome);
        QCOMPARE(inv->caminho(200), existe);
        QVERIFY(inv->caminho(201).isEmpty());
        Mdl_Serial m(inv.get());
        m.Busca_Portas();
        QVERIFY(m.Porta_Presente(m.Lista_Portas.back().Id_Dispositivo));
        QVERIFY(QFile::remove(existe));
        QVERIFY(!m.Porta_Presente(m.Lista_Portas.back().Id_Dispositivo));
        qunsetenv("VANTORA_EXTRA_PORTS");
    }

    // The port watch keeps the box as the inventory stands: a port that comes or goes
    // changes the list, the chosen port and the typed text stay, nothing changes the box
    // when nothing changed, and a port left out is told once, not at every refill.
    void lista_acompanha_o_inventario() {
        JanelaPortas j;
        const DispositivoSerial com5{
            QStringLiteral("USB Serial Port (COM5)"), QStringLiteral("USB\\5"), {}, 5};
        const DispositivoSerial com1 = j.inventario.dispositivos.at(1);
        QSignalSpy refeita(j->cmbserialterm->model(), &QAbstractItemModel::rowsInserted);
        const auto olha = [&j] {
            j->Vigia_Portas.verifica();
            QTRY_VERIFY(!j->Vigia_Portas.verificando());
        };
        j->cmbserialterm->setCurrentIndex(1); // COM1 chosen
        olha();
        QCOMPARE(refeita.count(), 0);
        // A port appears ahead of the chosen one, with a port left out of the list.
        j.inventario.avisosDaLista = QStringList{QStringLiteral("COM7 deixada de fora")};
        j.inventario.dispositivos.prepend(com5);
        olha();
        QCOMPARE(j.itens(), (QStringList{"COM5", "COM3", "COM1"}));
        QCOMPARE(int(j->Porta_Serial_Verifica()), 3);
        QCOMPARE(j.mensagens.textos(), QStringList{"COM7 deixada de fora"});
        // The chosen adapter pulled out keeps its text, no longer a choice; plugged
        // back, it is chosen again; the message is not repeated.
        j.inventario.dispositivos.removeLast();
        olha();
        QCOMPARE(j.itens(), (QStringList{"COM5", "COM3"}));
        QCOMPARE(j->cmbserialterm->currentText(), QStringLiteral("COM1"));
        QCOMPARE(j->cmbserialterm_ListIndex(), -1);
        j.inventario.dispositivos.append(com1);
        olha();
        QCOMPARE(j->cmbserialterm_ListIndex(), 2);
        QCOMPARE(j.mensagens.vistas.size(), size_t(1));
        // "Atualiza" tells it again.
        j->Lbl_Atualiza_Click();
        QCOMPARE(j.mensagens.vistas.size(), size_t(2));
        // Typed text survives a refill, cursor included.
        j->cmbserialterm->lineEdit()->clear();
        QTest::keyClicks(j->cmbserialterm->lineEdit(), QStringLiteral("35"));
        j->cmbserialterm->lineEdit()->setCursorPosition(1);
        j.inventario.dispositivos.removeFirst();
        refeita.clear();
        olha();
        const int feitas = refeita.count();
        QCOMPARE(j->cmbserialterm->currentText(), QStringLiteral("35"));
        QCOMPARE(j->cmbserialterm->lineEdit()->cursorPosition(), 1);
        // A failing inventory, then an unchanged one, leave the box alone.
        j.inventario.falha = ERRO_TIPOS;
        olha();
        j.inventario.falha = 0;
        olha();
        QCOMPARE(refeita.count(), feitas);
        QCOMPARE(j.mensagens.vistas.size(), size_t(2));
    }

    // An extra port under a number already listed is left out, and said so at start-up
    // and on "Atualiza": the number chosen always opens the device listed under it.
    void extra_com_numero_tomado() {
        QStringList avisos;
        const auto lista = junta_extras(JanelaPortas::dois_dispositivos(),
                                        {{3, "/tmp/sim"}, {7, "/tmp/a"}, {7, "/tmp/b"}}, avisos);
        QStringList nomes;
        for (const auto& d : lista)
            nomes << QStringLiteral("%1 %2").arg(d.numero).arg(d.caminho);
        QCOMPARE(nomes, (QStringList{"3 /dev/x3", "1 /dev/x1", "7 /tmp/a"}));
        QCOMPARE(avisos.size(), 2);
        QVERIFY2(avisos[0].contains("/tmp/sim") && avisos[0].contains("USB Serial Port (COM3)"),
                 qPrintable(avisos[0]));
        QVERIFY2(avisos[1].contains("/tmp/b") && avisos[1].contains("/tmp/a (COM7)"), qPrintable(avisos[1]));
        JanelaPortas j;
        j.inventario.avisosDaLista = avisos;
        j->Lbl_Atualiza_Click();
        QCOMPARE(j.mensagens.textos(), avisos);
    }

    // A permission error is another program holding the port (8005), except on a Linux
    // device the user may not write to (70); a Windows name is never asked about.
    void erro_de_abertura_por_plataforma_data() {
        QTest::addColumn<int>("erroQt");
        QTest::addColumn<QString>("caminho");
        QTest::addColumn<bool>("gravavel");
        QTest::addColumn<int>("numero");
        QTest::newRow("Windows, presa") << int(QSerialPort::PermissionError) << "COM3" << false << 8005;
        QTest::newRow("Linux, presa") << int(QSerialPort::PermissionError) << "/dev/ttyUSB0" << true << 8005;
        QTest::newRow("Linux, sem direito")
            << int(QSerialPort::PermissionError) << "/dev/ttyUSB0" << false << 70;
        QTest::newRow("Windows, inexistente")
            << int(QSerialPort::DeviceNotFoundError) << "COM9" << false << 8002;
    }
    void erro_de_abertura_por_plataforma() {
        QFETCH(int, erroQt);
        QFETCH(QString, caminho);
        QFETCH(bool, gravavel);
        QFETCH(int, numero);
        QStringList perguntados;
        const ErroExecucao e =
            erro_de_abertura(erroQt, caminho, QStringLiteral("texto"), [&](const QString& c) {
                perguntados << c;
                return gravavel;
            });
        QCOMPARE(e.numero(), numero);
        QCOMPARE(perguntados.isEmpty(),
                 !caminho.startsWith('/') || erroQt != int(QSerialPort::PermissionError));
    }

    void parametros_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<int>("velocidade"); // 0: refused with error 380
        QTest::newRow("57600 minusculas") << "57600,n,8,1" << 57600;
        QTest::newRow("par 7 2") << "1200,E,7,2" << 1200;
        QTest::newRow("tres campos") << "9600,N,8" << 0;
        QTest::newRow("paridade X") << "9600,X,8,1" << 0;
        QTest::newRow("9 bits") << "9600,N,9,1" << 0;
    }
    void parametros() {
        QFETCH(QString, texto);
        QFETCH(int, velocidade);
        try {
            QCOMPARE(le_parametros(texto).velocidade, velocidade);
        } catch (const ErroExecucao& e) {
            QCOMPARE(velocidade, 0);
            QCOMPARE(e.numero(), 380);
        }
    }

    // The list from the inventory, and what a number typed or an item chosen selects.
    void escolha_da_porta() {
        QCOMPARE(numero_do_nome(QStringLiteral("FT232R USB UART /dev/ttyUSB0 (COM33)")),
                 QStringLiteral("33"));
        JanelaPortas j;
        QCOMPARE(j->serial.Lista_Portas[2].Id_Dispositivo, QStringLiteral("ACPI\\\\PNP0501\\\\1"));
        QCOMPARE(j.itens(), (QStringList{"COM3", "COM1"}));
        // Start-up leaves the stored setting typed in the box, no item selected.
        QCOMPARE(j->cmbserialterm->currentText(), QStringLiteral("1"));
        QCOMPARE(j->cmbserialterm_ListIndex(), -1);
        // Typing "1": the box is refilled and COM1 selected.
        QCOMPARE(j.digita(QStringLiteral("1")), 2);
        QCOMPARE(j->cmbserialterm->currentText(), QStringLiteral("COM1"));
        QCOMPARE(j.digita(QStringLiteral("7")), 0); // a number no port has
        QCOMPARE(j->cmbserialterm->currentIndex(), -1);
        QCOMPARE(j.digita(QStringLiteral(" 3 ")), 1);
        // The capture command with COM1 typed (a name, no number): the number error.
        QCOMPARE(j.digita(QStringLiteral("COM1")), 0);
        j->mnu_ativa_serial_Click();
        QCOMPARE(j.mensagens.textos(), QStringList{QStringLiteral("Erro no Numero da Porta Serial")});
        QCOMPARE(j.mensagens.vistas[0].icone, Icone::Informacao);
        QVERIFY(j.portas.aberturas.empty());
        JanelaPortas vazia(QList<DispositivoSerial>{});
        QCOMPARE(vazia.digita(QStringLiteral("3")), 0);
    }

    // The port opens once per port and settings: the same again keeps it (and writes
    // no setting), another speed or port reopens it; a device gone is named.
    void abertura_e_reabertura() {
        JanelaPortas j;
        QVERIFY(j->Abre_Porta_Serial(1, QStringLiteral("9600,N,8,1")));
        QCOMPARE(j.portas.aberturas[0].numero, 3);
        QCOMPARE(j.configuracao.valores.value(QStringLiteral("Sistema/Serial")), QStringLiteral("3"));
        j.configuracao.valores.clear();
        QVERIFY(j->Abre_Porta_Serial(1, QStringLiteral("9600,n,8,1")));
        QCOMPARE(j.portas.aberturas.size(), size_t(1));
        QVERIFY(j.configuracao.valores.isEmpty());
        QVERIFY(j->Abre_Porta_Serial(1, QStringLiteral("57600,N,8,1")));
        QCOMPARE(j.portas.aberturas[1].parametros.velocidade, 57600);
        QVERIFY(j->Abre_Porta_Serial(2, QStringLiteral("57600,N,8,1")));
        QCOMPARE(j.portas.aberturas[2].numero, 1);
        // After a refresh the box holds 1 and the next choice is the entry numbered 1.
        j->Lbl_Atualiza_Click();
        QCOMPARE(int(j->Porta_Serial_Verifica()), 2);
        j->Fecha_Porta_Serial();
        j.inventario.dispositivos.removeFirst();
        QVERIFY(!j->Abre_Porta_Serial(1, QStringLiteral("9600,N,8,1")));
        QCOMPARE(j.mensagens.textos(),
                 QStringList{QStringLiteral("Porta: USB Serial Port (COM3) não localizada")});
    }

    // An error the pseudo-terminal cannot give (a bad number): the capture command
    // reports it, paints white and stores no port; an exchange stops there too.
    void falha_na_abertura() {
        const QString mensagem = QStringLiteral("Este programa executou um erro numero 8002");
        JanelaPortas j;
        j.portas.erro = 8002;
        j->cmbserialterm->setCurrentIndex(0);
        j->mnu_ativa_serial_Click();
        QCOMPARE(j.mensagens.textos(), QStringList{mensagem});
        QCOMPARE(j->Shp_Captura_serial->FillColor(), BRANCO);
        QVERIFY(!j->MSComm1->PortOpen());
        QCOMPARE(j.configuracao.valores.value(QStringLiteral("Sistema/Serial")), QString());
        j->Cmd_Grava_Teclado_Click();
        QCOMPARE(j.mensagens.textos(), (QStringList{mensagem, mensagem}));
        QCOMPARE(j->Cmd_Grava_Teclado_Tag, QStringLiteral("0"));
    }

    // A failing inventory: each command reports it under its own name.
    void inventario_falhando() {
        JanelaPortas j;
        j.inventario.falha = 75;
        j->Lbl_Atualiza_Click();
        j->mnu_ativa_serial_Click();
        const QString erro = QStringLiteral(
            "Error 75 (Erro de acesso ao caminho/arquivo) in procedure %1 of Formulário Frm_Grava");
        QCOMPARE(j.mensagens.textos(),
                 (QStringList{erro.arg("ListaPortasCbserial"), erro.arg("mnu_ativa_serial_Click")}));
        QVERIFY(j.itens().isEmpty());
    }

    // The control refuses output while closed and a port change while open.
    void controle_serial() {
        AberturaFalsa abertura;
        MSComm c(&abertura);
        QVERIFY_THROWS_EXCEPTION(ErroExecucao, c.setOutput(QByteArray("x")));
        c.setCommPort(4);
        c.setPortOpen(true);
        QVERIFY_THROWS_EXCEPTION(ErroExecucao, c.setCommPort(5));
        c.setPortOpen(false);
        QVERIFY(!c.PortOpen());
    }

    // Which records the exchange repeats and when it gives up, for answers the
    // emulator cannot give: "two unanswered" costs four of the six failures; a stray
    // byte is no answer; failures spread over several records never add up.
    void gravacao_roteirizada_data() {
        constexpr int S = RESPOSTA_SIM, X = 0;
        QTest::addColumn<QList<int>>("respostas");
        QTest::addColumn<int>("envios_do_primeiro");
        QTest::addColumn<int>("mensagens"); // records and end command written
        QTest::addColumn<bool>("abandonada");
        QTest::newRow("duas sem resposta e aceito") << QList<int>{X, X, S} << 3 << 75 << false;
        QTest::newRow("resposta estranha") << QList<int>{7, 7, 7} << 3 << 3 << true;
        QList<int> espalhadas;
        for (int i = 0; i < 70; ++i)
            espalhadas << X << X << S;
        QTest::newRow("falhas espalhadas") << espalhadas << 3 << 70 * 3 + 3 << false;
    }
    void gravacao_roteirizada() {
        QFETCH(QList<int>, respostas);
        QFETCH(int, envios_do_primeiro);
        QFETCH(int, mensagens);
        QFETCH(bool, abandonada);
        CanalRoteirizado canal;
        canal.respostas = respostas;
        const auto r = executa_gravacao(canal, CodigosLayout{}, 0);
        QCOMPARE(r == ResultadoGravacao::Abandonado, abandonada);
        QCOMPARE(canal.enviados.count(1), envios_do_primeiro);
        QCOMPARE(canal.enviados.size(), mensagens);
        QCOMPARE(canal.progresso, abandonada ? 0 : 73);
    }
};

QTEST_MAIN(TestePortas)
#include "teste_portas.moc"
