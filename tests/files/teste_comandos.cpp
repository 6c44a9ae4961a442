// The "Abrir" and "Salvar" commands of the window (what an open loads, the overwrite
// question, the messages of failures, key capture put back on every way out) and
// the real Qt file dialogs behind them.
#include "apoio.h"
#include "comum/falsos.h"
#include "files/dialogo.h"
#include "files/dialogo_qt.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace vantora;
using namespace vantora::teste;

namespace {

const QString TIPO_ERRADO = QStringLiteral("Arquivo referente a outro teclado");
const QString FILTRO = QStringLiteral("laytou teclado Ordavi (*.key)|*.key");
const QString TECLA_A = QStringLiteral("C01E000165"); // release of A: on-screen key 61, code 65

QString erro_em(const QString& proc, int n) {
    return QStringLiteral("Error %1 (Tipos incompatíveis) in procedure %2 of Formulário Frm_Grava")
        .arg(n)
        .arg(proc);
}

// What the operator sees of a layout: tables, option boxes, sentinel boxes, selection.
QStringList estado(const JanelaDeTeste& j) {
    QStringList e;
    for (int n = 1; n <= 4; ++n)
        for (auto v : j->codigos.tabela(n))
            e << QString::number(v);
    for (QCheckBox* c : {j->Chk_Autoriza_prot, j->Chk_Prot44serial, j->Chk_Prot44serialBNC})
        e << QString::number(Frm_Grava::valor_caixa(c));
    for (auto* linha : j->linhas_sentinela())
        for (QLineEdit* caixa : *linha)
            e << caixa->text();
    return e << QString::number(j->Tecla_Atual) << QString::number(j->aba_atual());
}

// A window with a layout of its own on view, key 7 selected.
void prepara(JanelaDeTeste& j) {
    j->codigos.Codigos_Tab1[0] = 9;
    j->codigos.Codigos_Tab3[66] = 5;
    j->Chk_Prot44serial->setCheckState(Qt::Checked);
    j->mostra_sentinelas();
    j->Lbl_TeclaLBtab_Click(7);
}

// Answers the next real file dialog with `nome` typed into its name box, as the
// operator does; a message box of Qt's own on the way is recorded and refused.
struct Operador {
    QFileDialog* visto = nullptr;
    QStringList caixas, filtros;
    QString pasta;
    QTimer timer;
    explicit Operador(const QString& nome) {
        QObject::connect(&timer, &QTimer::timeout, [this, nome] {
            QWidget* w = QApplication::activeModalWidget();
            auto* d = qobject_cast<QFileDialog*>(w);
            if (auto* caixa = qobject_cast<QMessageBox*>(w)) {
                caixas << caixa->text();
                caixa->reject();
            } else if (d && d == visto) {
                static_cast<QDialog*>(d)->reject(); // still open after our answer: give up
            } else if (d) {
                visto = d;
                filtros = d->nameFilters();
                pasta = d->directory().absolutePath();
                d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(nome);
                // As the Save button does, from the event loop, so this timer can still
                // answer a box the dialog might show.
                QTimer::singleShot(0, d, [d] { static_cast<QDialog*>(d)->accept(); });
            }
        });
        timer.start(10);
    }
};

class TesteComandos : public QObject {
    Q_OBJECT

