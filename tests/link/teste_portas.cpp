// Port discovery, choice and opening with a test inventory and opener; the COM
// numbering, the extra ports and the settings text.
#include "comum/falsos.h"

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

struct JanelaPortas {
    MensagensFalsas mensagens;
    ConfiguracaoFalsa configuracao;
    InventarioFalso inventario;
    AberturaFalsa portas;
    std::unique_ptr<Frm_Grava> janela;

    explicit JanelaPortas(QList<DispositivoSerial> dispositivos) {
        inventario.dispositivos = std::move(dispositivos);
        Servicos s;
        s.mensagens = &mensagens;
        s.configuracao = &configuracao;
        s.inventario = &inventario;
        s.portas = &portas;
        janela = std::make_unique<Frm_Grava>(s);
        janela->Form_Load();
    }
    Frm_Grava* operator->() const { return janela.get(); }
    [[nodiscard]] QStringList itens() const {
        QStringList r;
        for (int i = 0; i < janela->cmbserialterm->count(); ++i)
            r << janela->cmbserialterm->itemText(i);
        return r;
    }
    // What the operator does by typing into the box.
    void digita(const QString& texto) const {
        janela->cmbserialterm->lineEdit()->clear();
        QTest::keyClicks(janela->cmbserialterm->lineEdit(), texto);
    }
};

const QString ID_USB = QStringLiteral("FTDIBUS\\VID_0403+PID_6001+A1\\0000");
const QString ID_ACPI = QStringLiteral("ACPI\\PNP0501\\1");

QList<DispositivoSerial> dois_dispositivos() {
    return {{QStringLiteral("USB Serial Port (COM3)"), ID_USB, QStringLiteral("/dev/x3"), 3},
            {QStringLiteral("Communications Port (COM1)"), ID_ACPI, QStringLiteral("/dev/x1"), 1}};
}

} // namespace

class TestePortas : public QObject {
    Q_OBJECT
  private slots:
    void numeracao_linux_data();
    void numeracao_linux();
    void outros_dispositivos_em_ordem_estavel();
    void portas_extras_data();
    void portas_extras();
    void inventario_do_sistema_com_porta_virtual();
    void extra_com_numero_tomado();
    void erro_de_abertura_por_plataforma_data();
    void erro_de_abertura_por_plataforma();
    void parametros_data();
    void parametros();
    void numero_e_identificador_da_lista();
    void escolha_da_porta();
    void nenhum_dispositivo();
    void abertura_e_configuracao();
    void mesma_configuracao_mantem_outra_reabre();
    void dispositivo_removido();
    void lista_acompanha_o_inventario();
    void falhas_na_abertura_data();
    void falhas_na_abertura();
    void inventario_falhando();
    void controle_serial();
};

void TestePortas::numeracao_linux_data() {
    QTest::addColumn<QString>("caminho");
    QTest::addColumn<int>("numero"); // 0: not one of the fixed ranges
    QTest::newRow("ttyS0") << QStringLiteral("/dev/ttyS0") << 1;
    QTest::newRow("ttyS31") << QStringLiteral("/dev/ttyS31") << 32;
    QTest::newRow("ttyS32") << QStringLiteral("/dev/ttyS32") << 0;
    QTest::newRow("ttyUSB0") << QStringLiteral("/dev/ttyUSB0") << 33;
    QTest::newRow("ttyUSB31") << QStringLiteral("/dev/ttyUSB31") << 64;
    QTest::newRow("ttyACM0") << QStringLiteral("/dev/ttyACM0") << 65;
    QTest::newRow("ttyACM31") << QStringLiteral("/dev/ttyACM31") << 96;
    QTest::newRow("ttyUSB01") << QStringLiteral("/dev/ttyUSB01") << 0;
    QTest::newRow("ttyAMA0") << QStringLiteral("/dev/ttyAMA0") << 0;
    QTest::newRow("pts") << QStringLiteral("/dev/pts/3") << 0;
}

void TestePortas::numeracao_linux() {
    QFETCH(QString, caminho);
    QFETCH(int, numero);
    QCOMPARE(numero_fixo_linux(caminho).value_or(0), numero);
}

