// The "Abrir" and "Salvar" commands of the window: dialogs, the overwrite question,
// what an open loads and refreshes, the messages of failures, and key capture put
// back on every way out.
#include "apoio.h"
#include "comum/falsos.h"
#include "files/dialogo.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace vantora;
using namespace vantora::teste;

namespace {

const QString TIPO_ERRADO = QStringLiteral("Arquivo referente a outro teclado");
const QString FILTRO = QStringLiteral("laytou teclado Ordavi (*.key)|*.key");
// The release of A on the PC keyboard: on-screen key 61, code 65.
const QString TECLA_A = QStringLiteral("C01E000165");

QString erro_em(const QString& proc, int n, const QString& desc) {
    return QStringLiteral("Error %1 (%2) in procedure %3 of Formulário Frm_Grava").arg(n).arg(desc, proc);
}

// What the operator sees of a layout: tables, option boxes, sentinel boxes,
// selection and tab.
struct Estado {
    CodigosLayout codigos;
    std::array<int, 3> caixas{};
    QStringList sentinelas;
    int tecla = 0;
    int aba = 0;
    bool operator==(const Estado& o) const {
        return codigos == o.codigos && caixas == o.caixas && sentinelas == o.sentinelas && tecla == o.tecla &&
               aba == o.aba;
    }
};

Estado estado(const JanelaDeTeste& j) {
    Estado e;
    e.codigos = j->codigos;
    e.caixas = {Frm_Grava::valor_caixa(j->Chk_Autoriza_prot), Frm_Grava::valor_caixa(j->Chk_Prot44serial),
                Frm_Grava::valor_caixa(j->Chk_Prot44serialBNC)};
    for (auto* linha : j->linhas_sentinela())
        for (QLineEdit* caixa : *linha)
            e.sentinelas << caixa->text();
    e.tecla = j->Tecla_Atual;
    e.aba = j->aba_atual();
    return e;
}

// A window with a layout of its own on view, key 7 selected.
void prepara(JanelaDeTeste& j) {
    j->codigos.Codigos_Tab1[0] = 9;
    j->codigos.Codigos_Tab3[66] = 5;
    j->Chk_Prot44serial->setCheckState(Qt::Checked);
    j->mostra_sentinelas();
    j->Lbl_TeclaLBtab_Click(7);
}

class TesteComandos : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

  private slots:
    void abrir_cancelado() {
        JanelaDeTeste j;
        prepara(j);
        j->Arquivo_Atual = QStringLiteral("antigo.key");
        const Estado antes = estado(j);
        int suspensa = -1;
        j.dialogo.aoMostrar = [&](const DialogoVisto&) { suspensa = j->Captura_Suspensa; };
        j->mnu_Abrir_Click();
        QCOMPARE(j.dialogo.vistos.size(), std::size_t(1));
        const DialogoVisto& d = j.dialogo.vistos[0];
        QVERIFY(!d.salvar);
        QCOMPARE(d.titulo, QStringLiteral("Abri Layout Teclado Ordavi"));
        QCOMPARE(d.filtro, FILTRO);
        QCOMPARE(d.nome, QString());
        QCOMPARE(d.pasta, pasta_inicial(QCoreApplication::applicationDirPath()));
        QCOMPARE(suspensa, 1);
        QCOMPARE(j->Captura_Suspensa, std::int16_t(0));
        QCOMPARE(j->Arquivo_Atual, QString());
        QVERIFY(estado(j) == antes);
        QVERIFY(j.mensagens.vistas.empty());
    }