  private slots:
    // Cancelled dialogs change nothing but copy the sentinel boxes for Save; both ask
    // with their titles, the filter and the folder; meanwhile capture is suspended and
    // a PC key only answers. A sentinel box without a number stops the save before the
    // dialog, the boxes before it copied; capture works afterwards.
    void dialogos_cancelados() {
        JanelaDeTeste j;
        prepara(j);
        j->Txt_lcmErroT3[3]->setText(QStringLiteral("065"));
        const QStringList antes = estado(j);
        j.dialogo.aoMostrar = [&](const DialogoVisto&) {
            QCOMPARE(j->Captura_Suspensa, std::int16_t(1));
            j->Localiza_TeclaPC(TECLA_A);
        };
        j->mnu_Abrir_Click();
        QCOMPARE(estado(j), antes);
        j->mnuSalvar_Click();
        QCOMPARE(j->Resposta_Teclado, std::int16_t(61));
        QCOMPARE(j->codigos.Codigos_Tab4[71], std::int16_t(65));
        QCOMPARE(j.dialogo.vistos.size(), std::size_t(2));
        for (const DialogoVisto& d : j.dialogo.vistos) {
            QCOMPARE(d.titulo,
                     QString(d.salvar ? "Salvar Layout Teclado Ordavi" : "Abri Layout Teclado Ordavi"));
            QCOMPARE(d.nome, QString(d.salvar ? "vantora" : ""));
            QCOMPARE(d.filtro, FILTRO);
            QCOMPARE(d.pasta, pasta_inicial(QCoreApplication::applicationDirPath()));
        }
        QVERIFY(j.mensagens.vistas.empty() && j->Arquivo_Atual.isEmpty());
        j->Txt_Inicial[3]->setText(QStringLiteral("9"));
        j->Txt_Final[2]->setText(QStringLiteral("ab"));
        j->mnuSalvar_Click();
        QCOMPARE(j.dialogo.vistos.size(), std::size_t(2));
        QCOMPARE(j.mensagens.textos(), QStringList{erro_em("mnuSalvar_Click", 13)});
        QCOMPARE(j->codigos.Codigos_Tab4[66], std::int16_t(9));
        QCOMPARE(j->Captura_Suspensa, std::int16_t(0));
        j->Localiza_TeclaPC(TECLA_A);
        QCOMPARE(j->codigos.Codigos_Tab1[7], std::int16_t(65));
    }

    // An open loads tables and boxes, shows the sentinels as plain numbers, clears the
    // selection and shows table 1; the model box is not in the file.
    void abrir_layout() {
        JanelaDeTeste j;
        prepara(j);
        j->Chk_Tec44->setCheckState(Qt::Checked);
        j->seleciona_aba(5);
        QTemporaryDir dir;
        const QString caminho = dir.filePath("abrir.key");
        QVERIFY(grava_bytes(caminho, texto_layout(exemplo())));
        j.dialogo.respostas = {caminho};
        j->mnu_Abrir_Click();
        QVERIFY2(j.mensagens.vistas.empty(), qPrintable(j.mensagens.ultima()));
        QCOMPARE(j->Arquivo_Atual, caminho);
        QVERIFY(j->codigos == exemplo().codigos);
        QCOMPARE(j->Chk_Prot44serialBNC->checkState(), Qt::PartiallyChecked);
        QCOMPARE(j->Chk_Tec44->checkState(), Qt::Checked);
        QCOMPARE(j->Txt_Inicial[0]->text(), QStringLiteral("37"));
        QCOMPARE(j->Txt_lcmErroT3[3]->text(), QStringLiteral("10"));
        QCOMPARE(j->Tecla_Atual, std::int16_t(TECLA_NENHUMA));
        QCOMPARE(j->Sp_TeclaLBtab[7]->BackColor(), BRANCO);
        QCOMPARE(j->aba_atual(), 1);
        QCOMPARE(j->Lbl_TeclaLBtab[0]->caption(),
                 legenda_codigo(exemplo().codigos.Codigos_Tab1[0], j->padroes));
    }

