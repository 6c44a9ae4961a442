// Layout files: the private-profile store (read as the Windows profile functions
// read, written keeping every other byte, saved all or nothing on real filesystems),
// the layout writer (golden files), and the "Abrir" and "Salvar" commands of the
// window with the real Qt file dialogs behind them.
#include "base/erro.h"
#include "comum/falsos.h"
#include "files/dialogo_qt.h"
#include "files/disco.h"
#include "files/ini.h"
#include "files/layout.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace vantora;
using namespace vantora::teste;

namespace {

QString dados(const QString& nome) {
    return qEnvironmentVariable("VANTORA_DADOS", QStringLiteral("tests/data")) + QLatin1Char('/') + nome;
}

bool grava_bytes(const QString& caminho, const QByteArray& bytes) {
    QFile f(caminho);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

#ifdef Q_OS_UNIX
// A folder holding a.key with `conteudo`, undone when it goes out of scope.
// `cheia`: a 16 KB tmpfs, the rest of its space filled (needs root and a system that
// lets it mount). `fechada`: no new file may be made in it, the file still written; as
// root the permissions would not hold, so the caller's effective user becomes nobody
// meanwhile (the real user stays, so it comes back). `motivo_sem` says why it could
// not be set up (the test then skips, saying so).
struct PastaRecusada {
    PastaRecusada(const QByteArray& conteudo, bool cheia, bool fechada) {
        montada = cheia && ::mount("tmpfs", pasta.constData(), "tmpfs", 0, "size=16k") == 0;
        QFile enche(dir.filePath(QStringLiteral("enchimento")));
        if (cheia && !montada)
            motivo_sem = QStringLiteral("cannot mount a tmpfs here (needs root and a system that allows it)");
        else if (!grava_bytes(arquivo, conteudo))
            motivo_sem = QStringLiteral("the tmpfs refused the first file");
        else if (cheia && enche.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            while (enche.write(QByteArray(512, 'x')) > 0) {
            }
        if (!fechada || !motivo_sem.isEmpty()) return;
        ::chmod(QFile::encodeName(arquivo).constData(), 0666), ::chmod(pasta.constData(), 0555);
        if (geteuid() == 0 && seteuid(65534) != 0) motivo_sem = QStringLiteral("cannot become nobody");
        trocado = geteuid() != getuid();
    }
    ~PastaRecusada() {
        if (trocado) (void)seteuid(getuid());
        ::chmod(pasta.constData(), 0700);
        if (montada) ::umount2(pasta.constData(), MNT_DETACH);
    }
    QTemporaryDir dir;
    const QByteArray pasta = QFile::encodeName(dir.path());
    const QString arquivo = dir.filePath(QStringLiteral("a.key"));
    QString motivo_sem;
    bool montada = false, trocado = false;
};
#endif

// A layout that uses every kind of value: printable codes, control codes, 0, 255,
// negatives (none starting "-2"), the ends of the 16-bit range, sentinels, a greyed
// option. It is the golden file of a new layout; the tests of the writer compare
// against the file itself.
Layout exemplo() {
    Layout l;
    if (!Le_Layout(le_arquivo(dados(QStringLiteral("layout_novo.key"))), l))
        qFatal("the golden file of a new layout does not read");
    return l;
}

// The text of a layout file as the program writes it into a new file.
QByteArray texto_layout(const Layout& l) {
    PerfilPrivado ini;
    Grava_Layout(ini, l);
    return QByteArray::fromStdString(ini.texto());
}

// What a save refused for `motivo` says.
QString nao_gravou(const QString& caminho, const QString& motivo) {
    return QStringLiteral("Não foi possível gravar o arquivo %1: %2")
        .arg(QDir::toNativeSeparators(caminho), motivo);
}

// What the operator sees of a layout: tables, option boxes, sentinel boxes, selection.
QStringList estado(const JanelaDeTeste& j) {
    QStringList e;
    for (const Tabela& t : j.doc->layout().tabelas)
        for (auto v : t)
            e << QString::number(v);
    for (int c = 0; c < QTD_OPCOES; ++c)
        e << QString::number(Editor::valor_caixa(j.opcao(c)));
    return e << textos_sentinela(j) << QString::number(j.doc->tecla()) << QString::number(j.doc->aba());
}

// Answers the next real file dialog with `nome` typed into its name box, as the
// operator does; a message box of Qt's own on the way is recorded and refused.
struct Operador {
    QFileDialog* visto = nullptr;
    QStringList caixas, como; // Qt's boxes; the dialog's title, name given and filters
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
                auto* caixa_nome = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                como = QStringList{d->windowTitle(), caixa_nome->text()} + d->nameFilters();
                pasta = d->directory().absolutePath();
                caixa_nome->setText(nome);
                // As the Save button does, from the event loop, so this timer can still
                // answer a box the dialog might show.
                QTimer::singleShot(0, d, [d] { static_cast<QDialog*>(d)->accept(); });
            }
        });
        timer.start(10);
    }
};