    void abrir_layout() {
        JanelaDeTeste j;
        prepara(j);
        j->Chk_Tec44->setCheckState(Qt::Checked);
        j->seleciona_aba(5);
        const QString caminho = dir_.filePath("abrir.key");
        QVERIFY(grava_bytes(caminho, texto_layout(exemplo())));
        j.dialogo.respostas = {caminho};
        j->mnu_Abrir_Click();
        QVERIFY2(j.mensagens.vistas.empty(), qPrintable(j.mensagens.ultima()));
        QCOMPARE(j->Arquivo_Atual, caminho);
        QVERIFY(j->codigos == exemplo().codigos);
        QCOMPARE(j->Chk_Autoriza_prot->checkState(), Qt::Checked);
        QCOMPARE(j->Chk_Prot44serial->checkState(), Qt::Unchecked);
        QCOMPARE(j->Chk_Prot44serialBNC->checkState(), Qt::PartiallyChecked);
        QCOMPARE(j->Chk_Tec44->checkState(), Qt::Checked); // the model is not in the file
        // Sentinel boxes: the codes as plain numbers, the row's default for a 0 in box 0.
        QCOMPARE(j->Txt_Inicial[0]->text(), QStringLiteral("37"));
        QCOMPARE(j->Txt_Inicial[1]->text(), QStringLiteral("2"));
        QCOMPARE(j->Txt_Inicial[2]->text(), QStringLiteral("0"));
        QCOMPARE(j->Txt_lcmErro[0]->text(), QStringLiteral("10"));
        QCOMPARE(j->Txt_InicialT3[0]->text(), QStringLiteral("59"));
        QCOMPARE(j->Txt_lcmErroT3[0]->text(), QStringLiteral("10"));
        QCOMPARE(j->Txt_lcmErroT3[3]->text(), QStringLiteral("10"));
        // No key selected, table 1 on view with its captions.
        QCOMPARE(j->Tecla_Atual, std::int16_t(TECLA_NENHUMA));
        QCOMPARE(j->Sp_TeclaLBtab[7]->BackColor(), BRANCO);
        QCOMPARE(j->aba_atual(), 1);
        QVERIFY(j->Frame[0]->isVisibleTo(j.janela.get()));
        QVERIFY(!j->Frame[2]->isVisibleTo(j.janela.get()));
        for (int k = 0; k < 65; ++k)
            QCOMPARE(j->Lbl_TeclaLBtab[k]->caption(),
                     legenda_codigo(exemplo().codigos.Codigos_Tab1[k], j->padroes));
        QCOMPARE(j->Captura_Suspensa, std::int16_t(0));
    }

    // A sentinel code longer than the three characters typed by hand shows whole,
    // is saved whole, and the send refuses it by box and value.
    void sentinela_longa() {
        JanelaDeTeste j;
        Layout l; // every key code 0, so that only the sentinels can be refused
        l.codigos.Codigos_Tab1[67] = 1000;
        l.codigos.Codigos_Tab3[71] = -100;
        const QString caminho = dir_.filePath("longa.key");
        QVERIFY(grava_bytes(caminho, texto_layout(l)));
        j.dialogo.respostas = {caminho};
        j->mnu_Abrir_Click();
        QCOMPARE(j->Txt_Final[0]->text(), QStringLiteral("1000"));
        QCOMPARE(j->Txt_lcmErroT3[2]->text(), QStringLiteral("-100"));
        j.dialogo.respostas = {caminho};
        j->mnuSalvar_Click();
        QVERIFY(le_bytes(caminho).contains("[Tab1]\r\nT0=") &&
                le_bytes(caminho).contains("\r\nT67=1000\r\n"));
        QCOMPARE(PerfilPrivado::le_arquivo(caminho).le("Tab3", "T71", "", 255), QStringLiteral("-100"));
        j->Cmd_Grava_Teclado_Click();
        QVERIFY2(j.mensagens.ultima().contains("\"Sentinela Final, Leitor Trilha 2\" (LCM) tem o valor 1000"),
                 qPrintable(j.mensagens.ultima()));
        // Typing still stops at three characters.
        j->Txt_Inicial[1]->clear();
        QTest::keyClicks(j->Txt_Inicial[1], "12345");
        QCOMPARE(j->Txt_Inicial[1]->text(), QStringLiteral("123"));
    }

    void abrir_outro_teclado() {
        JanelaDeTeste j;
        prepara(j);
        const Estado antes = estado(j);
        const QString caminho = dir_.filePath("outro.key");
        QVERIFY(grava_bytes(caminho, texto_layout(exemplo()).replace("Tipo=Vantora", "Tipo=vantora")));
        j.dialogo.respostas = {caminho};
        j->mnu_Abrir_Click();
        QCOMPARE(j.mensagens.vistas.size(), std::size_t(1));
        QCOMPARE(j.mensagens.vistas[0].texto, TIPO_ERRADO);
        QCOMPARE(j.mensagens.vistas[0].titulo, QStringLiteral("Vantora"));
        QCOMPARE(j.mensagens.vistas[0].icone, Icone::Informacao);
        QCOMPARE(j.mensagens.vistas[0].botoes, Botoes::Ok);
        QVERIFY(estado(j) == antes);
        QCOMPARE(j->Captura_Suspensa, std::int16_t(0));
    }