    // A sentinel code longer than the three characters typed by hand shows whole, is
    // saved whole, and the send refuses it by box and value; typing still stops at 3.
    void sentinela_longa() {
        JanelaDeTeste j;
        Layout l; // every key code 0, so that only the sentinels can be refused
        l.codigos.Codigos_Tab1[67] = 1000;
        l.codigos.Codigos_Tab3[71] = -100;
        QTemporaryDir dir;
        const QString caminho = dir.filePath("longa.key");
        QVERIFY(grava_bytes(caminho, texto_layout(l)));
        j.dialogo.respostas = {caminho, caminho};
        j->mnu_Abrir_Click();
        QCOMPARE(j->Txt_Final[0]->text(), QStringLiteral("1000"));
        QCOMPARE(j->Txt_lcmErroT3[2]->text(), QStringLiteral("-100"));
        j->mnuSalvar_Click();
        QVERIFY(le_bytes(caminho).contains("\r\nT67=1000\r\n"));
        QCOMPARE(PerfilPrivado::le_arquivo(caminho).le("Tab3", "T71", "", 255), QStringLiteral("-100"));
        j->Cmd_Grava_Teclado_Click();
        QVERIFY2(j.mensagens.ultima().contains("\"Sentinela Final, Leitor Trilha 2\" (LCM) tem o valor 1000"),
                 qPrintable(j.mensagens.ultima()));
        j->Txt_Inicial[1]->clear();
        QTest::keyClicks(j->Txt_Inicial[1], "12345");
        QCOMPARE(j->Txt_Inicial[1]->text(), QStringLiteral("123"));
    }

    // Whatever the file, the open ends in the type message (nothing changed) or the
    // trap's message (what was read before the fault stays); capture works afterwards.
    void arquivos_ruins_data() {
        QTest::addColumn<QString>("nome");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("do_teclado");
        QByteArray lixo;
        std::uint32_t x = 7;
        for (int i = 0; i < 100000; ++i)
            lixo.append(static_cast<char>((x = x * 1103515245u + 12345u) >> 24));
        const QByteArray cabeca = "[Teclado]\r\nTipo=Vantora\r\n";
        QTest::newRow("outro teclado")
            << "o.key" << texto_layout(exemplo()).replace("=Vantora", "=vantora") << false;
        QTest::newRow("binario") << "lixo.key" << lixo << false;
        QTest::newRow("nao existe") << "" << QByteArray() << false;
        QTest::newRow("chave ausente")
            << "c.key" << sem_linha(texto_layout(exemplo()), "Tab3", "T10") << true;
        QTest::newRow("codigo fora do ASCII") << "a.key" << cabeca + "[Tab1]\r\nT0=\xb9\r\n" << true;
    }
    void arquivos_ruins() {
        QFETCH(QString, nome);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, do_teclado);
        QTemporaryDir dir;
        const QString caminho = dir.filePath(nome == "" ? "nada.key" : nome);
        if (nome != "") QVERIFY(grava_bytes(caminho, bytes));
        JanelaDeTeste j;
        prepara(j);
        const QStringList antes = estado(j);
        j.dialogo.respostas = {caminho};
        j->mnu_Abrir_Click();
        QCOMPARE(j.mensagens.textos(),
                 QStringList{do_teclado ? erro_em("mnu_Abrir_Click", 13) : TIPO_ERRADO});
        QCOMPARE(j.mensagens.vistas[0].icone, do_teclado ? Icone::Nenhum : Icone::Informacao);
        if (!do_teclado) QCOMPARE(estado(j), antes);
        if (nome == "c.key") {
            QCOMPARE(j->codigos.Codigos_Tab2[10], exemplo().codigos.Codigos_Tab2[10]);
            QCOMPARE(j->codigos.Codigos_Tab3[66], std::int16_t(5)); // not reached
            QCOMPARE(j->Chk_Prot44serial->checkState(), Qt::Unchecked);
            QCOMPARE(estado(j).mid(4 * QTD_SLOTS + 3), antes.mid(4 * QTD_SLOTS + 3)); // boxes, selection
        }
        QCOMPARE(j->Captura_Suspensa, std::int16_t(0));
        j->Localiza_TeclaPC(TECLA_A);
        QCOMPARE(j->codigos.Codigos_Tab1[7], std::int16_t(65));
    }

