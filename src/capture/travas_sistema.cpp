// The platform's lock-key state: GetKeyState on Windows; elsewhere the state the
// program follows (capture/travas.h), on X11 with the XKB indicators "Caps Lock",
// "Num Lock" and "Scroll Lock" of the core keyboard as the server reports changes.
#include "capture/travas.h"

#include <QGuiApplication>

#if defined(Q_OS_WIN)
#include <windows.h>
#else
#include <QAbstractNativeEventFilter>
#include <QKeyEvent>
#include <QWindow>
#include <array>
#endif
#if !defined(Q_OS_WIN) && defined(VANTORA_XCB_XKB) && QT_CONFIG(xcb)
#include <cstdlib>
#include <xcb/xcb.h>
// xkb.h names a field `explicit`, which C++ reserves.
#define explicit xcb_explicit
#include <xcb/xkb.h>
#undef explicit
#endif

namespace vantora {
namespace {

#if defined(Q_OS_WIN)

class EstadoTecladoWindows final : public EstadoTeclado {
  public:
    std::int16_t GetKeyState(int teclaVirtual) override { return ::GetKeyState(teclaVirtual); }
};
using EstadoTecladoPlataforma = EstadoTecladoWindows;

#else

// Follows the lock keys from the key events of the whole application, before any
// filter of ours can consume them, and on X11 the server's XKB indicators from the
// events the server sends when they change: after the first query, a tick asks the
// server nothing.
class EstadoTecladoAcompanhado final : public QObject,
                                       public EstadoTeclado
#if defined(VANTORA_XCB_XKB) && QT_CONFIG(xcb)
    ,
                                       public QAbstractNativeEventFilter
#endif
{
  public:
    std::int16_t GetKeyState(int teclaVirtual) override {
        liga();
        return travas_.GetKeyState(teclaVirtual);
    }

    // (Re)installs the observer ahead of every other application filter.
    void liga() {
        if (!qApp) return;
        if (!ligado_) {
            tradutor_.define_plataforma(plataforma_por_nome(QGuiApplication::platformName().toStdString()));
            ligado_ = true;
#if defined(VANTORA_XCB_XKB) && QT_CONFIG(xcb)
            liga_x11();
#endif
        }
        qApp->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* destino, QEvent* e) override {
        if (e->type() != QEvent::KeyPress && e->type() != QEvent::KeyRelease) return false;
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->nativeScanCode() == 0 && k->nativeVirtualKey() == 0) return false;
        // A key event goes to the window first, then on to the focused control: it is
        // taken at the window, once.
        if (!qobject_cast<QWindow*>(destino)) return false;
        if (tradutor_.plataforma() == Plataforma::Nenhuma) return false;
        const EventoNativo nativo{e->type() == QEvent::KeyRelease, k->isAutoRepeat(), k->nativeScanCode(),
                                  k->nativeVirtualKey(), k->nativeModifiers()};
        const Relatos relatos = tradutor_.traduz(nativo);
        // The modifiers are those before the event; around a lock key's own press and
        // release they lag behind it (a lock is undone on release), so its toggle says it.
        bool trava = false;
        for (const RelatoTecla& r : relatos)
            trava = trava || r.teclaVirtual == VK_CAPITAL || r.teclaVirtual == VK_NUMLOCK ||
                    r.teclaVirtual == VK_SCROLL;
        // Qt's wayland plugin leaves them at 0 (the compositor's modifiers event comes
        // apart from the keys), so there the lock keys' own toggles are the state.
        if (!trava && tradutor_.plataforma() == Plataforma::X11) travas_.modificadores(k->nativeModifiers());
        for (const RelatoTecla& r : relatos)
            travas_.tecla(r);
        return false;
    }

#if defined(VANTORA_XCB_XKB) && QT_CONFIG(xcb)
    bool nativeEventFilter(const QByteArray& tipo, void* mensagem, qintptr*) override {
        if (primeiro_evento_ < 0 || tipo != "xcb_generic_event_t") return false;
        auto* ev = static_cast<xcb_generic_event_t*>(mensagem);
        if ((ev->response_type & 0x7f) != primeiro_evento_) return false;
        auto* xkb = reinterpret_cast<xcb_xkb_indicator_state_notify_event_t*>(ev);
        if (xkb->xkbType != XCB_XKB_INDICATOR_STATE_NOTIFY) return false;
        unsigned ligadas = 0;
        unsigned mudaram = 0;
        for (int i = 0; i < 3; ++i) {
            if (indice_[i] < 0) continue;
            const std::uint32_t bit = 1u << indice_[i];
            if (xkb->state & bit) ligadas |= 1u << i;
            if (xkb->stateChanged & bit) mudaram |= 1u << i;
        }
        travas_.indicadores(ligadas, mudaram, mudaram);
        return false;
    }

  private:
    // Once: the indices and states of the three named indicators, and the server's
    // notice whenever an indicator changes.
    void liga_x11() {
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        xcb_connection_t* c = x11 ? x11->connection() : nullptr;
        if (!c) return;
        std::free(xcb_xkb_use_extension_reply(c, xcb_xkb_use_extension(c, 1, 0), nullptr));
        const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_xkb_id);
        if (!ext || !ext->present) return;
        static const char* const NOMES[3] = {"Caps Lock", "Num Lock", "Scroll Lock"};
        unsigned ligadas = 0;
        for (int i = 0; i < 3; ++i) {
            auto* a = xcb_intern_atom_reply(
                c, xcb_intern_atom(c, 1, static_cast<std::uint16_t>(qstrlen(NOMES[i])), NOMES[i]), nullptr);
            if (!a) continue;
            auto* r = xcb_xkb_get_named_indicator_reply(
                c,
                xcb_xkb_get_named_indicator(c, XCB_XKB_ID_USE_CORE_KBD, XCB_XKB_LED_CLASS_DFLT_XI_CLASS,
                                            XCB_XKB_ID_DFLT_XI_ID, a->atom),
                nullptr);
            if (r && r->found && r->ndx < 32) {
                indice_[i] = r->ndx;
                if (r->on) ligadas |= 1u << i;
            }
            std::free(r);
            std::free(a);
        }
        travas_.indicadores(ligadas,
                            TravasAcompanhadas::CAPS | TravasAcompanhadas::NUM | TravasAcompanhadas::SCROLL);
        xcb_xkb_select_events(c, XCB_XKB_ID_USE_CORE_KBD, XCB_XKB_EVENT_TYPE_INDICATOR_STATE_NOTIFY, 0,
                              XCB_XKB_EVENT_TYPE_INDICATOR_STATE_NOTIFY, 0, 0, nullptr);
        xcb_flush(c);
        primeiro_evento_ = ext->first_event;
        qApp->installNativeEventFilter(this);
    }

    int primeiro_evento_ = -1;
    std::array<int, 3> indice_{-1, -1, -1};
#else
  private:
#endif
    TravasAcompanhadas travas_;
    TradutorTeclado tradutor_;
    bool ligado_ = false;
};
using EstadoTecladoPlataforma = EstadoTecladoAcompanhado;

#endif

EstadoTecladoPlataforma& estado_plataforma() {
    static EstadoTecladoPlataforma estado;
    return estado;
}

} // namespace

EstadoTeclado& estado_teclado_sistema() {
    return estado_plataforma();
}

void observa_travas_sistema() {
#if !defined(Q_OS_WIN)
    estado_plataforma().liga();
#endif
}

} // namespace vantora