    // A missing key code: the trap's message; what was read before it stays loaded.
    void abrir_com_chave_ausente() {
        JanelaDeTeste j;
        prepara(j);
        const Estado antes = estado(j);
        const QByteArray texto = sem_linha(texto_layout(exemplo()), "Tab3", "T10");
        QVERIFY(!texto.startsWith('<'));
        const QString caminho = dir_.filePath("parcial.key");
        QVERIFY(grava_bytes(caminho, texto));
        j.dialogo.respostas = {caminho};
        j->mnu_Abrir_Click();
        QCOMPARE(j.mensagens.textos(),
                 QStringList{erro_em("mnu_Abrir_Click", 13, QStringLiteral("Tipos incompatíveis"))});
        QCOMPARE(j.mensagens.vistas[0].icone, Icone::Nenhum);
        QCOMPARE(j->Chk_Prot44serial->checkState(), Qt::Unchecked);
        QCOMPARE(j->Chk_Prot44serialBNC->checkState(), Qt::PartiallyChecked);
        QCOMPARE(j->codigos.Codigos_Tab1[0], exemplo().codigos.Codigos_Tab1[0]);
        QCOMPARE(j->codigos.Codigos_Tab2[10], exemplo().codigos.Codigos_Tab2[10]);
        QCOMPARE(j->codigos.Codigos_Tab3[66], std::int16_t(5)); // not reached
        // Boxes, selection and view are not refreshed.
        const Estado depois = estado(j);
        QCOMPARE(depois.sentinelas, antes.sentinelas);
        QCOMPARE(depois.tecla, 7);
        QCOMPARE(j->Captura_Suspensa, std::int16_t(0));
        // Capture works afterwards: a PC key is assigned to the selected key.
        j->Localiza_TeclaPC(TECLA_A);
        QCOMPARE(j->codigos.Codigos_Tab1[7], std::int16_t(65));
    }