    // Save: no question for a new file; for an existing one (hidden too) the question,
    // and on Sim the layout's keys replaced, the other lines kept; a refused write is
    // the trap's message with the file and the reason, the old file kept.
    void salvar_data() {
        QTest::addColumn<QString>("nome");
        QTest::addColumn<int>("resposta");   // -1: no question expected
        QTest::addColumn<QString>("motivo"); // empty: saved
        QTest::newRow("novo") << "novo.key" << -1 << "";
        QTest::newRow("existente, Nao") << "existente.key" << int(Resposta::Nao) << "";
        QTest::newRow("oculto, Sim") << ".oculto.key" << int(Resposta::Sim) << "";
        QTest::newRow("pasta inexistente") << "nao/existe.key" << -1 << "não existe";
    }
    void salvar() {
        QFETCH(QString, nome);
        QFETCH(int, resposta);
        QFETCH(QString, motivo);
        QTemporaryDir dir;
        const QString caminho = dir.filePath(nome);
        const QByteArray velho = le_bytes(dados("existente.key"));
        if (resposta >= 0) QVERIFY(grava_bytes(caminho, velho));
        JanelaDeTeste j;
        prepara(j);
        j->Txt_Final[1]->setText(QStringLiteral(" 63 "));
        j.dialogo.respostas = {caminho};
        if (resposta >= 0) j.mensagens.respostas = {Resposta(resposta)};
        j->mnuSalvar_Click();
        QCOMPARE(j->Arquivo_Atual, caminho);
        QCOMPARE(j->codigos.Codigos_Tab2[67], std::int16_t(63));
        QCOMPARE(j.mensagens.vistas.size(), std::size_t(resposta >= 0) + !motivo.isEmpty());
        if (resposta >= 0) {
            const MensagemVista& m = j.mensagens.vistas[0];
            QCOMPARE(m.texto, QStringLiteral("TEM CERTEZA QUE DESEJA SOBRESCREVER O ARQUIVO ") + caminho);
            QCOMPARE(m.titulo, QStringLiteral("SALVAR ARQUIVO"));
            QVERIFY(m.botoes == Botoes::SimNao && m.padrao == Resposta::Sim);
        }
        const QByteArray agora = le_bytes(caminho);
        if (!motivo.isEmpty()) {
            const QString e = j.mensagens.ultima();
            QVERIFY2(e.startsWith("Error 75 (Não foi possível gravar o arquivo " +
                                  QDir::toNativeSeparators(caminho)) &&
                         e.contains(motivo) &&
                         e.endsWith(" in procedure mnuSalvar_Click of Formulário Frm_Grava"),
                     qPrintable(e));
        } else if (resposta == int(Resposta::Nao)) {
            QCOMPARE(agora, velho);
        } else {
            Layout l;
            QVERIFY(Le_Layout(PerfilPrivado::de_bytes(agora), l));
            QCOMPARE(l.codigos, j->codigos);
            QCOMPARE(l.caixas, (std::array<int, 3>{1, 1, 0}));
            QVERIFY(resposta < 0 ||
                    (agora.contains("\r\ntipo = Vantora\r\n") && agora.contains("\r\n[Outra]\r\nx=1\r\n")));
        }
        QCOMPARE(j->Captura_Suspensa, std::int16_t(0));
    }

    // The keyboard filter: off while a dialog shows, then back as it was found for
    // Open and as the page wants it for Save (off on the card-reader page).
    void filtro_do_teclado_data() {
        QTest::addColumn<bool>("salvar");
        QTest::addColumn<int>("aba");
        QTest::addColumn<QString>("caso"); // "cancela", "arquivo", "erro"
        QTest::addColumn<bool>("depois");
        QTest::newRow("abrir cancelado, LCM") << false << 5 << "cancela" << false;
        QTest::newRow("abrir arquivo, LCM") << false << 5 << "arquivo" << true; // table 1 comes back
        QTest::newRow("abrir com erro, tabela") << false << 2 << "erro" << true;
        QTest::newRow("abrir com erro, LCM") << false << 5 << "erro" << false;
        QTest::newRow("salvar, tabela") << true << 3 << "arquivo" << true;
        QTest::newRow("salvar cancelado, LCM") << true << 5 << "cancela" << false;
        QTest::newRow("salvar com erro, tabela") << true << 1 << "erro" << true;
    }
    void filtro_do_teclado() {
        QFETCH(bool, salvar);
        QFETCH(int, aba);
        QFETCH(QString, caso);
        QFETCH(bool, depois);
        JanelaDeTeste j;
        if (!j->captura_instalada()) QSKIP("the keyboard filter cannot be installed in this build");
        j->seleciona_aba(aba);
        QTemporaryDir dir;
        const QString caminho = dir.filePath("f.key");
        if (caso == "erro" && salvar) j->Txt_Inicial[0]->setText(QStringLiteral("x"));
        if (!salvar)
            QVERIFY(grava_bytes(caminho,
                                caso == "erro" ? "[Teclado]\r\nTipo=Vantora\r\n" : texto_layout(exemplo())));
        if (caso != "cancela") j.dialogo.respostas = {caminho};
        bool durante = false;
        j.dialogo.aoMostrar = [&](const DialogoVisto&) { durante = j->captura_instalada(); };
        salvar ? j->mnuSalvar_Click() : j->mnu_Abrir_Click();
        QVERIFY(!durante);
        QCOMPARE(j->captura_instalada(), depois);
        QCOMPARE(j->Captura_Suspensa, std::int16_t(0));
    }