void TestePortas::outros_dispositivos_em_ordem_estavel() {
    const QStringList a{QStringLiteral("/dev/ttyUSB1"), QStringLiteral("/dev/ttyAMA10"),
                        QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyAMA2"),
                        QStringLiteral("/dev/rfcomm0")};
    QCOMPARE(numera_linux(a), (std::vector<int>{34, 99, 1, 98, 97}));
    // Listed in another order, each device keeps its number.
    const QStringList b{QStringLiteral("/dev/ttyAMA2"), QStringLiteral("/dev/rfcomm0"),
                        QStringLiteral("/dev/ttyAMA10"), QStringLiteral("/dev/ttyS0"),
                        QStringLiteral("/dev/ttyUSB1")};
    QCOMPARE(numera_linux(b), (std::vector<int>{98, 97, 99, 1, 34}));
}

void TestePortas::portas_extras_data() {
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QStringList>("esperado");
    QTest::newRow("vazio") << QString() << QStringList{};
    QTest::newRow("duas") << QStringLiteral("9=/dev/pts/3;12=/tmp/a b")
                          << QStringList{"9 /dev/pts/3", "12 /tmp/a b"};
    QTest::newRow("entradas ruins") << QStringLiteral("x=/a;0=/b;9=;=/c;;40000=/d;7 = /e ")
                                    << QStringList{"7 /e"};
}

void TestePortas::portas_extras() {
    QFETCH(QString, texto);
    QFETCH(QStringList, esperado);
    QStringList r;
    for (const PortaExtra& e : le_portas_extras(texto))
        r << QStringLiteral("%1 %2").arg(e.numero).arg(e.caminho);
    QCOMPARE(r, esperado);
}

// Extra ports are listed after the system's while their path exists.
void TestePortas::inventario_do_sistema_com_porta_virtual() {
    QTemporaryDir dir;
    const QString existe = dir.filePath(QStringLiteral("tty-virtual"));
    QFile f(existe);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    qputenv("VANTORA_EXTRA_PORTS",
            QStringLiteral("200=%1;201=%2/nao-existe").arg(existe, dir.path()).toLocal8Bit());
    auto inv = criaInventarioSistema();
    const auto lista = inv->lista();
    QVERIFY(!lista.isEmpty());
    const DispositivoSerial& ultimo = lista.last();
    QCOMPARE(ultimo.nome, QStringLiteral("Porta virtual %1 (COM200)").arg(existe));
    QCOMPARE(ultimo.numero, 200);
    for (const auto& d : lista)
        QVERIFY(!d.nome.contains(QLatin1String("COM201")));
    QCOMPARE(inv->nome_por_id(existe), ultimo.nome);
    QCOMPARE(inv->avisos(), QStringList{});
    QCOMPARE(inv->caminho(200), existe);
    QVERIFY(inv->caminho(201).isEmpty());
    Mdl_Serial m(inv.get());
    m.Busca_Portas();
    QCOMPARE(m.Lista_Portas.back().Numero, QStringLiteral("200"));
    QVERIFY(m.Porta_Presente(m.Lista_Portas.back().Id_Dispositivo));
    QVERIFY(QFile::remove(existe));
    QVERIFY(!m.Porta_Presente(m.Lista_Portas.back().Id_Dispositivo));
    qunsetenv("VANTORA_EXTRA_PORTS");
}

// An extra port under a number already listed is left out, and said so at start-up
// and on "Atualiza": the number chosen always opens the device listed under it.
void TestePortas::extra_com_numero_tomado() {
    const QList<DispositivoSerial> sistema = dois_dispositivos();
    QStringList avisos;
    const auto lista = junta_extras(sistema, {{3, "/tmp/sim"}, {7, "/tmp/a"}, {7, "/tmp/b"}}, avisos);
    QStringList nomes;
    for (const auto& d : lista)
        nomes << QStringLiteral("%1 %2").arg(d.numero).arg(d.caminho);
    QCOMPARE(nomes, (QStringList{"3 /dev/x3", "1 /dev/x1", "7 /tmp/a"}));
    QCOMPARE(avisos.size(), 2);
    QVERIFY2(avisos[0].contains("/tmp/sim") && avisos[0].contains("COM3") &&
                 avisos[0].contains("USB Serial Port (COM3)"),
             qPrintable(avisos[0]));
    QVERIFY2(avisos[1].contains("/tmp/b") && avisos[1].contains("/tmp/a (COM7)"), qPrintable(avisos[1]));

    JanelaPortas j(sistema);
    j.inventario.avisosDaLista = avisos;
    j->Lbl_Atualiza_Click();
    QCOMPARE(j.mensagens.textos(), avisos);
}