    // Whatever the file, the program ends in the type message or the trap's message.
    void arquivos_ruins_data() {
        QTest::addColumn<QString>("nome");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("mensagem");
        QTest::addColumn<bool>("muda");
        QByteArray lixo;
        std::uint32_t x = 7;
        for (int i = 0; i < 100000; ++i) {
            x = x * 1103515245u + 12345u;
            lixo.append(static_cast<char>(x >> 24));
        }
        QTest::newRow("binario") << "lixo.key" << lixo << TIPO_ERRADO << false;
        QTest::newRow("vazio") << "vazio.key" << QByteArray() << TIPO_ERRADO << false;
        QTest::newRow("outro INI") << "outro.ini"
                                   << QByteArray("[General]\r\nTipo=Vantora\r\n[Teclado]\r\nTipo=Outro\r\n")
                                   << TIPO_ERRADO << false;
        QTest::newRow("linhas de 100000")
            << "longo.key"
            << "[Teclado" + QByteArray(100000, 'x') + "]\r\nTipo=" + QByteArray(100000, 'V') + "\r\n"
            << TIPO_ERRADO << false;
        QTest::newRow("fora do ASCII")
            << "acento.key" << QByteArray("[Teclado]\r\nTipo=Vantor\xe1\r\n[Tab1]\r\nT0=\xe1\r\n")
            << TIPO_ERRADO << false;
        QTest::newRow("nao existe") << "<inexistente>" << QByteArray() << TIPO_ERRADO << false;
        QTest::newRow("pasta") << "<pasta>" << QByteArray() << TIPO_ERRADO << false;
        QTest::newRow("50 MB") << "<50MB>" << QByteArray() << TIPO_ERRADO << false;
        QTest::newRow("tipo certo, resto lixo")
            << "meio.key"
            << "[Teclado]\r\nTipo=Vantora\r\n[Tab1]\r\n" + lixo
            << erro_em("mnu_Abrir_Click", 13, QStringLiteral("Tipos incompatíveis")) << true;
        QTest::newRow("codigo fora do ASCII")
            << "codigo.key" << QByteArray("[Teclado]\r\nTipo=Vantora\r\n[Tab1]\r\nT0=\xb9\r\n")
            << erro_em("mnu_Abrir_Click", 13, QStringLiteral("Tipos incompatíveis")) << true;
    }
    void arquivos_ruins() {
        QFETCH(QString, nome);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, mensagem);
        QFETCH(bool, muda);
        QTemporaryDir dir;
        QString caminho = dir.filePath(nome);
        if (nome == "<inexistente>") {
            caminho = dir.filePath("nada.key");
        } else if (nome == "<pasta>") {
            caminho = dir.filePath("pasta.key");
            QVERIFY(QDir(dir.path()).mkdir("pasta.key"));
        } else if (nome == "<50MB>") {
            // 50 MB of text lines, generated here rather than kept in the repository.
            caminho = dir.filePath("grande.key");
            QFile f(caminho);
            QVERIFY(f.open(QIODevice::WriteOnly));
            const QByteArray linha = "Lorem ipsum dolor sit amet [Tab1] T0=1 Tipo=Vantora\r\n";
            QByteArray bloco;
            while (bloco.size() < 1024 * 1024)
                bloco += linha;
            for (int i = 0; i < 50; ++i)
                QVERIFY(f.write(bloco) == bloco.size());
        } else {
            QVERIFY(grava_bytes(caminho, bytes));
        }
        JanelaDeTeste j;
        prepara(j);
        const Estado antes = estado(j);
        j.dialogo.respostas = {caminho};
        j->mnu_Abrir_Click();
        QCOMPARE(j.mensagens.textos(), QStringList{mensagem});
        if (!muda) QVERIFY(estado(j) == antes);
        QCOMPARE(j->Captura_Suspensa, std::int16_t(0));
    }

    void salvar_arquivo_novo() {
        JanelaDeTeste j;
        prepara(j);
        j->Txt_Final[1]->setText(QStringLiteral(" 63 "));
        const QString caminho = dir_.filePath("novo.key");
        j.dialogo.respostas = {caminho};
        int suspensa = -1;
        j.dialogo.aoMostrar = [&](const DialogoVisto&) { suspensa = j->Captura_Suspensa; };
        j->mnuSalvar_Click();
        QCOMPARE(j.dialogo.vistos.size(), std::size_t(1));
        const DialogoVisto& d = j.dialogo.vistos[0];
        QVERIFY(d.salvar);
        QCOMPARE(d.titulo, QStringLiteral("Salvar Layout Teclado Ordavi"));
        QCOMPARE(d.filtro, FILTRO);
        QCOMPARE(d.nome, QStringLiteral("vantora"));
        QCOMPARE(d.pasta, pasta_inicial(QCoreApplication::applicationDirPath()));
        QCOMPARE(suspensa, 1);
        QVERIFY2(j.mensagens.vistas.empty(), qPrintable(j.mensagens.ultima())); // no question
        QCOMPARE(j->Arquivo_Atual, caminho);
        QCOMPARE(j->codigos.Codigos_Tab2[67], std::int16_t(63));
        Layout l;
        l.codigos = j->codigos;
        l.caixas = {1, 1, 0};
        QCOMPARE(le_bytes(caminho), texto_layout(l));
        QCOMPARE(j->Captura_Suspensa, std::int16_t(0));

        // A second save proposes "vantora" again.
        j->mnuSalvar_Click();
        QCOMPARE(j.dialogo.vistos.size(), std::size_t(2));
        QCOMPARE(j.dialogo.vistos[1].nome, QStringLiteral("vantora"));
        QCOMPARE(j->Arquivo_Atual, QString());
    }

    void sobrescrever_data() {
        QTest::addColumn<QString>("nome");
        QTest::addColumn<bool>("sim");
        QTest::newRow("Nao") << "existe.key" << false;
        QTest::newRow("Sim") << "existe.key" << true;
        QTest::newRow("arquivo oculto, Nao") << ".oculto.key" << false;
        QTest::newRow("arquivo oculto, Sim") << ".oculto.key" << true;
    }
    void sobrescrever() {
        QFETCH(QString, nome);
        QFETCH(bool, sim);
        QTemporaryDir dir;
        const QString caminho = dir.filePath(nome);
        const QByteArray velho = le_bytes(dados("existente.key"));
        QVERIFY(grava_bytes(caminho, velho));
        JanelaDeTeste j;
        j.dialogo.respostas = {caminho};
        j.mensagens.respostas = {sim ? Resposta::Sim : Resposta::Nao};
        j->mnuSalvar_Click();
        QCOMPARE(j.mensagens.vistas.size(), std::size_t(1));
        const MensagemVista& m = j.mensagens.vistas[0];
        QCOMPARE(m.texto, QStringLiteral("TEM CERTEZA QUE DESEJA SOBRESCREVER O ARQUIVO ") + caminho);
        QCOMPARE(m.titulo, QStringLiteral("SALVAR ARQUIVO"));
        QCOMPARE(m.botoes, Botoes::SimNao);
        QCOMPARE(m.padrao, Resposta::Sim);
        QCOMPARE(m.icone, Icone::Nenhum);
        QCOMPARE(j->Arquivo_Atual, caminho);
        if (!sim) {
            QCOMPARE(le_bytes(caminho), velho);
        } else {
            // The layout's keys are replaced; the lines of others stay.
            const QByteArray novo = le_bytes(caminho);
            QVERIFY(novo.startsWith(
                "; Layout do caixa 3 \x96 coment\xe1rio\r\n\r\n[Loja]\r\nNome=Padaria S\xe3o"));
            QVERIFY(novo.contains("\r\ntipo = Vantora\r\n"));
            QVERIFY(novo.contains("\r\n[Outra]\r\nx=1\r\n"));
            Layout l;
            QVERIFY(Le_Layout(PerfilPrivado::de_bytes(novo), l));
            QVERIFY(l.codigos == j->codigos);
        }
        QCOMPARE(j->Captura_Suspensa, std::int16_t(0));
    }

    // A save that cannot be carried out is reported with the file and the reason.
    void falha_de_gravacao_data() {
        QTest::addColumn<QString>("nome");
        QTest::addColumn<bool>("pergunta");
        QTest::addColumn<QString>("motivo");
        QTest::newRow("pasta inexistente") << "nao/existe.key" << false << "não existe";
        QTest::newRow("uma pasta") << "pasta.key" << true << "é uma pasta";
        QTest::newRow("somente leitura") << "lido.key" << true << "somente leitura";
    }
    void falha_de_gravacao() {
        QFETCH(QString, nome);
        QFETCH(bool, pergunta);
        QFETCH(QString, motivo);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("pasta.key"));
        const QString lido = dir.filePath("lido.key");
        QVERIFY(grava_bytes(lido, "[Teclado]\r\nTipo=Vantora\r\n"));
        QVERIFY(QFile::setPermissions(lido, QFileDevice::ReadOwner | QFileDevice::ReadUser));
        const QString caminho = dir.filePath(nome);
        JanelaDeTeste j;
        j.dialogo.respostas = {caminho};
        j->mnuSalvar_Click();
        QCOMPARE(j.mensagens.vistas.size(), std::size_t(pergunta ? 2 : 1));
        const QString esperado = erro_em(
            "mnuSalvar_Click", 75,
            QStringLiteral("Não foi possível gravar o arquivo %1: ").arg(QDir::toNativeSeparators(caminho)));
        QVERIFY2(j.mensagens.ultima().startsWith(esperado.left(esperado.size() - 0).section(") in", 0, 0)),
                 qPrintable(j.mensagens.ultima()));
        QVERIFY2(j.mensagens.ultima().contains(motivo), qPrintable(j.mensagens.ultima()));
        QVERIFY(j.mensagens.ultima().endsWith(" in procedure mnuSalvar_Click of Formulário Frm_Grava"));
        QCOMPARE(le_bytes(lido), QByteArray("[Teclado]\r\nTipo=Vantora\r\n"));
        QCOMPARE(j->Captura_Suspensa, std::int16_t(0));
    }

    void salvar_cancelado() {
        JanelaDeTeste j;
        j->Txt_Inicial[0]->setText(QStringLiteral("5"));
        j->Txt_lcmErroT3[3]->setText(QStringLiteral("065"));
        j->mnuSalvar_Click();
        QCOMPARE(j.dialogo.vistos.size(), std::size_t(1));
        QCOMPARE(j->Arquivo_Atual, QString());
        QVERIFY(j.mensagens.vistas.empty());
        // The boxes went into the tables before the dialog.
        QCOMPARE(j->codigos.Codigos_Tab1[66], std::int16_t(5));
        QCOMPARE(j->codigos.Codigos_Tab1[67], std::int16_t(3));
        QCOMPARE(j->codigos.Codigos_Tab4[71], std::int16_t(65));
        QCOMPARE(j->Captura_Suspensa, std::int16_t(0));
    }

    // A sentinel box without a number stops the save before the dialog; the boxes
    // before it are already copied; capture works afterwards.
    void salvar_sentinela_invalida() {
        JanelaDeTeste j;
        j->Txt_Inicial[3]->setText(QStringLiteral("9"));
        j->Txt_Final[1]->setText(QStringLiteral("7"));
        j->Txt_Final[2]->setText(QStringLiteral("ab"));
        j->Txt_Final[3]->setText(QStringLiteral("8"));
        j->mnuSalvar_Click();
        QVERIFY(j.dialogo.vistos.empty());
        QCOMPARE(j.mensagens.textos(),
                 QStringList{erro_em("mnuSalvar_Click", 13, QStringLiteral("Tipos incompatíveis"))});
        QCOMPARE(j->codigos.Codigos_Tab4[66], std::int16_t(9));
        QCOMPARE(j->codigos.Codigos_Tab2[67], std::int16_t(7));
        QCOMPARE(j->codigos.Codigos_Tab4[67], std::int16_t(0));
        QCOMPARE(j->Captura_Suspensa, std::int16_t(0));
        j->Lbl_TeclaLBtab_Click(3);
        j->Localiza_TeclaPC(TECLA_A);
        QCOMPARE(j->codigos.Codigos_Tab1[3], std::int16_t(65));
    }

    // While a dialog shows, a PC key only answers; it assigns nothing.
    void tecla_durante_o_dialogo() {
        JanelaDeTeste j;
        j->Lbl_TeclaLBtab_Click(2);
        j.dialogo.aoMostrar = [&](const DialogoVisto&) { j->Localiza_TeclaPC(TECLA_A); };
        j->mnu_Abrir_Click();
        j->mnuSalvar_Click();
        QCOMPARE(j->Resposta_Teclado, std::int16_t(61));
        QCOMPARE(j->codigos.Codigos_Tab1[2], std::int16_t(0));
    }

    // The keyboard filter: off while a dialog shows, then back as it was found for
    // Open and as the page wants it for Save (off on the card-reader page).
    void filtro_do_teclado_data() {
        QTest::addColumn<bool>("salvar");
        QTest::addColumn<int>("aba");
        QTest::addColumn<QString>("caso"); // "cancela", "arquivo", "erro"
        QTest::addColumn<bool>("depois");
        QTest::newRow("abrir cancelado, tabela") << false << 1 << "cancela" << true;
        QTest::newRow("abrir cancelado, LCM") << false << 5 << "cancela" << false;
        QTest::newRow("abrir arquivo, LCM") << false << 5 << "arquivo" << true; // table 1 comes back
        QTest::newRow("abrir com erro, tabela") << false << 2 << "erro" << true;
        QTest::newRow("abrir com erro, LCM") << false << 5 << "erro" << false;
        QTest::newRow("salvar, tabela") << true << 3 << "arquivo" << true;
        QTest::newRow("salvar, LCM") << true << 5 << "arquivo" << false;
        QTest::newRow("salvar cancelado, LCM") << true << 5 << "cancela" << false;
        QTest::newRow("salvar com erro, tabela") << true << 1 << "erro" << true;
        QTest::newRow("salvar com erro, LCM") << true << 5 << "erro" << false;
    }
    void filtro_do_teclado() {
        QFETCH(bool, salvar);
        QFETCH(int, aba);
        QFETCH(QString, caso);
        QFETCH(bool, depois);
        JanelaDeTeste j;
        if (!j->captura_instalada()) QSKIP("the keyboard filter cannot be installed in this build");
        j->seleciona_aba(aba);
        QCOMPARE(j->captura_instalada(), aba != 5);
        QTemporaryDir dir;
        QString caminho = dir.filePath("f.key");
        if (caso == "erro") {
            if (salvar)
                j->Txt_Inicial[0]->setText(QStringLiteral("x"));
            else
                QVERIFY(grava_bytes(caminho, "[Teclado]\r\nTipo=Vantora\r\n"));
        } else if (!salvar) {
            QVERIFY(grava_bytes(caminho, texto_layout(exemplo())));
        }
        if (caso != "cancela") j.dialogo.respostas = {caminho};
        bool durante = true;
        j.dialogo.aoMostrar = [&](const DialogoVisto&) { durante = j->captura_instalada(); };
        if (salvar)
            j->mnuSalvar_Click();
        else
            j->mnu_Abrir_Click();
        if (caso != "erro" || !salvar) QVERIFY(!durante);
        QCOMPARE(j->captura_instalada(), depois);
        QCOMPARE(j->Captura_Suspensa, std::int16_t(0));
    }
};

} // namespace

int executa_comandos(int argc, char** argv) {
    TesteComandos t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_comandos.moc"
