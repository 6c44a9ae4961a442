// The shell's pieces: the error trap's message, where the per-user setting lives, and
// which of Qt's own translations the program loads.
#include "comum/falsos.h"

#include "shell/armadilha.h"
#include "shell/configuracao.h"
#include "shell/idioma.h"

#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

using namespace vantora;

class TesteShell : public QObject {
    Q_OBJECT

  private slots:
    void armadilha_formata_a_mensagem() {
        teste::MensagensFalsas msg;
        int depois = 0;
        const bool ok =
            armadilha(msg, QStringLiteral("KeyboardProc"), modulo(QStringLiteral("MDL_Keyboard")), [&] {
                depois = 1; // what ran before the failure stays done
                throw ErroExecucao(ERRO_ESTOURO);
            });
        QVERIFY(!ok);
        QCOMPARE(depois, 1);
        QCOMPARE(msg.vistas.size(), size_t(1));
        QCOMPARE(msg.vistas[0].texto,
                 QStringLiteral("Error 6 (Estouro) in procedure KeyboardProc of Módulo MDL_Keyboard"));
        QCOMPARE(msg.vistas[0].icone, Icone::Nenhum);
        QCOMPARE(msg.vistas[0].botoes, Botoes::Ok);
        QVERIFY(msg.vistas[0].titulo.isEmpty());

        QVERIFY(armadilha(msg, QStringLiteral("x"), formulario(), [] {}));
        QCOMPARE(msg.vistas.size(), size_t(1));

        armadilha(msg, QStringLiteral("Cmd_Grava_Teclado_Click"), formulario(),
                  [] { throw ErroExecucao(8005, QStringLiteral("Porta ocupada")); });
        QCOMPARE(
            msg.ultima(),
            QStringLiteral(
                "Error 8005 (Porta ocupada) in procedure Cmd_Grava_Teclado_Click of Formulário Frm_Grava"));
        // Failures that are not run-time errors of our own are trapped as well.
        armadilha(msg, QStringLiteral("p"), formulario(), [] { throw std::bad_alloc(); });
        QVERIFY(msg.ultima().startsWith(QStringLiteral("Error 7 (")));
    }

    void descricoes() {
        for (int n : {5, 6, 9, 13, 380, 8005}) {
            const ErroExecucao e(n);
            QVERIFY(!e.descricao().isEmpty());
            QCOMPARE(e.numero(), n);
        }
        QCOMPARE(ErroExecucao(13).descricao(), QStringLiteral("Tipos incompatíveis"));
    }

    // On Linux the setting lives in $XDG_CONFIG_HOME/<app>/<app>.conf, group Sistema.
    void configuracao_no_lugar_certo() {
#if defined(Q_OS_LINUX)
        QTemporaryDir dir;
        qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
        {
            auto cfg = criaConfiguracaoSistema(QStringLiteral("vantora-config"));
            QCOMPARE(cfg->le(QStringLiteral("Sistema"), QStringLiteral("Serial"), QStringLiteral("1")),
                     QStringLiteral("1"));
            cfg->grava(QStringLiteral("Sistema"), QStringLiteral("Serial"), QStringLiteral("3"));
        }
        QFile f(dir.path() + QStringLiteral("/vantora-config/vantora-config.conf"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray texto = f.readAll();
        QVERIFY(texto.contains("[Sistema]"));
        QVERIFY(texto.contains("Serial=3"));
        auto outra = criaConfiguracaoSistema(QStringLiteral("vantora-config"));
        QCOMPARE(outra->le(QStringLiteral("Sistema"), QStringLiteral("Serial"), QStringLiteral("1")),
                 QStringLiteral("3"));
#endif
    }

    // Qt's texts follow the system's language; Portuguese where Qt has no translation.
    void traducao_qt_data() {
        QTest::addColumn<QString>("sistema");
        QTest::addColumn<QString>("arquivo");
        QTest::addColumn<QString>("cancelar");
        QTest::newRow("pt_BR") << "pt_BR"
                               << "qtbase_pt_BR.qm"
                               << "Cancelar";
        QTest::newRow("de_DE") << "de_DE"
                               << "qtbase_de.qm"
                               << "Abbrechen";
        QTest::newRow("sv_SE, none") << "sv_SE"
                                     << "qtbase_pt_BR.qm"
                                     << "Cancelar";
        QTest::newRow("pt_PT, none") << "pt_PT"
                                     << "qtbase_pt_BR.qm"
                                     << "Cancelar";
        QTest::newRow("C") << "C"
                           << "qtbase_pt_BR.qm"
                           << "Cancelar";
    }
    void traducao_qt() {
        QFETCH(QString, sistema);
        QFETCH(QString, arquivo);
        QFETCH(QString, cancelar);
        QTranslator* t = instalaTraducaoQt(*QCoreApplication::instance(), QLocale(sistema));
        QVERIFY2(t, "qtbase translations missing (Debian package qt6-translations-l10n)");
        QCOMPARE(QFileInfo(t->filePath()).fileName(), arquivo);
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), cancelar);
        QCoreApplication::removeTranslator(t);
        delete t;
    }
    void sem_traducoes_qt_fica_o_ingles() {
        QTemporaryDir vazia;
        QVERIFY(!instalaTraducaoQt(*QCoreApplication::instance(), QLocale(QStringLiteral("pt_BR")),
                                   vazia.path()));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    }
};

QTEST_MAIN(TesteShell)
#include "test_shell.moc"