class TesteArquivos : public QObject {
    Q_OBJECT

  private slots:
    // A Notepad file ("UTF-8", or "Unicode" in either byte order) whose text would not
    // come back is not saved over, the reason told and the old file kept byte for byte: a
    // character Windows-1252 lacks would be lost; a text that would begin with the bytes
    // of a byte-order mark would read back, here and on Windows, as UTF-16 or UTF-8. A
    // pipe reads as nothing, without blocking, and is not saved over (a folder:
    // teste_ferramentas); a file over the size limit reads as nothing, its size told never
    // as the limit itself.
    void arquivos() {
        QTemporaryDir dir;
        // The file's first characters, its encoding as Notepad saves it (a byte-order
        // mark first), the mark they would read as (none: they are lost).
        const std::tuple<QString, QStringConverter::Encoding, QString> recusados[] = {
            {"☺", QStringConverter::Utf8, ""},
            {"ÿþ", QStringConverter::Utf16LE, "UTF-16 LE"},
            {"þÿ", QStringConverter::Utf16BE, "UTF-16 BE"},
            {"ï»¿", QStringConverter::Utf8, "UTF-8"}};
        const QString caminho = dir.filePath("s.key");
        for (const auto& [inicio, codificacao, marca] : recusados) {
            const QByteArray velho = QStringEncoder(codificacao, QStringConverter::Flag::WriteBom)
                                         .encode(inicio + " nota\r\n[Seção]\r\nk=€\r\n");
            QVERIFY(grava_bytes(caminho, velho));
            const PerfilPrivado s = le_para_gravar(caminho); // read as text: teste_ini_nucleo
            const QString motivo =
                marca.isEmpty()
                    ? "o texto do arquivo (UTF-8 com BOM) tem caracteres que não existem em Windows-1252, a "
                      "codificação em que os layouts são gravados; grave com outro nome"
                    : QStringLiteral(
                          "o texto começaria com \"%1\", que o Windows lê como marca de %2, e não "
                          "seria lido como foi gravado; apague esses caracteres do início do arquivo "
                          "num editor de texto")
                          .arg(inicio, marca);
            QCOMPARE(erro_de([&] { salva(s, caminho); }),
                     std::pair(int(ERRO_ARQUIVO), nao_gravou(caminho, motivo)));
            QCOMPARE(le_bytes(caminho), velho);
        }
        for (const auto& [alem, dito] : {std::pair(1, "268435457 bytes"), std::pair(1 << 20, "257 MB")}) {
            QVERIFY(QFile::resize(caminho, PerfilPrivado::LIMITE_BYTES + alem)); // sparse
            QString motivo;
            QVERIFY(le_arquivo(caminho, &motivo).texto().empty());
            QCOMPARE(
                motivo,
                QStringLiteral("arquivo grande demais para um layout (%1; o limite é 256 MB)").arg(dito));
        }
#ifdef Q_OS_UNIX
        const QString fifo = dir.filePath("fifo.key");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(le_arquivo(fifo).texto().empty());
        QVERIFY_THROWS_EXCEPTION(ErroExecucao, le_para_gravar(fifo));
#endif
    }