// A permission error is another program holding the port (8005), except on a Linux
// device the user may not write to (70); a Windows name is never asked about.
void TestePortas::erro_de_abertura_por_plataforma_data() {
    QTest::addColumn<int>("erroQt");
    QTest::addColumn<QString>("caminho");
    QTest::addColumn<bool>("gravavel");
    QTest::addColumn<int>("numero");
    QTest::newRow("Windows, presa") << int(QSerialPort::PermissionError) << "COM3" << false << 8005;
    QTest::newRow("Linux, presa") << int(QSerialPort::PermissionError) << "/dev/ttyUSB0" << true << 8005;
    QTest::newRow("Linux, sem direito") << int(QSerialPort::PermissionError) << "/dev/ttyUSB0" << false << 70;
    QTest::newRow("Windows, inexistente") << int(QSerialPort::DeviceNotFoundError) << "COM9" << false << 8002;
    QTest::newRow("outro") << int(QSerialPort::OpenError) << "COM3" << true << 8010;
}
void TestePortas::erro_de_abertura_por_plataforma() {
    QFETCH(int, erroQt);
    QFETCH(QString, caminho);
    QFETCH(bool, gravavel);
    QFETCH(int, numero);
    QStringList perguntados;
    const ErroExecucao e = erro_de_abertura(erroQt, caminho, QStringLiteral("texto"), [&](const QString& c) {
        perguntados << c;
        return gravavel;
    });
    QCOMPARE(e.numero(), numero);
    QCOMPARE(perguntados.isEmpty(), !caminho.startsWith('/') || erroQt != int(QSerialPort::PermissionError));
}

void TestePortas::parametros_data() {
    QTest::addColumn<QString>("texto");
    QTest::addColumn<int>("velocidade"); // 0: refused with error 380
    QTest::newRow("9600") << QStringLiteral("9600,N,8,1") << 9600;
    QTest::newRow("57600 minusculas") << QStringLiteral("57600,n,8,1") << 57600;
    QTest::newRow("par 7 2") << QStringLiteral("1200,E,7,2") << 1200;
    QTest::newRow("tres campos") << QStringLiteral("9600,N,8") << 0;
    QTest::newRow("paridade X") << QStringLiteral("9600,X,8,1") << 0;
    QTest::newRow("velocidade texto") << QStringLiteral("rapido,N,8,1") << 0;
    QTest::newRow("9 bits") << QStringLiteral("9600,N,9,1") << 0;
}

void TestePortas::parametros() {
    QFETCH(QString, texto);
    QFETCH(int, velocidade);
    try {
        const ParametrosSerial p = le_parametros(texto);
        QCOMPARE(p.velocidade, velocidade);
    } catch (const ErroExecucao& e) {
        QCOMPARE(velocidade, 0);
        QCOMPARE(e.numero(), 380);
    }
}

void TestePortas::numero_e_identificador_da_lista() {
    QCOMPARE(numero_do_nome(QStringLiteral("USB Serial Port (COM12)")), QStringLiteral("12"));
    QCOMPARE(numero_do_nome(QStringLiteral("FT232R USB UART /dev/ttyUSB0 (COM33)")), QStringLiteral("33"));
    QCOMPARE(escapa_id(ID_ACPI), QStringLiteral("ACPI\\\\PNP0501\\\\1"));
    QCOMPARE(escapa_id(QStringLiteral("/dev/ttyS0")), QStringLiteral("/dev/ttyS0"));

    JanelaPortas j(dois_dispositivos());
    QCOMPARE(int(j->serial.Qtd_Portas), 2);
    QCOMPARE(j->serial.Lista_Portas[1].Numero, QStringLiteral("3"));
    QCOMPARE(j->serial.Lista_Portas[2].Numero, QStringLiteral("1"));
    QCOMPARE(j->serial.Lista_Portas[2].Id_Dispositivo, QStringLiteral("ACPI\\\\PNP0501\\\\1"));
    QVERIFY(j->serial.Porta_Presente(j->serial.Lista_Portas[2].Id_Dispositivo));
    QCOMPARE(j.itens(), (QStringList{QStringLiteral("COM3"), QStringLiteral("COM1")}));
    // Start-up leaves the stored setting typed in the box, no item selected.
    QCOMPARE(j->cmbserialterm->currentText(), QStringLiteral("1"));
    QCOMPARE(j->cmbserialterm_ListIndex(), -1);
}