    // The filter in Qt's form and the suffix a save adds; the folder the dialogs open in.
    void filtro_e_pasta() {
        const QList<QStringList> casos = {{FILTRO, "laytou teclado Ordavi (*.key)", "key"},
                                          {"Layouts|*.key|Todos|*.*", "Layouts (*.key);;Todos (*.*)", "key"},
                                          {"Textos|*.txt;*.ini", "Textos (*.txt *.ini)", "txt"},
                                          {"Todos|*.*", "Todos (*.*)", ""},
                                          {"Tudo", "Tudo (*)", ""}};
        for (const QStringList& c : casos) {
            QCOMPARE(filtro_qt(c[0]), c[1]);
            QCOMPARE(sufixo_padrao(c[0]), c[2]);
        }
        QTemporaryDir dir;
        QCOMPARE(pasta_inicial(dir.path()), QFileInfo(dir.path()).absoluteFilePath());
        QVERIFY(grava_bytes(dir.filePath("arquivo"), "x"));
        const QString documentos = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        for (const QString& p : {dir.filePath("nao-existe"), QString(), dir.filePath("arquivo")})
            QCOMPARE(pasta_inicial(p), documentos);
    }

    // The real dialogs: ".key" added to a name typed without extension, an existing
    // name asks nothing of Qt's own, the filter and folder given.
    void dialogo_de_verdade_data() {
        QTest::addColumn<bool>("salvar");
        QTest::addColumn<QString>("digitado");
        QTest::addColumn<QString>("esperado");
        auto linha = [](const char* nome, bool salvar, const char* digitado, const char* esperado) {
            QTest::newRow(nome) << salvar << QString(digitado) << QString(esperado);
        };
        linha("sem extensao", true, "meu", "meu.key");
        linha("outra extensao", true, "meu.txt", "meu.txt");
        linha("arquivo existente", true, "existe", "existe.key");
        linha("abrir", false, "existe.key", "existe.key");
    }
    void dialogo_de_verdade() {
        QFETCH(bool, salvar);
        QFETCH(QString, digitado);
        QFETCH(QString, esperado);
        QTemporaryDir dir;
        QVERIFY(grava_bytes(dir.filePath("existe.key"), "x"));
        DialogoArquivoQt dialogo;
        Operador op(digitado);
        const QString r = salvar ? dialogo.salvar("Salvar", FILTRO, dir.path(), "vantora")
                                 : dialogo.abrir("Abrir", FILTRO, dir.path(), QString());
        QVERIFY(op.visto);
        QCOMPARE(op.caixas, QStringList());
        QCOMPARE(r, QDir::toNativeSeparators(dir.filePath(esperado)));
        QCOMPARE(op.filtros, QStringList{"laytou teclado Ordavi (*.key)"});
        QCOMPARE(op.pasta, QFileInfo(dir.path()).absoluteFilePath());
    }
};

} // namespace

int executa_comandos(int argc, char** argv) {
    TesteComandos t;
    return QTest::qExec(&t, argc, argv);
}

#include "teste_comandos.moc"
