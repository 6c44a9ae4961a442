// The system's notices of serial devices that come or go (see vigia_portas.h).
#include "link/portas.h"
#include "link/vigia_portas.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSet>

#if defined(Q_OS_LINUX)
#include <QSocketNotifier>
#include <libudev.h>
#elif defined(Q_OS_WIN)
#include <QAbstractNativeEventFilter>
#include <windows.h>
// after windows.h, whose types it uses
#include <dbt.h>
#endif

namespace vantora {
namespace {

#if defined(Q_OS_WIN)
// Windows sends every top-level window WM_DEVICECHANGE when a device is added or
// removed (DBT_DEVNODES_CHANGED), and for a port that arrives or leaves
// (DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE); Qt hands its windows' messages to
// this filter first.
class FiltroDispositivos : public QAbstractNativeEventFilter {
  public:
    explicit FiltroDispositivos(SinalPortas& sinal) : sinal_(sinal) {}
    bool nativeEventFilter(const QByteArray& tipo, void* mensagem, qintptr*) override {
        if (tipo != "windows_generic_MSG") return false;
        const MSG* m = static_cast<const MSG*>(mensagem);
        if (m->message == WM_DEVICECHANGE &&
            (m->wParam == DBT_DEVNODES_CHANGED || m->wParam == DBT_DEVICEARRIVAL ||
             m->wParam == DBT_DEVICEREMOVECOMPLETE))
            emit sinal_.mudou();
        return false;
    }

  private:
    SinalPortas& sinal_;
};
#endif

class SinalSistema : public SinalPortas {
  public:
    SinalSistema() {
        // A port of VANTORA_EXTRA_PORTS is listed while its path exists: its folder
        // changes when the path comes or goes.
        QSet<QString> pastas;
        for (const PortaExtra& p : le_portas_extras(qEnvironmentVariable("VANTORA_EXTRA_PORTS"))) {
            const QString pasta = QFileInfo(p.caminho).absolutePath();
            if (QFileInfo(pasta).isDir()) pastas.insert(pasta);
        }
        if (!pastas.isEmpty()) {
            extras_.addPaths(QStringList(pastas.begin(), pastas.end()));
            connect(&extras_, &QFileSystemWatcher::directoryChanged, this, &SinalPortas::mudou);
        }
        if (!avisos_do_sistema()) {
            connect(&relogio_, &QTimer::timeout, this, &SinalPortas::mudou);
            relogio_.start(1500);
        }
    }

#if defined(Q_OS_LINUX)
    ~SinalSistema() override {
        delete notificador_;
        if (monitor_) udev_monitor_unref(monitor_);
        if (udev_) udev_unref(udev_);
    }

  private:
    // A udev monitor of the tty devices: its socket is readable when udev has
    // finished with a device added or removed (its inventory entry is then written).
    bool avisos_do_sistema() {
        udev_ = udev_new();
        if (!udev_) return false;
        monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
        if (!monitor_ || udev_monitor_filter_add_match_subsystem_devtype(monitor_, "tty", nullptr) < 0 ||
            udev_monitor_enable_receiving(monitor_) < 0)
            return false;
        notificador_ = new QSocketNotifier(udev_monitor_get_fd(monitor_), QSocketNotifier::Read);
        connect(notificador_, &QSocketNotifier::activated, this, [this] {
            while (udev_device* d = udev_monitor_receive_device(monitor_))
                udev_device_unref(d);
            emit mudou();
        });
        return true;
    }

    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    QSocketNotifier* notificador_ = nullptr;
#elif defined(Q_OS_WIN)
  private:
    bool avisos_do_sistema() {
        if (!QCoreApplication::instance()) return false;
        QCoreApplication::instance()->installNativeEventFilter(&filtro_);
        return true;
    }

    FiltroDispositivos filtro_{*this};
#else
  private:
    static bool avisos_do_sistema() {
        return false;
    }
#endif
    QFileSystemWatcher extras_;
    QTimer relogio_;
};

} // namespace

std::unique_ptr<SinalPortas> criaSinalPortasSistema() {
    return std::make_unique<SinalSistema>();
}

} // namespace vantora