void TestePortas::escolha_da_porta() {
    JanelaPortas j(dois_dispositivos());
    // Selecting the item COM1.
    j->cmbserialterm->setCurrentIndex(1);
    QCOMPARE(int(j->Porta_Serial_Verifica()), 2);
    // Typing "1": the box is refilled and COM1 selected.
    j.digita(QStringLiteral("1"));
    QCOMPARE(j->cmbserialterm_ListIndex(), -1);
    QCOMPARE(int(j->Porta_Serial_Verifica()), 2);
    QCOMPARE(j->cmbserialterm->currentIndex(), 1);
    QCOMPARE(j->cmbserialterm->currentText(), QStringLiteral("COM1"));
    // Selected item, then its text overtyped by a port name: not a number.
    j.digita(QStringLiteral("COM3"));
    QCOMPARE(int(j->Porta_Serial_Verifica()), 0);
    // A number no port has: refilled, nothing selected.
    j.digita(QStringLiteral("7"));
    QCOMPARE(int(j->Porta_Serial_Verifica()), 0);
    QCOMPARE(j->cmbserialterm->currentIndex(), -1);
    QCOMPARE(j.itens(), (QStringList{QStringLiteral("COM3"), QStringLiteral("COM1")}));
    // " 3 " is the number 3.
    j.digita(QStringLiteral(" 3 "));
    QCOMPARE(int(j->Porta_Serial_Verifica()), 1);

    // The capture command with the text COM1 typed: the number error, indicator white.
    j.digita(QStringLiteral("COM1"));
    j->mnu_ativa_serial_Click();
    QCOMPARE(j.mensagens.textos(), QStringList{QStringLiteral("Erro no Numero da Porta Serial")});
    QCOMPARE(j.mensagens.vistas[0].icone, Icone::Informacao);
    QCOMPARE(j->Shp_Captura_serial->FillColor(), BRANCO);
    QVERIFY(j.portas.aberturas.empty());
}

void TestePortas::nenhum_dispositivo() {
    JanelaPortas j({});
    QCOMPARE(int(j->serial.Qtd_Portas), 0);
    QVERIFY(j.itens().isEmpty());
    QCOMPARE(int(j->Porta_Serial_Verifica()), 0);
    j.digita(QStringLiteral("3"));
    QCOMPARE(int(j->Porta_Serial_Verifica()), 0);
}

void TestePortas::abertura_e_configuracao() {
    JanelaPortas j(dois_dispositivos());
    QVERIFY(j->Abre_Porta_Serial(1, QStringLiteral("9600,N,8,1")));
    QVERIFY(j.mensagens.vistas.empty());
    QCOMPARE(j.portas.aberturas.size(), size_t(1));
    QCOMPARE(j.portas.aberturas[0].numero, 3);
    QCOMPARE(j.portas.aberturas[0].parametros.velocidade, 9600);
    QCOMPARE(int(j->MSComm1->CommPort()), 3);
    QCOMPARE(j->MSComm1->RThreshold(), 1);
    QCOMPARE(j->MSComm1->InputLen(), 1);
    QVERIFY(!j->MSComm1->NullDiscard());
    QCOMPARE(j.configuracao.valores.value(QStringLiteral("Sistema/Serial")), QStringLiteral("3"));
    // After a refresh the box holds 3 and the next choice is the entry numbered 3.
    j->Lbl_Atualiza_Click();
    QCOMPARE(j->cmbserialterm->currentText(), QStringLiteral("3"));
    QCOMPARE(j->cmbserialterm_ListIndex(), -1);
    QCOMPARE(int(j->Porta_Serial_Verifica()), 1);
    j->Fecha_Porta_Serial();
    QVERIFY(!j->MSComm1->PortOpen());
}

