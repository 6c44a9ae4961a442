// Layout files: the private-profile store (read as the Windows profile functions
// read, written keeping every other byte, saved all or nothing on real filesystems),
// the layout reader and writer (golden files, the "-2" rule, the type check, what a
// failing read leaves set), and the "Abrir" and "Salvar" commands of the window with
// the real Qt file dialogs behind them.
#include "comum/disco.h"
#include "comum/falsos.h"
#include "files/dialogo.h"
#include "files/dialogo_qt.h"
#include "files/ini.h"
#include "files/layout.h"
#include "shell/erro.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace vantora;
using namespace vantora::teste;

namespace {

QString dados(const QString& nome) {
    return qEnvironmentVariable("VANTORA_DADOS", QStringLiteral("tests/data")) + QLatin1Char('/') + nome;
}

QByteArray le_bytes(const QString& caminho) {
    QFile f(caminho);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<sem arquivo ") + caminho.toUtf8() + '>';
    return f.readAll();
}

bool grava_bytes(const QString& caminho, const QByteArray& bytes) {
    QFile f(caminho);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A layout that uses every kind of value: printable codes, control codes, 0, 255,
// negatives (none starting "-2"), the ends of the 16-bit range, sentinels, a greyed
// option. It is the golden file of a new layout, read once; the tests of the writer
// compare against the file itself, and the reader's test checks values picked from it.
Layout exemplo() {
    static const Layout l = [] {
        Layout r;
        if (!Le_Layout(PerfilPrivado::de_bytes(le_bytes(dados(QStringLiteral("layout_novo.key")))), r))
            qFatal("the golden file of a new layout does not read");
        return r;
    }();
    return l;
}

// The text without the line of `chave` in section `secao` (as the program writes it).
QByteArray sem_linha(QByteArray texto, const QByteArray& secao, const QByteArray& chave) {
    const qsizetype s = texto.indexOf("[" + secao + "]\r\n");
    const qsizetype i = texto.indexOf("\r\n" + chave + "=", s);
    const qsizetype f = texto.indexOf("\r\n", i + 2);
    if (s < 0 || i < 0 || f < 0) return "<chave nao achada>";
    texto.remove(i, f - i);
    return texto;
}

// The text of a layout file as the program writes it into a new file.
QByteArray texto_layout(const Layout& l) {
    PerfilPrivado ini;
    Grava_Layout(ini, l);
    return ini.texto();
}

const QString PADRAO = QStringLiteral("<padrao>");

// A layout none of whose values is in a file, to see what a read has set.
Layout marcado() {
    Layout l;
    l.caixas = {1, 1, 1};
    for (int n = 1; n <= 4; ++n)
        l.codigos.tabela(n).fill(1111);
    return l;
}

QByteArray com_valor(const QByteArray& texto, const QString& secao, const QString& chave,
                     const QString& valor) {
    PerfilPrivado ini = PerfilPrivado::de_bytes(texto);
    ini.grava(secao, chave, valor);
    return ini.texto();
}

// Reads; gives the error number, 0 when the layout loaded, -1 for the type refusal.
int le_layout(const QByteArray& texto, Layout& l) {
    try {
        return Le_Layout(PerfilPrivado::de_bytes(texto), l) ? 0 : -1;
    } catch (const ErroExecucao& e) {
        return e.numero();
    }
}

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

class TesteArquivos : public QObject {
    Q_OBJECT

  private slots:
    void le_data() {
        QTest::addColumn<QByteArray>("arquivo");
        QTest::addColumn<QString>("secao");
        QTest::addColumn<QString>("chave");
        QTest::addColumn<QString>("esperado");
        auto linha = [](const char* nome, const QByteArray& arquivo, const QString& secao,
                        const QString& chave, const QString& esperado) {
            QTest::newRow(nome) << arquivo << secao << chave << esperado;
        };
        const QByteArray s = "[S]\r\n";
        linha("letra e brancos dos nomes", "  [ Tab1 ]  \r\n \t T5  =  3 \t \r\n", " tAB1 ", "\tt5 ", "3");
        linha("secao ausente", s + "k=v\r\n", "X", "k", PADRAO);
        linha("chave sem igual e depois com", s + "k\r\nk=2\r\n", "S", "k", "2");
        linha("valor so de brancos", s + "k=   \r\n", "S", "k", "");
        linha("igual no valor", s + "k=a=b\r\n", "S", "k", "a=b");
        linha("aspas duplas", s + "k=\"  a b \"\r\n", "S", "k", "  a b ");
        linha("aspas simples", s + "k='x'\r\n", "S", "k", "x");
        linha("aspas desiguais", s + "k=\"x'\r\n", "S", "k", "\"x'");
        linha("uma aspa", s + "k=\"\r\n", "S", "k", "\"");
        linha("primeira secao vence", s + "k=1\r\n[s]\r\nk=2\r\nj=3\r\n", "S", "j", PADRAO);
        linha("primeira chave vence", s + "k=1\r\nK=2\r\n", "S", "k", "1");
        linha("so CR", "[S]\rk=v\rj=w\r", "S", "j", "w");
        linha("cabecalho com comentario", "[S] ; velho\r\nk=1\r\n", "S", "k", "1");
        linha("colchete no nome", "[a]b]\r\nk=1\r\n", "a]b", "k", "1");
        linha("cabecalho sem fecho", "[S\r\nk=1\r\n", "S", "k", PADRAO);
        linha("secao sem nome", "[]\r\nk=1\r\n", "", "k", "1");
        linha("comentario nao e chave", s + ";k=1\r\n", "S", "k", PADRAO);
        linha("fora do ASCII", "[Se\xe7\xe3o]\r\nChave=\xe1\xe9\x80\x81\r\n", QStringLiteral("SEÇÃO"),
              QStringLiteral("chave"), QStringLiteral("áé€") + QChar(0x81));
        linha("NUL no valor", QByteArray("[S]\r\nk=a\0b\r\n", 12), "S", "k",
              QStringLiteral("a") + QChar(0) + "b");
    }
    void le() {
        QFETCH(QByteArray, arquivo);
        QFETCH(QString, secao);
        QFETCH(QString, chave);
        QFETCH(QString, esperado);
        QCOMPARE(PerfilPrivado::de_bytes(arquivo).le(secao, chave, PADRAO, 255), esperado);
    }

    // Values and defaults are cut to the buffer less one; the default loses its
    // trailing blanks.
    void capacidade() {
        const QByteArray longo(300, 'x');
        const PerfilPrivado ini =
            PerfilPrivado::de_bytes("[S]\r\nk=" + longo + "\r\nq=\"" + longo + "\"\r\n");
        QCOMPARE(ini.le("S", "k", PADRAO, 255), QString(254, QLatin1Char('x')));
        QCOMPARE(ini.le("S", "q", PADRAO, 255), QString(254, QLatin1Char('x')));
        QCOMPARE(ini.le("S", "k", PADRAO, 1), QString());
        QCOMPARE(ini.le("S", "nada", QStringLiteral("-2  \t"), 255), QStringLiteral("-2"));
        QCOMPARE(ini.le("S", "nada", QStringLiteral("abcdef"), 4), QStringLiteral("abc"));
    }

    void grava_data() {
        QTest::addColumn<QByteArray>("antes");
        QTest::addColumn<QStringList>("escritas"); // section, key, value, ...
        QTest::addColumn<QByteArray>("depois");
        auto linha = [](const char* nome, const QByteArray& antes, const QStringList& e,
                        const QByteArray& depois) { QTest::newRow(nome) << antes << e << depois; };
        linha("duas secoes novas", "", {"A", "x", "1", "B", "y", "2", "A", "z", "3"},
              "[A]\r\nx=1\r\nz=3\r\n[B]\r\ny=2\r\n");
        linha("substitui no lugar", "[S]\r\n  k = 1  \r\nj=2\r\n", {"S", "K", "9"},
              "[S]\r\n  k = 9\r\nj=2\r\n");
        linha("substitui a primeira", "[S]\r\nk=1\r\nk=2\r\n[s]\r\nk=3\r\n", {"s", "k", "0"},
              "[S]\r\nk=0\r\nk=2\r\n[s]\r\nk=3\r\n");
        linha("acrescenta antes das linhas em branco", "[A]\r\nx=1\r\n\r\n\r\n[B]\r\n", {"A", "y", "2"},
              "[A]\r\nx=1\r\ny=2\r\n\r\n\r\n[B]\r\n");
        linha("acrescenta logo apos o cabecalho", "[A]\r\n\r\n[B]\r\n", {"A", "y", "2"},
              "[A]\r\ny=2\r\n\r\n[B]\r\n");
        linha("acrescenta apos comentario", "[A]\r\nx=1\r\n; fim\r\n", {"A", "y", "2"},
              "[A]\r\nx=1\r\n; fim\r\ny=2\r\n");
        linha("sem quebra no fim", "[A]\r\nx=1", {"B", "y", "2"}, "[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
        linha("LF fica LF", "[A]\nx=1\n", {"A", "x", "2"}, "[A]\nx=2\n");
        linha("linhas antes da primeira secao", "; cabeca\r\n\r\n", {"A", "x", "1"},
              "; cabeca\r\n\r\n[A]\r\nx=1\r\n");
        linha("chave sem igual nao e substituida", "[A]\r\nx\r\n", {"A", "x", "1"}, "[A]\r\nx\r\nx=1\r\n");
        linha("nomes sem brancos", "", {" A ", " x ", " 1"}, "[A]\r\nx= 1\r\n");
        linha("quebra de linha vira branco", "", {"A", "x", "1\r\n[B]"}, "[A]\r\nx=1  [B]\r\n");
        linha("duas vezes a mesma chave nova", "", {"A", "x", "1", "a", "X", "2"}, "[A]\r\nx=2\r\n");
        linha("fora do ASCII", "[A]\r\n\xe7=\xe3\xff\r\n",
              {QStringLiteral("Seção"), "x", QStringLiteral("ã€☺")},
              "[A]\r\n\xe7=\xe3\xff\r\n[Se\xe7\xe3o]\r\nx=\xe3\x80?\r\n");
    }
    void grava() {
        QFETCH(QByteArray, antes);
        QFETCH(QStringList, escritas);
        QFETCH(QByteArray, depois);
        PerfilPrivado ini = PerfilPrivado::de_bytes(antes);
        for (int i = 0; i + 2 < escritas.size(); i += 3)
            ini.grava(escritas[i], escritas[i + 1], escritas[i + 2]);
        QCOMPARE(ini.texto(), depois);
    }

    // Names that could not be read back are refused; a character the code page
    // lacks is written as '?', and found under that name, as on reading the file.
    void nomes_que_nao_voltam() {
        PerfilPrivado ini;
        QVERIFY_THROWS_EXCEPTION(ErroExecucao, ini.grava("S", "k=1", "v"));
        QVERIFY_THROWS_EXCEPTION(ErroExecucao, ini.grava("S", " [z]", "v"));
        QCOMPARE(ini.texto(), QByteArray());
        ini.grava(QStringLiteral("☺"), QStringLiteral("c☺"), "v");
        QCOMPARE(ini.texto(), QByteArray("[?]\r\nc?=v\r\n"));
        QCOMPARE(ini.le("?", "c?", PADRAO, 255), QStringLiteral("v"));
        QCOMPARE(ini.le(QStringLiteral("☺"), QStringLiteral("c☺"), PADRAO, 255), PADRAO);
    }

    // A missing file, a folder and a pipe read as nothing, without blocking; a save
    // goes through a temporary file that is not left behind.
    void arquivos() {
        QTemporaryDir dir;
        const QString a = dir.filePath("a.key");
        QCOMPARE(PerfilPrivado::le_arquivo(a).le("S", "k", PADRAO, 255), PADRAO);
        PerfilPrivado ini = PerfilPrivado::le_para_gravar(a);
        ini.grava("S", "k", "v");
        ini.salva(a);
        QCOMPARE(le_bytes(a), QByteArray("[S]\r\nk=v\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.key"});
        QVERIFY(QDir(dir.path()).mkdir("pasta.key"));
        QCOMPARE(PerfilPrivado::le_arquivo(dir.filePath("pasta.key")).le("S", "k", PADRAO, 255), PADRAO);
#ifdef Q_OS_UNIX
        const QString fifo = dir.filePath("fifo.key");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QCOMPARE(PerfilPrivado::le_arquivo(fifo).le("S", "k", PADRAO, 255), PADRAO);
        QVERIFY_THROWS_EXCEPTION(ErroExecucao, PerfilPrivado::le_para_gravar(fifo));
#endif
    }

    // Saves the real filesystem refuses: the file and the reason are told and the old
    // file stays byte for byte, no temporary left; a folder where only the temporary
    // file cannot be made still lets an existing file be saved over, but not over a
    // full disk, where writing in place would truncate it first.
    void gravacao_recusada_data() {
        QTest::addColumn<QString>("caso");
        QTest::addColumn<QString>("motivo"); // empty: the save succeeds
        QTest::newRow("pasta inexistente") << "nao/a.key"
                                           << "não existe";
        QTest::newRow("uma pasta com o nome") << "pasta"
                                              << "é uma pasta";
        QTest::newRow("somente leitura") << "lido"
                                         << "somente leitura";
#ifdef Q_OS_UNIX
        QTest::newRow("limite de tamanho") << "limite"
                                           << "arquivo grande demais";
        QTest::newRow("tmpfs cheio") << "cheio"
                                     << "sem espaço no dispositivo";
        QTest::newRow("pasta sem escrita") << "sem escrita"
                                           << "";
        QTest::newRow("tmpfs cheio, pasta sem escrita") << "cheio e fechado"
                                                        << "sem espaço no dispositivo";
#endif
    }
    void gravacao_recusada() {
        QFETCH(QString, caso);
        QFETCH(QString, motivo);
        const QByteArray velho = "[Teclado]\r\nTipo=Vantora\r\n; mantida\r\n";
        PerfilPrivado ini = PerfilPrivado::de_bytes(velho);
        Grava_Layout(ini, exemplo()); // some 3 KB, more than the limit and the space left
        QTemporaryDir dir;
        QString caminho = dir.filePath(caso == "nao/a.key" ? caso : "a.key");
        std::unique_ptr<DiscoCheio> cheio;
        std::unique_ptr<PastaSemEscrita> pasta;
        const PastaDeTeste* real = nullptr; // the refusing folder, when the case needs one
#ifdef Q_OS_UNIX
        struct VoltaAoUsuario { // back from nobody before the tmpfs is unmounted, however the test ends
            ~VoltaAoUsuario() { (void)seteuid(getuid()); }
        } volta;
#endif
        if (caso == "pasta") {
            QVERIFY(QDir(dir.path()).mkdir("a.key"));
        } else if (caso.startsWith("cheio") || caso == "sem escrita") {
#ifdef Q_OS_UNIX
            if (caso == "sem escrita")
                real = (pasta = std::make_unique<PastaSemEscrita>("a.key", velho)).get();
            else
                real = (cheio = std::make_unique<DiscoCheio>("a.key", velho)).get();
            if (!real->motivo_sem.isEmpty()) QSKIP(qPrintable(real->motivo_sem));
            caminho = real->caminho("a.key");
            if (caso == "cheio e fechado") { // the full tmpfs read-only to nobody, its file writable
                const QString montado = QFileInfo(caminho).path();
                ::chmod(QFile::encodeName(caminho).constData(), 0666);
                ::chmod(QFile::encodeName(montado).constData(), 0555);
                ::chmod(QFile::encodeName(QFileInfo(montado).path()).constData(), 0755);
                if (seteuid(65534) != 0) QSKIP("cannot become nobody");
            }
#endif
        } else if (caso != "nao/a.key") {
            QVERIFY(grava_bytes(caminho, velho));
            if (caso == "lido")
                QVERIFY(QFile::setPermissions(caminho, QFileDevice::ReadOwner | QFileDevice::ReadUser));
        }
        QString erro;
        try {
#ifdef Q_OS_UNIX
            std::unique_ptr<LimiteTamanho> limite;
            if (caso == "limite") limite = std::make_unique<LimiteTamanho>(1024);
#endif
            ini.salva(caminho);
        } catch (const ErroExecucao& e) {
            QCOMPARE(e.numero(), int(ERRO_ARQUIVO));
            erro = e.descricao();
        }
        const QByteArray agora = le_bytes(caminho);
        const QStringList deixados = real ? real->arquivos() : QDir(dir.path()).entryList(QDir::Files);
        pasta.reset();
        QVERIFY2(erro.contains(motivo) && (motivo.isEmpty() == erro.isEmpty()), qPrintable(erro));
        QVERIFY2(erro.isEmpty() || erro.contains(QDir::toNativeSeparators(caminho)), qPrintable(erro));
        if (caso != "nao/a.key" && caso != "pasta") QCOMPARE(agora, motivo.isEmpty() ? ini.texto() : velho);
        QVERIFY2(!deixados.join(' ').contains(".key."), qPrintable(deixados.join(' ')));
    }

    // Big and odd files are read in one pass, never a hang: many short lines with the
    // key at the end, saved over; lines of 100,000 characters, one an open header.
    void arquivos_grandes() {
        QTemporaryDir dir;
        QByteArray grande = "[Tab1]\r\n";
        for (int n = 0; grande.size() < 16 * 1024 * 1024; ++n)
            grande += "K" + QByteArray::number(n) + "=" + QByteArray::number(n % 977) + "\r\n";
        const QString g = dir.filePath("grande.key");
        QVERIFY(grava_bytes(g, grande + "T5=77\r\n"));
        grande.clear();
        PerfilPrivado ini = PerfilPrivado::le_para_gravar(g);
        QCOMPARE(ini.le("tab1", "t5", PADRAO, 255), QStringLiteral("77"));
        for (int i = 0; i < 72; ++i)
            ini.grava("Tab1", "T" + QString::number(i), QString::number(i));
        ini.salva(g);
        const PerfilPrivado relido = PerfilPrivado::le_arquivo(g);
        QCOMPARE(relido.le("Tab1", "T5", PADRAO, 255), QStringLiteral("5"));
        QCOMPARE(relido.le("Tab1", "K1000", PADRAO, 255), QStringLiteral("23"));
        const QByteArray longa = "[" + QByteArray(100000, 'a') + "\r\nk=" + QByteArray(100000, 'b') +
                                 "\r\n[S]\r\nk" + QByteArray(100000, ' ') + "=" + QByteArray(100000, ' ') +
                                 "1\r\n";
        const PerfilPrivado l = PerfilPrivado::de_bytes(longa);
        QCOMPARE(l.le("S", "k", PADRAO, 255), QStringLiteral("1"));
        QCOMPARE(l.texto(), longa);
    }

    // The new file reads back to the values written into it, and is written back to
    // the same bytes.
    void texto_de_arquivo_novo() {
        const Layout l = exemplo();
        QCOMPARE(l.caixas, (std::array<int, 3>{1, 0, 2}));
        QCOMPARE(l.codigos.Codigos_Tab1[1], std::int16_t(39));
        QCOMPARE(l.codigos.Codigos_Tab2[65], std::int16_t(65));
        QCOMPARE(l.codigos.Codigos_Tab3[1], std::int16_t(255));
        QCOMPARE(l.codigos.Codigos_Tab4[3], std::int16_t(-1));
        QCOMPARE(l.codigos.Codigos_Tab4[5], std::int16_t(-32768));
        QCOMPARE(l.codigos.Codigos_Tab1[67], std::int16_t(63));
        QCOMPARE(texto_layout(l), le_bytes(dados("layout_novo.key")));
    }

    // Saving over a file with sections, comments and spacing of its own replaces the
    // values where they stand and keeps every other line; it reads back as saved, and
    // saving again changes nothing.
    void texto_sobre_arquivo_existente() {
        PerfilPrivado ini = PerfilPrivado::de_bytes(le_bytes(dados("existente.key")));
        Grava_Layout(ini, exemplo());
        const QByteArray esperado = le_bytes(dados("existente_gravado.key"));
        QCOMPARE(ini.texto(), esperado);
        Layout l = marcado();
        QCOMPARE(le_layout(esperado, l), 0);
        QVERIFY(l == exemplo());
        Grava_Layout(ini, exemplo());
        QCOMPARE(ini.texto(), esperado);
    }

    // One value of the example file changed: what it loads as, or the error it stops with.
    void valores_data() {
        QTest::addColumn<QString>("secao");
        QTest::addColumn<QString>("chave");
        QTest::addColumn<QString>("valor"); // "<sem>": the line removed
        QTest::addColumn<int>("erro");
        QTest::addColumn<int>("esperado");
        auto linha = [](const char* nome, const char* s, const char* c, const QString& v, int erro,
                        int esperado) {
            QTest::newRow(nome) << QString(s) << QString(c) << v << erro << esperado;
        };
        linha("13.5", "Tab2", "T5", "13.5", 0, 14);
        linha("letras", "Tab2", "T5", "AB", ERRO_TIPOS, 0);
        linha("40000", "Tab2", "T5", "40000", ERRO_ESTOURO, 0);
        linha("-20", "Tab2", "T5", "-20", ERRO_TIPOS, 0);
        linha("sentinela -21", "Tab1", "T66", "-21", 0, 0);
        linha("sentinela 12abc", "Tab1", "T66", "12abc", 0, 12);
        linha("sentinela 40000", "Tab1", "T66", "40000", ERRO_ESTOURO, 0);
        linha("sentinela -2 entre aspas", "Tab1", "T66", "\"-2x\"", 0, 0); // "-2" reads as missing
        linha("sentinela ausente", "Tab1", "T66", "<sem>", 0, 0);
        linha("Prot -2", "Teclado", "Prot", "-2", 0, 0);
        linha("Prot letras", "Teclado", "Prot", "sim", 0, 0);
        linha("Prot 1.5", "Teclado", "Prot", "1.5", 0, 2);
        linha("Prot 3", "Teclado", "Prot", "3", ERRO_PROPRIEDADE, 0);
        linha("Prot -1", "Teclado", "Prot", "-1", ERRO_PROPRIEDADE, 0);
        linha("ProtDispBNC 70000", "Teclado", "ProtDispBNC", "70000", ERRO_ESTOURO, 0);
    }
    void valores() {
        QFETCH(QString, secao);
        QFETCH(QString, chave);
        QFETCH(QString, valor);
        QFETCH(int, erro);
        QFETCH(int, esperado);
        const QByteArray base = texto_layout(exemplo());
        const QByteArray texto = valor == "<sem>" ? sem_linha(base, secao.toLatin1(), chave.toLatin1())
                                                  : com_valor(base, secao, chave, valor);
        Layout l = marcado();
        QCOMPARE(le_layout(texto, l), erro);
        if (erro != 0) return;
        if (secao == "Teclado")
            QCOMPARE(l.caixas[chave == "Prot" ? 0 : 2], esperado);
        else
            QCOMPARE(int(l.codigos.tabela(secao.back().digitValue())[chave.mid(1).toInt()]), esperado);
    }

    // A key missing among T0..T65 stops the load there: options and every entry read
    // before it (entry by entry, table 1 to 4 within an entry) stay set. An option
    // outside 0..2 stops before the boxes after it and before the codes. Missing
    // sentinel keys read as 0.
    void carga_parcial() {
        const Layout e = exemplo();
        Layout l = marcado();
        QCOMPARE(le_layout(sem_linha(texto_layout(e), "Tab3", "T10"), l), int(ERRO_TIPOS));
        QCOMPARE(l.caixas, e.caixas);
        for (int n = 1; n <= 4; ++n) {
            for (int i = 0; i < QTD_SLOTS; ++i) {
                const bool lido = i < 10 || (i == 10 && n < 3);
                QCOMPARE(l.codigos.tabela(n)[i], lido ? e.codigos.tabela(n)[i] : std::int16_t(1111));
            }
        }
        l = marcado();
        QCOMPARE(le_layout(com_valor(texto_layout(e), "Teclado", "ProtDispBNC", "7"), l),
                 int(ERRO_PROPRIEDADE));
        QCOMPARE(l.caixas, (std::array<int, 3>{1, 0, 1}));
        QCOMPARE(l.codigos, marcado().codigos);
        QByteArray texto = texto_layout(e);
        for (const char* s : {"Tab1", "Tab2", "Tab3", "Tab4"})
            for (int i = 66; i < 72; ++i)
                texto = sem_linha(texto, s, "T" + QByteArray::number(i));
        l = marcado();
        QCOMPARE(le_layout(texto, l), 0);
        for (int n = 1; n <= 4; ++n)
            for (int i = 0; i < QTD_SLOTS; ++i)
                QCOMPARE(l.codigos.tabela(n)[i], i >= 66 ? std::int16_t(0) : e.codigos.tabela(n)[i]);
    }

    // Names in any letter case are found; the type must be exactly "Vantora".
    void tipo_data() {
        QTest::addColumn<QByteArray>("texto");
        QTest::addColumn<bool>("aceito");
        const QByteArray todo = texto_layout(exemplo());
        const QByteArray resto = todo.mid(int(qstrlen("[Teclado]\r\nTipo=Vantora\r\n")));
        QTest::newRow("brancos e aspas") << "[Teclado]\r\nTipo = \"Vantora\" \r\n" + resto << true;
        QTest::newRow("nomes em maiusculas")
            << todo.toUpper().replace("TIPO=VANTORA", "TIPO=Vantora") << true;
        QTest::newRow("vantora") << "[Teclado]\r\nTipo=vantora\r\n" + resto << false;
        QTest::newRow("sem Tipo") << "[Teclado]\r\n" + resto << false;
        QTest::newRow("binario") << QByteArray("\x7f"
                                               "ELF\x02\x01\x01\0\0\0[Teclado]\0Tipo=Vantora",
                                               32)
                                 << false;
    }
    void tipo() {
        QFETCH(QByteArray, texto);
        QFETCH(bool, aceito);
        Layout l = marcado();
        QCOMPARE(le_layout(texto, l), aceito ? 0 : -1);
        QVERIFY(l == (aceito ? exemplo() : marcado()));
    }

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
        const QString caminho = dados("layout_novo.key");
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
        const QByteArray cabeca = "[Teclado]\r\nTipo=Vantora\r\n";
        QTest::newRow("outro teclado")
            << "o.key" << texto_layout(exemplo()).replace("=Vantora", "=vantora") << false;
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
        QTest::newRow("abrir com erro, LCM") << false << 5 << "erro" << false;
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
        const QList<QStringList> casos = {{"Layouts|*.key|Todos|*.*", "Layouts (*.key);;Todos (*.*)", "key"},
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

QTEST_MAIN(TesteArquivos)
#include "teste_arquivos.moc"
