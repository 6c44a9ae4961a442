#include "MDL_Keyboard.h"

#include "base/armadilha.h"
#include "capture/captura.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

namespace vantora {
namespace {

const std::string MODULO = "MDL_Keyboard";

// Handles given to installed filters; never zero.
std::int32_t proxima_instalacao() {
    static std::int32_t contador = 0;
    if (++contador <= 0) contador = 1;
    return contador;
}

} // namespace

MDL_Keyboard::MDL_Keyboard(Captura& captura, QWidget& janela)
    : QObject(&captura), tradutor(plataforma_por_nome(QGuiApplication::platformName().toStdString())), captura_(captura),
      janela_(janela) {
    setObjectName(QStringLiteral("MDL_Keyboard"));
    // Keys released while another window (ours or another program's) has the
    // keyboard never reach us: forget them all as the window loses it.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* w) {
        if (!w || w != janela_.windowHandle()) esquece_tudo();
    });
}

void MDL_Keyboard::esquece_tudo() {
    da_janela_.reset();
    tradutor.esquece_tudo();
}

bool MDL_Keyboard::InstallHook() {
    if (Hook_Teclado == 0 && qApp) {
        // Nothing was seen while the filter was off.
        esquece_tudo();
        qApp->installEventFilter(this);
        Hook_Teclado = proxima_instalacao();
    }
    return true;
}

void MDL_Keyboard::RemoveHook() {
    if (Hook_Teclado != 0 && qApp) qApp->removeEventFilter(this);
    Hook_Teclado = 0;
}

int MDL_Keyboard::KeyboardProc(int code, int virtualKey, std::uint32_t eventWord) {
    if (code < 0) return 1;
    int resultado = 1;
    const bool ok =
        armadilha(captura_.mensagens(), QStringLiteral("KeyboardProc"), modulo(MODULO), [&] {
            const QString w = QString::number(eventWord, 16).toUpper();
            const QString v = QString::number(virtualKey);
            if (relato_escolhe_tecla(eventWord)) captura_.Localiza_TeclaPC(w + v);
        });
    if (!ok) resultado = 0;
    return resultado;
}

bool MDL_Keyboard::para_dialogo(QObject* destino) const {
    // One of our own boxes or file dialogs is open: it answers the keyboard.
    if (QApplication::activeModalWidget()) return true;
    if (QWidget* ativa = QApplication::activeWindow(); ativa && ativa != &janela_) return true;
    if (auto* w = qobject_cast<QWidget*>(destino)) return w->window() != &janela_;
    if (auto* j = qobject_cast<QWindow*>(destino)) return j != janela_.windowHandle();
    return false;
}

bool MDL_Keyboard::eventFilter(QObject* destino, QEvent* e) {
    const QEvent::Type tipo = e->type();
    if (tipo != QEvent::KeyPress && tipo != QEvent::KeyRelease && tipo != QEvent::ShortcutOverride)
        return false;
    if (!instalado()) return false;
    auto* k = static_cast<QKeyEvent*>(e);
    // Synthesized events and platforms without native key data pass untouched.
    if ((k->nativeScanCode() == 0 && k->nativeVirtualKey() == 0) ||
        tradutor.plataforma() == Plataforma::Nenhuma)
        return false;
    EventoNativo nativo{tipo == QEvent::KeyRelease, k->isAutoRepeat(), k->nativeScanCode(),
                        k->nativeVirtualKey(), k->nativeModifiers()};
    nativo.instante = k->timestamp();
    const std::uint32_t tecla = k->nativeScanCode() & 0x1FF;
    if (para_dialogo(destino)) {
        if (tipo == QEvent::KeyRelease && !k->isAutoRepeat()) {
            da_janela_.reset(tecla);
            tradutor.esquece(nativo);
        }
        return false;
    }
    // The press that follows is the keystroke; no shortcut takes it.
    if (tipo == QEvent::ShortcutOverride) {
        e->accept();
        return true;
    }
    if (liberado_.evento == e && liberado_.tipo == tipo && liberado_.instante == k->timestamp() &&
        liberado_.varredura == k->nativeScanCode())
        return false;
    liberado_ = {};
    // A key whose press was not a keystroke for the window (the Enter or Esc that
    // closed a dialog, a key held as the window got the keyboard): its repeats and
    // its release belong to where it was pressed, and assign nothing.
    if (tipo == QEvent::KeyPress && !k->isAutoRepeat()) {
        da_janela_.set(tecla);
    } else if (!da_janela_.test(tecla)) {
        if (tipo == QEvent::KeyRelease && !k->isAutoRepeat()) tradutor.esquece(nativo);
        return true;
    } else if (tipo == QEvent::KeyRelease && !k->isAutoRepeat()) {
        da_janela_.reset(tecla);
    }

    int resultado = 1;
    for (const RelatoTecla& r : tradutor.traduz(nativo)) {
        if (KeyboardProc(0, r.teclaVirtual, r.palavra) == 0) resultado = 0;
    }
    captura_.relata();
    if (resultado == 0) {
        liberado_ = {e, tipo, k->timestamp(), k->nativeScanCode()};
        return false;
    }
    return true;
}

} // namespace vantora