void TestePortas::mesma_configuracao_mantem_outra_reabre() {
    JanelaPortas j(dois_dispositivos());
    QVERIFY(j->Abre_Porta_Serial(1, QStringLiteral("9600,N,8,1")));
    j.configuracao.valores.clear();
    QVERIFY(j->Abre_Porta_Serial(1, QStringLiteral("9600,n,8,1")));
    QCOMPARE(j.portas.aberturas.size(), size_t(1));
    QVERIFY(j.configuracao.valores.isEmpty()); // nothing changed, nothing written
    QVERIFY(j->Abre_Porta_Serial(1, QStringLiteral("57600,N,8,1")));
    QCOMPARE(j.portas.aberturas.size(), size_t(2));
    QCOMPARE(j.portas.aberturas[1].parametros.velocidade, 57600);
    QCOMPARE(j->MSComm1->Settings(), QStringLiteral("57600,N,8,1"));
    QVERIFY(j->Abre_Porta_Serial(2, QStringLiteral("57600,N,8,1")));
    QCOMPARE(j.portas.aberturas.size(), size_t(3));
    QCOMPARE(j.portas.aberturas[2].numero, 1);

    // The capture command: same port and speed keeps it open and paints green.
    j->Opt_9600[1]->setChecked(true);
    j->cmbserialterm->setCurrentIndex(1);
    j->mnu_ativa_serial_Click();
    QCOMPARE(j.portas.aberturas.size(), size_t(3));
    QCOMPARE(j->Shp_Captura_serial->FillColor(), 0x8000u);
    j->Opt_9600[0]->setChecked(true);
    j->mnu_ativa_serial_Click();
    QCOMPARE(j.portas.aberturas.size(), size_t(4));
    QCOMPARE(j.portas.aberturas[3].parametros.velocidade, 9600);
    QVERIFY(j.mensagens.vistas.empty());
}

void TestePortas::dispositivo_removido() {
    JanelaPortas j(dois_dispositivos());
    QVERIFY(j->Abre_Porta_Serial(1, QStringLiteral("9600,N,8,1")));
    j.inventario.dispositivos.removeFirst();
    j.configuracao.valores.clear();
    QVERIFY(!j->Abre_Porta_Serial(1, QStringLiteral("9600,N,8,1")));
    QCOMPARE(j.mensagens.textos(),
             QStringList{QStringLiteral("Porta: USB Serial Port (COM3) não localizada")});
    QCOMPARE(j.mensagens.vistas[0].icone, Icone::Informacao);
    QVERIFY(!j->MSComm1->PortOpen());
    QVERIFY(j.configuracao.valores.isEmpty());
}

// Adapters plugged in and pulled out while the window is open, each look driven by hand.
void TestePortas::lista_acompanha_o_inventario() {
    JanelaPortas j(dois_dispositivos());
    const DispositivoSerial com5{QStringLiteral("USB Serial Port (COM5)"), QStringLiteral("USB\\5"), {}, 5};
    const DispositivoSerial com1 = j.inventario.dispositivos.at(1);
    QSignalSpy refeita(j->cmbserialterm->model(), &QAbstractItemModel::rowsInserted);
    const auto olha = [&j] {
        j->Vigia_Portas.verifica();
        QTRY_VERIFY(!j->Vigia_Portas.verificando());
    };
    const auto com = [](std::initializer_list<const char*> numeros) {
        QStringList l;
        for (const char* n : numeros)
            l << QStringLiteral("COM") + QLatin1String(n);
        return l;
    };
    j->cmbserialterm->setCurrentIndex(1); // COM1 chosen

    // Nothing changed: the box is not touched.
    olha();
    QCOMPARE(refeita.count(), 0);
    // A port appears ahead of the chosen one: COM1 stays chosen, at its new place.
    j.inventario.dispositivos.prepend(com5);
    olha();
    QCOMPARE(j.itens(), com({"5", "3", "1"}));
    QCOMPARE(int(j->Porta_Serial_Verifica()), 3);
    QCOMPARE(j->serial.Lista_Portas[3].Numero, QStringLiteral("1"));
    // The chosen adapter is pulled out: its text stays and it is no choice; plugged
    // back, it is chosen again.
    j.inventario.dispositivos.removeLast();
    olha();
    QCOMPARE(j.itens(), com({"5", "3"}));
    QCOMPARE(j->cmbserialterm->currentText(), QStringLiteral("COM1"));
    QCOMPARE(j->cmbserialterm_ListIndex(), -1);
    j.inventario.dispositivos.append(com1);
    olha();
    QCOMPARE(j->cmbserialterm_ListIndex(), 2);
    QCOMPARE(int(j->Porta_Serial_Verifica()), 3);

    // Text being typed survives, cursor included, and stays typed text.
    j.digita(QStringLiteral("35"));
    j->cmbserialterm->lineEdit()->setCursorPosition(1);
    j.inventario.dispositivos.removeFirst();
    refeita.clear();
    olha();
    const int feitas = refeita.count();
    QCOMPARE(j.itens(), com({"3", "1"}));
    QCOMPARE(j->cmbserialterm->currentText(), QStringLiteral("35"));
    QCOMPARE(j->cmbserialterm->lineEdit()->cursorPosition(), 1);
    QCOMPARE(j->cmbserialterm_ListIndex(), -1);

    // A failing inventory and an unchanged one leave the box alone, and say nothing.
    j.inventario.falha = ERRO_TIPOS;
    olha();
    j.inventario.falha = 0;
    olha();
    QCOMPARE(refeita.count(), feitas);
    QVERIFY(j.mensagens.vistas.empty());
}

