// Starts the configurator: one window, the platform's seams, the event loop.
#include "base/idioma.h"
#include "files/arquivos.h"
#include "link/portas.h"
#include "shell/Frm_Grava.h"
#include "shell/medida.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <cstring>
#ifdef Q_OS_UNIX
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {
#ifdef Q_OS_UNIX
// The end of the session, a kill or Ctrl-C in the terminal closes the program as "Sair"
// does, through its event loop: an exchange under way stops, the port is closed and
// everything held is let go in order. The handler only writes a byte for the loop.
int aviso_de_sinal[2] = {-1, -1};
void encerra_ao_sinal(QApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, aviso_de_sinal) != 0) return;
    auto* aviso = new QSocketNotifier(aviso_de_sinal[1], QSocketNotifier::Read, &app);
    QObject::connect(aviso, &QSocketNotifier::activated, &app, [] { QCoreApplication::quit(); });
    for (const int sinal : {SIGTERM, SIGINT, SIGHUP})
        std::signal(sinal, [](int) { (void)!::write(aviso_de_sinal[0], "x", 1); });
}
#endif
} // namespace

int main(int argc, char* argv[]) {
    // --help and --version answer at once, with or without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("vantora-config %s\n", VANTORA_VERSAO);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs("Uso: vantora-config [opções] [ARQUIVO.key]\n\n"
                       "Configurador dos teclados Vantora: a janela que edita layouts (*.key) e os grava no\n"
                       "teclado pela porta serial. ARQUIVO.key é aberto ao iniciar, como pelo comando\n"
                       "Abrir.\n\n"
                       "Opções:\n"
                       "  -h, --help  Mostra esta ajuda.\n"
                       "  --version   Mostra a versão.\n\n"
                       "Pela linha de comando, sem janela: vantora-prog --help.\n",
                       stdout);
            return 0;
        }
    }
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        // From the build tree the developer's scripts help; once installed, the installed programs.
        const bool construcao =
            QFileInfo(QStringLiteral("/proc/self/exe"))
                .canonicalFilePath()
                .startsWith(QDir(QStringLiteral(VANTORA_CONSTRUCAO)).canonicalPath() + QLatin1Char('/'));
        std::fputs(construcao
                       ? "vantora-config: nenhuma tela disponível (DISPLAY vazio); para ver a janela, rode "
                         "scripts/screenshot.sh (grava um PNG) ou xvfb-run build/bin/vantora-config\n"
                       : "vantora-config: nenhuma tela disponível (DISPLAY vazio); abra-o numa sessão "
                         "gráfica, ou rode xvfb-run vantora-config; sem tela, vantora-prog grava teclados "
                         "(vantora-prog --help)\n",
                   stderr);
        return 2;
    }
#endif
    // Link: the machine's serial ports (and those of VANTORA_EXTRA_PORTS); made first,
    // so that its first search runs while the application and the window start.
    auto inventario = vantora::criaInventarioSistema();
    QApplication app(argc, argv);
    // The executable's name is the application name of the per-user setting.
    const QString nome = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    QCoreApplication::setOrganizationName(nome);
    QCoreApplication::setApplicationName(nome);
    // Qt's file dialogs and standard buttons in the system's language, Portuguese
    // where Qt has none for it.
    vantora::instalaTraducaoQt(app);
#ifdef Q_OS_UNIX
    encerra_ao_sinal(app);
#endif

    // The other seams are the platform's own, made by the window.
    vantora::Servicos servicos;
    servicos.inventario = inventario.get();
    vantora::Frm_Grava janela(servicos);
    if (!janela.Form_Load()) return 1;
    janela.show();
    // A layout file named on the command line opens once the window is up.
    if (const QString arquivo = QCoreApplication::arguments().value(1); !arquivo.isEmpty())
        QTimer::singleShot(0, &janela, [&janela, arquivo] { janela.arquivos().abre_arquivo(arquivo); });
    vantora::ganchosDeMedida(janela);
    return app.exec();
}
