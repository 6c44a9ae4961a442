// The shell's pieces: the error trap's message, where the per-user setting lives, and
// which of Qt's own translations the program loads (the dialogs themselves are read
// in the real window by teste_textos_qt.sh).
#include "comum/falsos.h"

#include "base/armadilha.h"
#include "base/configuracao.h"
#include "base/idioma.h"

#include <QtTest>

using namespace vantora;

class TesteShell : public QObject {
    Q_OBJECT

  private slots:
    // A run-time error ends the procedure with one box naming the error (by its own
    // description here; the window's tests see those of the numbers), the procedure and
    // where it lives; what ran before the failure stays done. Nothing thrown, nothing
    // shown; failures that are not run-time errors of our own are trapped as well.
    void armadilha() {
        teste::MensagensFalsas msg;
        int depois = 0;
        QVERIFY(!vantora::armadilha(msg, QStringLiteral("KeyboardProc"),
                                    modulo("MDL_Keyboard"), [&] {
                                        depois = 1;
                                        throw ErroExecucao(8005, "Porta ocupada");
                                    }));
        QCOMPARE(depois, 1);
        QVERIFY(vantora::armadilha(msg, QStringLiteral("x"), formulario(), [] {}));
        vantora::armadilha(msg, QStringLiteral("p"), formulario(), [] { throw std::bad_alloc(); });
        QCOMPARE(msg.textos(),
                 (QStringList{"Error 8005 (Porta ocupada) in procedure KeyboardProc of Módulo MDL_Keyboard",
                              "Error 7 (Memória insuficiente) in procedure p of Formulário Frm_Grava"}));
        QVERIFY(msg.vistas[0].icone == Icone::Nenhum && msg.vistas[0].botoes == Botoes::Ok &&
                msg.vistas[0].titulo.isEmpty());
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
        QVERIFY(teste::le_bytes(dir.path() + "/vantora-config/vantora-config.conf")
                    .contains("[Sistema]\nSerial=3"));
#endif
    }

    // Portuguese on a Portuguese system (the real dialogs under other languages are read
    // by teste_textos_qt.sh); English only when Qt's translations are missing altogether.
    void traducao_qt() {
        QTemporaryDir vazia;
        const QString qt = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        for (const auto& [pasta, cancelar] : {std::pair{qt, "Cancelar"}, {vazia.path(), "Cancel"}}) {
            QTranslator* t = instalaTraducaoQt(*qApp, QLocale(QStringLiteral("pt_BR")), pasta);
            QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString::fromLatin1(cancelar));
            if (t) QCoreApplication::removeTranslator(t);
            delete t;
        }
    }
};

QTEST_MAIN(TesteShell)
#include "teste_shell.moc"
