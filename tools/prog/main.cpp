// vantora-prog: the Vantora keyboard configurator from the command line, for
// programming keyboards by the dozen, printing legends and checking layout files.
// It runs on the same code as the window: the layout file format, the port list and
// the programming exchange.
#include "comandos.h"

#include "apresenta.h"
#include "base/idioma.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <cstdio>
#include <cstring>

namespace {

// A Windows console's words: "Ctrl+C" (and Ctrl+Break, handled alike), and "/?" for help.
#ifdef Q_OS_WIN
#define CTRL_C "Ctrl+C ou Ctrl+Break"
#define AJUDA_DO_COMANDO "/?"
#else
#define CTRL_C "Ctrl-C"
#define AJUDA_DO_COMANDO "--help"
#endif

const char* const AJUDA =
    "Uso: vantora-prog COMANDO [opções]\n"
    "\n"
    "Programa teclados Vantora e trata arquivos de layout (*.key) pela linha de comando.\n"
    "\n"
    "Comandos:\n"
    "  ports                 lista as portas seriais, como a caixa \"Porta Serial:\" da janela\n"
    "  send ARQUIVO          grava o layout no teclado (várias portas ao mesmo tempo)\n"
    "  show ARQUIVO          mostra o layout como texto (ou CSV)\n"
    "  check ARQUIVO         aponta todos os problemas do arquivo\n"
    "  legend ARQUIVO -o SAIDA.pdf|SAIDA.png\n"
    "                        folha de legendas para imprimir e recortar\n"
    "\n"
    "Teclas, linhas e colunas são numeradas a partir de 1 em todos os comandos: a tecla\n"
    "n = 13 x (linha - 1) + coluna é a chave T(n-1) do arquivo.\n"
    "\n"
    "Saída: 0 certo; 1 o teclado não aceitou o layout (send) ou o arquivo tem erros (check);\n"
    "2 arquivo, porta ou uso com problema; 3 o teclado não respondeu ou parou de responder (send);\n"
    "130 gravação interrompida por " CTRL_C " (send).\n"
    "\n"
    "\"vantora-prog COMANDO " AJUDA_DO_COMANDO "\" explica cada comando; \"vantora-prog --version\" mostra a "
    "versão.\n";

} // namespace

int main(int argc, char* argv[]) {
    const char* comando = argc > 1 ? argv[1] : "";
    // The legend draws text, which needs a font database, but never a display: it
    // runs the same with none, whatever platform the environment names. On Windows,
    // where the offscreen platform looks for fonts only in a folder beside Qt, the
    // system's own platform gives the system's fonts (no window is ever made).
    const bool grafico = std::strcmp(comando, "legend") == 0;
#ifdef Q_OS_WIN
    if (grafico) qputenv("QT_QPA_PLATFORM", "windows");
    // The platform sets the process's DPI awareness, which the manifest has set already
    // (Wine's loader does not read it): its complaint is no concern of a program that
    // makes no window, and would land in the middle of the console's text.
    if (grafico)
        QLoggingCategory::setFilterRules(
            QStringLiteral("qt.qpa.window.warning=false\nqt.qpa.windows.warning=false"));
#else
    if (grafico) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    std::unique_ptr<QCoreApplication> app;
    if (grafico)
        app = std::make_unique<QGuiApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantora-prog"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTORA_VERSAO));
    // Qt's own texts (its option parser's messages) in Portuguese, as ours are.
    vantora::instalaTraducaoQt(*app, QLocale(QLocale::Portuguese, QLocale::Brazil));

#ifdef Q_OS_UNIX
    // The names as given, byte for byte: arguments() turns bytes that are no UTF-8
    // into U+FFFD, and the file named so is another one.
    QStringList args;
    for (int i = 2; i < argc; ++i)
        args << vantora::nome_do_argumento(QByteArrayView(argv[i]));
#else
    QStringList args = QCoreApplication::arguments().mid(2);
#endif
    const QString c = QString::fromLocal8Bit(comando);
    if (c == QLatin1String("ports")) return vantora::prog::ports(args);
    if (c == QLatin1String("send")) return vantora::prog::send(args);
    if (c == QLatin1String("show")) return vantora::prog::show(args);
    if (c == QLatin1String("check")) return vantora::prog::check(args);
    if (c == QLatin1String("legend")) return vantora::prog::legend(args);
    if (c == QLatin1String("--version")) {
        std::printf("vantora-prog %s\n", VANTORA_VERSAO);
        return 0;
    }
    // "/?" as Windows commands take it (no command is named so anywhere).
    if (c.isEmpty() || c == QLatin1String("--help") || c == QLatin1String("-h") ||
        c == QLatin1String("help") || c == QLatin1String("/?")) {
        vantora::prog::escreve_ajuda(c.isEmpty() ? stderr : stdout, QString::fromUtf8(AJUDA));
        return c.isEmpty() ? 2 : 0;
    }
    vantora::prog::escreve_ajuda(
        stderr, QStringLiteral("vantora-prog: comando desconhecido: %1\n\n%2")
                    .arg(vantora::visivel(vantora::nome_do_argumento(QByteArrayView(comando))),
                         QString::fromUtf8(AJUDA)));
    return 2;
}
