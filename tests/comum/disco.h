#pragma once
// Filesystems that refuse a write, for the tests of saving: a size limit on this
// process; a folder holding one file, on a full 16 KB tmpfs, or where no new file may
// be made, or both. Each is undone when it goes out of scope; `motivo_sem` says why one
// could not be set up (the test then skips, saying so).
#include <QtGlobal>
#ifdef Q_OS_UNIX
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantora::teste {

// As `ulimit -f` with SIGXFSZ ignored: a write past `bytes` fails with EFBIG (also in
// the processes started meanwhile).
struct LimiteTamanho {
    explicit LimiteTamanho(rlim_t bytes) : sinal(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &antes);
        const rlimit r{bytes, antes.rlim_max};
        setrlimit(RLIMIT_FSIZE, &r);
    }
    ~LimiteTamanho() { setrlimit(RLIMIT_FSIZE, &antes), std::signal(SIGXFSZ, sinal); }
    rlimit antes{};
    void (*sinal)(int);
};

// A folder holding `arquivo` with `conteudo`. `cheia`: a 16 KB tmpfs, the rest of its
// space filled (needs root and a system that lets it mount). `fechada`: no new file may
// be made in it, the file still written; as root the permissions would not hold, so the
// caller's effective user becomes nobody meanwhile (the real user stays, so it comes
// back).
class PastaRecusada {
  public:
    PastaRecusada(const QString& arquivo, const QByteArray& conteudo, bool cheia, bool fechada)
        : pasta_(dir_.filePath(QStringLiteral("p"))) {
        QDir().mkpath(pasta_);
        montada_ =
            cheia && ::mount("tmpfs", QFile::encodeName(pasta_).constData(), "tmpfs", 0, "size=16k") == 0;
        QFile f(caminho(arquivo)), enche(caminho(QStringLiteral("enchimento")));
        if (cheia && !montada_)
            motivo_sem = QStringLiteral("cannot mount a tmpfs here (needs root and a system that allows it)");
        else if (!f.open(QIODevice::WriteOnly) || f.write(conteudo) != conteudo.size() || !f.flush())
            motivo_sem = QStringLiteral("the tmpfs refused the first file");
        else if (cheia && enche.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            while (enche.write(QByteArray(512, 'x')) > 0) {
            }
        if (!fechada || !motivo_sem.isEmpty()) return;
        modo(caminho(arquivo), 0666), modo(dir_.path(), 0755), modo(pasta_, 0555);
        if (geteuid() == 0 && seteuid(65534) != 0) motivo_sem = QStringLiteral("cannot become nobody");
        trocado_ = geteuid() != getuid();
    }
    ~PastaRecusada() {
        if (trocado_) (void)seteuid(getuid());
        modo(pasta_, 0700);
        if (montada_) ::umount2(QFile::encodeName(pasta_).constData(), MNT_DETACH);
    }
    PastaRecusada(const PastaRecusada&) = delete;
    PastaRecusada& operator=(const PastaRecusada&) = delete;
    [[nodiscard]] QString caminho(const QString& nome) const { return pasta_ + QLatin1Char('/') + nome; }
    QString motivo_sem;

  private:
    static void modo(const QString& caminho, mode_t m) { ::chmod(QFile::encodeName(caminho).constData(), m); }
    QTemporaryDir dir_;
    QString pasta_;
    bool montada_ = false, trocado_ = false;
};

} // namespace vantora::teste

#endif