    // Saves the real filesystem refuses: the file and the reason are told and the old
    // file stays byte for byte, no temporary left; a folder where only the temporary
    // file cannot be made still lets an existing file be saved over, but not over a
    // full disk, where writing in place would truncate it first.
    void gravacao_recusada_data() {
        QTest::addColumn<QString>("motivo"); // empty: the save succeeds
        QTest::newRow("pasta") << QStringLiteral("é uma pasta");
        QTest::newRow("somente leitura") << QStringLiteral("o arquivo é somente leitura");
#ifdef Q_OS_UNIX
        QTest::newRow("limite de tamanho")
            << QStringLiteral("arquivo grande demais para o limite do sistema");
        QTest::newRow("cheio") << QStringLiteral("sem espaço no dispositivo");
        QTest::newRow("sem escrita") << QString();
        QTest::newRow("cheio e fechado") << QStringLiteral("sem espaço no dispositivo");
#endif
    }
    void gravacao_recusada() {
        const QString caso = QTest::currentDataTag();
        QFETCH(QString, motivo);
        const QByteArray velho = "[Teclado]\r\nTipo=Vantora\r\n; mantida\r\n";
        PerfilPrivado ini = PerfilPrivado::de_bytes(velho.toStdString());
        Grava_Layout(ini, exemplo()); // some 3 KB, more than the limit and the space left
        QTemporaryDir dir;
        QString caminho = dir.filePath("a.key");
#ifdef Q_OS_UNIX
        std::unique_ptr<PastaRecusada> recusada;
        if (caso == "sem escrita" || caso.startsWith("cheio")) {
            const bool cheia = caso != "sem escrita", fechada = caso != "cheio";
            recusada = std::make_unique<PastaRecusada>(velho, cheia, fechada);
            if (!recusada->motivo_sem.isEmpty()) QSKIP(qPrintable(recusada->motivo_sem));
            caminho = recusada->arquivo;
        }
        // As `ulimit -f` with SIGXFSZ ignored: a write past the limit fails with EFBIG.
        rlimit antes{};
        getrlimit(RLIMIT_FSIZE, &antes);
        const rlimit limite{caso == "limite de tamanho" ? 1024 : antes.rlim_cur, antes.rlim_max};
        const auto sinal = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limite);
        const auto volta = qScopeGuard([&] {
            setrlimit(RLIMIT_FSIZE, &antes);
            std::signal(SIGXFSZ, sinal);
        });
#endif
        if (caso == "pasta") QVERIFY(QDir(dir.path()).mkdir("a.key"));
        if (!QFile::exists(caminho)) QVERIFY(grava_bytes(caminho, velho));
        if (caso == "somente leitura")
            QVERIFY(QFile::setPermissions(caminho, QFileDevice::ReadOwner | QFileDevice::ReadUser));
        QCOMPARE(erro_de([&] { salva(ini, caminho); }),
                 motivo.isEmpty() ? std::pair(0, QString())
                                  : std::pair(int(ERRO_ARQUIVO), nao_gravou(caminho, motivo)));
        const QStringList deixados = QFileInfo(caminho).dir().entryList(QDir::Files | QDir::Hidden);
        if (caso != "pasta")
            QCOMPARE(le_bytes(caminho), motivo.isEmpty() ? QByteArray::fromStdString(ini.texto()) : velho);
        QVERIFY2(!deixados.join(' ').contains(".key."), qPrintable(deixados.join(' ')));
    }

    // A new file is written as its golden file. Saving over a file with sections,
    // comments and spacing of its own replaces the values where they stand and keeps
    // every other line (read back: teste_ini_nucleo).
    void textos() {
        QCOMPARE(texto_layout(exemplo()), le_bytes(dados("layout_novo.key")));
        PerfilPrivado ini = PerfilPrivado::de_bytes(le_bytes(dados("existente.key")).toStdString());
        Grava_Layout(ini, exemplo());
        QCOMPARE(ini.texto(), le_bytes(dados("existente_gravado.key")).toStdString());
    }

    // Open and Save in one window. Cancelled dialogs change nothing but copy the sentinel
    // boxes for Save; meanwhile capture is suspended, the keyboard filter off and a PC key
    // only answers. Then the filter is back as it was found for Open, and as the page
    // wants it for Save (off on the card-reader page). A sentinel box without a number
    // stops the save before the dialog. A faulty file leaves what was read before the
    // fault, shows it, and says so. A good one loads tables and boxes (not the model box)
    // and clears the selection. (Another keyboard's file: teste_instalacao.)
    void abrir_e_salvar() {
        JanelaDeTeste j; // boxes of its own on view, key 7 selected
        j.opcao(1)->setCheckState(Qt::Checked);
        j.doc->mostra_sentinelas();
        j.doc->escolhe_tecla(7);
        j.sentinela(5, 3)->setText(QStringLiteral("065"));
        const bool filtro = j.cap->captura_instalada();
        const QStringList antes = estado(j);
        QSignalSpy respostas(j.cap, &Captura::resposta); // one for each dialog shown
        j.dialogo.aoMostrar = [&] {
            QVERIFY(j.cap->suspensa());
            QVERIFY(!j.cap->captura_instalada());
            j.cap->Localiza_TeclaPC(QStringLiteral("C01E000165")); // release of A: on-screen key 61, code 65
        };
        j.arq->mnu_Abrir_Click();
        QCOMPARE(estado(j), antes);
        QCOMPARE(j.cap->captura_instalada(), filtro);
        j.doc->escolhe_aba(5);
        j.arq->mnuSalvar_Click();
        QCOMPARE(respostas.takeFirst().at(0).toInt(), 61);
        QCOMPARE(j.doc->layout().tabela(4)[71], std::int16_t(65));
        QVERIFY(!j.cap->captura_instalada());
        QVERIFY(j.mensagens.vistas.empty() && j.arq->Arquivo_Atual.isEmpty());
        j.sentinela(1, 2)->setText(QStringLiteral("ab"));
        j.arq->mnuSalvar_Click();
        QCOMPARE(respostas.size(), 1);
        QCOMPARE(j.mensagens.textos(), QStringList{erro_em("mnuSalvar_Click")});
        QVERIFY(!j.cap->suspensa());

        // Stopped at a sentinel out of range: what was read before it stays set and is
        // shown (the table on view, the sentinel boxes read); the other boxes keep what
        // they showed, which Save and the send take.
        QTemporaryDir dir;
        const QString ruim = dir.filePath("r.key");
        PerfilPrivado r = PerfilPrivado::de_bytes(texto_layout(exemplo()).toStdString());
        r.grava("Tab3", "T67", "40000");
        QVERIFY(grava_bytes(ruim, QByteArray::fromStdString(r.texto())));
        j.dialogo.aoMostrar = nullptr;
        j.dialogo.respostas = {ruim, dados("layout_novo.key")};
        j.abas()->setCurrentIndex(3); // table 4 on view, its codes without caption; key 6 selected
        j.arq->mnu_Abrir_Click();
        QCOMPARE(
            j.mensagens.ultima(),
            QStringLiteral("Error 6 (Estouro) in procedure mnu_Abrir_Click of Formulário Frm_Grava\n\nO "
                           "arquivo foi lido só até a entrada [Tab3] T67, que não pôde ser lida: a janela "
                           "ficou com as três opções, T0–T66 das quatro tabelas e T67 da Tab1 e da Tab2 do "
                           "arquivo; o resto continua como estava."));
        QCOMPARE(j.tecla(64)->caption().toStdString(),
                 legenda_codigo(exemplo().tabela(4)[64], j.pc->padroes));
        for (int i = 0; i < QTD_SENTINELAS * QTD_TABELAS; ++i)
            QCOMPARE(j.sentinela(i / 4, i % 4)->text().toStdString(), j.doc->sentinela(i / 4, i % 4));
        QCOMPARE(j.doc->tecla(), std::int16_t(6));
        // A good layout opens as in a window that opened it first.
        j.controle<QCheckBox>(QStringLiteral("Chk_Tec44"))->setCheckState(Qt::Checked);
        j.arq->mnu_Abrir_Click();
        JanelaDeTeste propria;
        propria.arq->abre_arquivo(dados("layout_novo.key"));
        QCOMPARE(estado(j), estado(propria));
        QCOMPARE(j.controle<QCheckBox>(QStringLiteral("Chk_Tec44"))->checkState(), Qt::Checked);
        QCOMPARE(j.fundo(6)->BackColor(), BRANCO);

        // Save over an existing file (hidden too) asks first: on Nao the file stays, on Sim
        // the layout's keys are replaced and the other lines kept. A refused write is the
        // trap's message with the file and the reason, without a question for a file that
        // is not there. A sentinel code longer than the three characters typed by hand
        // shows whole and is saved whole; typing still stops at 3.
        const QString oculto = dir.filePath(".oculto.key"), sem_pasta = dir.filePath("nao/existe.key");
        const QString longa = dir.filePath("longa.key"), pasta = dir.filePath("pasta.key");
        QVERIFY(QDir(dir.path()).mkdir("pasta.key")); // anything of that name is asked about
        const QByteArray velho = le_bytes(dados("existente.key"));
        QVERIFY(grava_bytes(oculto, velho));
        Layout l; // every key code 0, so that only the sentinels can be refused
        l.tabela(1)[67] = 1000;
        l.tabela(3)[71] = -100;
        QVERIFY(grava_bytes(longa, texto_layout(l)));
        j.dialogo.respostas = {oculto, oculto, sem_pasta, pasta, longa, longa};
        j.mensagens.respostas = {Resposta::Nao, Resposta::Sim, Resposta::Nao};
        j.arq->mnuSalvar_Click();
        QCOMPARE(le_bytes(oculto), velho);
        j.arq->mnuSalvar_Click();
        // The writer, pinned by its golden files.
        PerfilPrivado ini = PerfilPrivado::de_bytes(velho.toStdString());
        Grava_Layout(ini, j.doc->layout());
        QCOMPARE(le_bytes(oculto).toStdString(), ini.texto());
        j.arq->mnuSalvar_Click();
        QCOMPARE(j.arq->Arquivo_Atual, sem_pasta);
        j.arq->mnuSalvar_Click();
        const QString pergunta = QStringLiteral("TEM CERTEZA QUE DESEJA SOBRESCREVER O ARQUIVO ");
        const QString falta = QDir::toNativeSeparators(QFileInfo(sem_pasta).absolutePath());
        const QString sem = nao_gravou(sem_pasta, "a pasta " + falta + " não existe");
        QCOMPARE(j.mensagens.textos().mid(2),
                 (QStringList{pergunta + oculto, pergunta + oculto,
                              "Error 75 (" + sem + ") in procedure mnuSalvar_Click of Formulário Frm_Grava",
                              pergunta + pasta}));
        const MensagemVista& m = j.mensagens.vistas[2];
        QVERIFY(m.titulo == "SALVAR ARQUIVO" && m.botoes == Botoes::SimNao && m.padrao == Resposta::Sim);

        j.arq->mnu_Abrir_Click();
        QCOMPARE(j.sentinela(1, 0)->text(), QStringLiteral("1000"));
        QCOMPARE(j.sentinela(5, 2)->text(), QStringLiteral("-100"));
        j.arq->mnuSalvar_Click();
        QVERIFY(le_bytes(longa).contains("\r\nT67=1000\r\n"));
        j.sentinela(0, 1)->clear();
        QTest::keyClicks(j.sentinela(0, 1), "12345");
        QCOMPARE(j.sentinela(0, 1)->text(), QStringLiteral("123"));
    }

    // The folder the dialogs open in. The real dialogs, with their titles and the filter
    // given, start in the program's folder, in that of the layout opened last (as one named
    // at start), and in that of the file saved last; Save offers a name; ".key" is added to
    // a name typed without extension, and an existing name asks nothing of Qt's own (only
    // the window asks).
    void pasta_e_dialogos() {
        QTemporaryDir dir;
        QCOMPARE(pasta_inicial(dir.path()), QFileInfo(dir.path()).absoluteFilePath());
        const QString documentos = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        for (const QString& p : {dir.filePath("nao-existe"), QString(), dados("layout_novo.key")})
            QCOMPARE(pasta_inicial(p), documentos);
        // An installed program's folder, even one we can write (as an administrator,
        // or root, or Wine lets us), is not the user's: not among platforms/ and styles/.
#ifdef Q_OS_WIN
        QList<std::shared_ptr<QTemporaryDir>> instalados;
        for (const QString& base : {qEnvironmentVariable("ProgramFiles"), qEnvironmentVariable("ProgramFiles(x86)"),
                                    qEnvironmentVariable("LOCALAPPDATA") + "/Programs"}) {
            QVERIFY(!base.startsWith('/') && QDir().mkpath(base));
            instalados << std::make_shared<QTemporaryDir>(base + "/Vantora-XXXXXX");
            QVERIFY2(instalados.last()->isValid(), qPrintable(base)); // Wine's user may write there
            QCOMPARE(pasta_inicial(instalados.last()->path()), documentos);
            QCOMPARE(pasta_inicial(QDir::toNativeSeparators(instalados.last()->path().toUpper())), documentos);
        }
#else
        for (const char* p : {"/usr/bin", "/usr/local/bin", "/opt"})
            if (QFileInfo(p).isDir()) QCOMPARE(pasta_inicial(p), documentos);
#endif
        const QString a = dir.filePath("com espaço"), b = dir.filePath("b"), bom = a + "/bom.key";
        QVERIFY(QDir().mkpath(a) && QDir().mkpath(b) && QFile::copy(dados("layout_novo.key"), bom));
        DialogoArquivoQt dialogo;
        JanelaDeTeste j([&](JanelaDeTeste& j) { j.servicos.dialogo = &dialogo; });
        const auto pasta_do = [&](bool salvar, const QString& nome) {
            Operador op(nome);
            salvar ? j.arq->mnuSalvar_Click() : j.arq->mnu_Abrir_Click();
            const QStringList como{salvar ? "Salvar Layout Teclado Ordavi" : "Abri Layout Teclado Ordavi",
                                   salvar ? "vantora" : "", "laytou teclado Ordavi (*.key)"};
            return op.caixas.isEmpty() && op.como == como ? op.pasta
                                                          : op.caixas.join(' ') + op.como.join(' ');
        };
        QCOMPARE(pasta_do(false, ""), pasta_inicial(QCoreApplication::applicationDirPath()));
        j.arq->abre_arquivo(bom);
        QCOMPARE(pasta_do(false, "bom.key"), a);
        QCOMPARE(pasta_do(true, b + "/novo"), a);
        QCOMPARE(pasta_do(true, "meu.txt"), b);
        QCOMPARE(j.arq->Arquivo_Atual, QDir::toNativeSeparators(b + "/meu.txt"));
        QCOMPARE(pasta_do(true, "novo"), b);
        QCOMPARE(pasta_do(false, "novo.key"), b);
        QCOMPARE(j.arq->Arquivo_Atual, QDir::toNativeSeparators(b + "/novo.key"));
        QCOMPARE(j.mensagens.textos(),
                 QStringList{QStringLiteral("TEM CERTEZA QUE DESEJA SOBRESCREVER O ARQUIVO ") +
                             QDir::toNativeSeparators(b + "/novo.key")});
    }
};

} // namespace

QTEST_MAIN(TesteArquivos)
#include "teste_arquivos.moc"
