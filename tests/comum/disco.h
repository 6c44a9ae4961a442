#pragma once
// Filesystems that refuse a write, for the tests of saving: a size limit on this
// process, a full 16 KB tmpfs, a folder where no new file may be made. Each is
// undone when it goes out of scope; `motivo_sem` says why one could not be set up
// (the test then skips, saying so).
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

namespace vantora::teste {

// What the refusing folders share: the folder, its files, and why it could not be
// made. Not copyable (it owns a temporary folder).
class PastaDeTeste {
  public:
    [[nodiscard]] QString caminho(const QString& nome) const { return pasta_ + QLatin1Char('/') + nome; }
    [[nodiscard]] QStringList arquivos() const { return QDir(pasta_).entryList(QDir::Files | QDir::Hidden); }
    QString motivo_sem;

  protected:
    explicit PastaDeTeste(const QString& nome) : pasta_(dir_.filePath(nome)) { QDir().mkpath(pasta_); }
    QTemporaryDir dir_;
    QString pasta_;
};

} // namespace vantora::teste

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantora::teste {

// As `ulimit -f` with SIGXFSZ ignored: a write past `bytes` fails with EFBIG (also in
// the processes started meanwhile).
class LimiteTamanho {
  public:
    explicit LimiteTamanho(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &antes_);
        sinal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = antes_;
        r.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &r);
    }
    ~LimiteTamanho() {
        setrlimit(RLIMIT_FSIZE, &antes_);
        std::signal(SIGXFSZ, sinal_);
    }
    LimiteTamanho(const LimiteTamanho&) = delete;
    LimiteTamanho& operator=(const LimiteTamanho&) = delete;

  private:
    rlimit antes_{};
    void (*sinal_)(int) = SIG_DFL;
};

// A 16 KB tmpfs holding `arquivo` with `conteudo`, the rest of its space filled.
// Needs root and a system that lets it mount.
class DiscoCheio : public PastaDeTeste {
  public:
    DiscoCheio(const QString& arquivo, const QByteArray& conteudo) : PastaDeTeste(QStringLiteral("cheio")) {
        if (::mount("tmpfs", QFile::encodeName(pasta_).constData(), "tmpfs", 0, "size=16k") != 0) {
            motivo_sem = QStringLiteral("cannot mount a tmpfs here (needs root and a system that allows it)");
            return;
        }
        montado_ = true;
        QFile f(caminho(arquivo));
        if (!f.open(QIODevice::WriteOnly) || f.write(conteudo) != conteudo.size() || !f.flush()) {
            motivo_sem = QStringLiteral("the tmpfs refused the first file");
            return;
        }
        f.close();
        QFile enche(caminho(QStringLiteral("enchimento")));
        enche.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        const QByteArray bloco(512, 'x');
        while (enche.write(bloco) > 0) {
        }
    }
    ~DiscoCheio() {
        if (montado_) ::umount2(QFile::encodeName(pasta_).constData(), MNT_DETACH);
    }

  private:
    bool montado_ = false;
};

// A folder where no new file may be made, holding `arquivo` that may be written.
// As root the permissions would not hold: the caller's effective user becomes
// nobody meanwhile (the real user stays, so it comes back).
class PastaSemEscrita : public PastaDeTeste {
  public:
    PastaSemEscrita(const QString& arquivo, const QByteArray& conteudo)
        : PastaDeTeste(QStringLiteral("fechada")) {
        QFile f(caminho(arquivo));
        f.open(QIODevice::WriteOnly);
        f.write(conteudo);
        f.close();
        ::chmod(QFile::encodeName(caminho(arquivo)).constData(), 0666);
        ::chmod(QFile::encodeName(dir_.path()).constData(), 0755);
        ::chmod(QFile::encodeName(pasta_).constData(), 0555);
        if (geteuid() == 0 && seteuid(65534) != 0) motivo_sem = QStringLiteral("cannot become nobody");
        trocado_ = geteuid() != getuid();
    }
    ~PastaSemEscrita() {
        if (trocado_) (void)seteuid(getuid());
        ::chmod(QFile::encodeName(pasta_).constData(), 0700);
    }

  private:
    bool trocado_ = false;
};

} // namespace vantora::teste

#endif
