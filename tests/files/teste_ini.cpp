// The private-profile store: reads as the Windows profile functions read, writes
// keeping every other byte of the file, saves all or nothing on real filesystems.
#include "apoio.h"
#include "comum/disco.h"
#include "files/ini.h"
#include "shell/erro.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace vantora;
using namespace vantora::teste;

namespace {

const QString PADRAO = QStringLiteral("<padrao>");

class TesteIni : public QObject {
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
    // file cannot be made still lets an existing file be saved over.
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
        std::function<QStringList()> arquivos = [&] { return QDir(dir.path()).entryList(QDir::Files); };
        std::unique_ptr<DiscoCheio> cheio;
        std::unique_ptr<PastaSemEscrita> pasta;
        if (caso == "pasta") {
            QVERIFY(QDir(dir.path()).mkdir("a.key"));
        } else if (caso == "cheio" || caso == "sem escrita") {
#ifdef Q_OS_UNIX
            if (caso == "cheio")
                cheio = std::make_unique<DiscoCheio>("a.key", velho);
            else
                pasta = std::make_unique<PastaSemEscrita>("a.key", velho);
            const QString sem = cheio ? cheio->motivo_sem : pasta->motivo_sem;
            if (!sem.isEmpty()) QSKIP(qPrintable(sem));
            caminho = cheio ? cheio->caminho("a.key") : pasta->caminho("a.key");
            arquivos = [&] { return cheio ? cheio->arquivos() : pasta->arquivos(); };
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
        const QStringList deixados = arquivos();
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
};

} // namespace

int executa_ini(int argc, char** argv) {
    TesteIni t;
    return QTest::qExec(&t, argc, argv);
}

#include "teste_ini.moc"