void TestePortas::falhas_na_abertura_data() {
    QTest::addColumn<int>("erro");
    QTest::addColumn<QString>("mensagem");
    QTest::newRow("presa por outro programa")
        << 8005 << QStringLiteral("Não foi possivel abrir esta porta serial");
    QTest::newRow("numero invalido") << 8002 << QStringLiteral("Este programa executou um erro numero 8002");
    QTest::newRow("hardware") << 8010 << QStringLiteral("Este programa executou um erro numero 8010");
}

void TestePortas::falhas_na_abertura() {
    QFETCH(int, erro);
    QFETCH(QString, mensagem);
    JanelaPortas j(dois_dispositivos());
    j.portas.erro = erro;
    j->cmbserialterm->setCurrentIndex(0);
    j->mnu_ativa_serial_Click();
    QCOMPARE(j.mensagens.textos(), QStringList{mensagem});
    QCOMPARE(j.mensagens.vistas[0].icone, Icone::Nenhum);
    QCOMPARE(j->Shp_Captura_serial->FillColor(), BRANCO);
    QVERIFY(!j->MSComm1->PortOpen());
    QCOMPARE(j.configuracao.valores.value(QStringLiteral("Sistema/Serial")), QString());

    // The exchange stops there too, with the port closed and nothing else said.
    j.mensagens.vistas.clear();
    j->Cmd_Grava_Teclado_Click();
    QCOMPARE(j.mensagens.textos(), QStringList{mensagem});
    QCOMPARE(j->Cmd_Grava_Teclado_Tag, QStringLiteral("0"));
}

// A failing inventory: the refresh reports it under its own name; the capture
// command under its own.
void TestePortas::inventario_falhando() {
    JanelaPortas j(dois_dispositivos());
    j.inventario.falha = 75;
    j->Lbl_Atualiza_Click();
    QCOMPARE(j.mensagens.ultima(), QStringLiteral("Error 75 (Erro de acesso ao caminho/arquivo) in procedure "
                                                  "ListaPortasCbserial of Formulário Frm_Grava"));
    QVERIFY(j.itens().isEmpty());
    QCOMPARE(j->cmbserialterm->currentText(), QStringLiteral("1"));
    j->mnu_ativa_serial_Click();
    QCOMPARE(j.mensagens.ultima(), QStringLiteral("Error 75 (Erro de acesso ao caminho/arquivo) in procedure "
                                                  "mnu_ativa_serial_Click of Formulário Frm_Grava"));
}

// The control on an in-memory device: one event per received byte, Input one byte at
// a time, zero bytes kept, Output while closed refused.
void TestePortas::controle_serial() {
    AberturaFalsa abertura;
    MSComm c(&abertura);
    try {
        c.setOutput(QByteArray("x"));
        QFAIL("Output on a closed port");
    } catch (const ErroExecucao& e) {
        QCOMPARE(e.numero(), 8018);
    }
    c.setCommPort(4);
    c.setSettings(QStringLiteral("57600,N,8,1"));
    c.setPortOpen(true);
    c.setRThreshold(1);
    c.setInputLen(1);
    QByteArray lidos;
    int eventos = 0;
    QObject::connect(&c, &MSComm::OnComm, [&] {
        ++eventos;
        QCOMPARE(c.CommEvent(), comEvReceive);
        lidos += c.Input();
    });
    abertura.ultimo->buffer() = QByteArray("A\0"
                                           "5",
                                           3);
    abertura.ultimo->seek(0);
    emit abertura.ultimo->readyRead();
    QCOMPARE(eventos, 3);
    QCOMPARE(lidos, QByteArray("A\0"
                               "5",
                               3));
    QVERIFY(c.Input().isEmpty());
    try {
        c.setCommPort(5);
        QFAIL("port number changed while open");
    } catch (const ErroExecucao& e) {
        QCOMPARE(e.numero(), 8005);
    }
    c.setPortOpen(false);
    QVERIFY(!c.PortOpen());
}

QTEST_MAIN(TestePortas)
#include "teste_portas.moc"
