#include "files/disco.h"

#include "base/erro.h"
#include "files/layout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>
#include <algorithm>
#include <string>

namespace vantora {
namespace {

constexpr qint64 LIMITE = PerfilPrivado::LIMITE_BYTES;

ErroExecucao erro_gravacao(const QString& caminho, const QString& motivo) {
    return vantora::erro_gravacao(QDir::toNativeSeparators(caminho).toStdString(), motivo.toStdString());
}

// Why a write failed, in the user's words for the two failures a full disk or a
// file-size limit give.
QString motivo_gravacao(const QFileDevice& f) {
    const QString s = f.errorString();
    // Qt gives the system's text in its own words, translated when a translation of
    // Qt is loaded.
    const auto diz = [&s](const char* texto) {
        return s.contains(QLatin1String(texto), Qt::CaseInsensitive) ||
               s.contains(QCoreApplication::translate("QIODevice", texto), Qt::CaseInsensitive);
    };
    if (diz("No space left on device")) return QStringLiteral("sem espaço no dispositivo");
    if (diz("File too large")) return QStringLiteral("arquivo grande demais para o limite do sistema");
    return s.isEmpty() ? QStringLiteral("falha na gravação") : s;
}

// At most `maximo` bytes of an open file, in a buffer the size the file has: a read
// of `maximo` bytes at once would set the whole of it aside for the smallest file.
std::string le_ate(QFile& f, qint64 maximo) {
    std::string r;
    r.resize(std::size_t(std::clamp<qint64>(f.size() + 1, 1, maximo)));
    std::size_t lidos = 0;
    for (;;) {
        const qint64 n = f.read(r.data() + lidos, qint64(r.size() - lidos));
        if (n <= 0) break;
        lidos += std::size_t(n);
        if (lidos < r.size()) continue;
        if (qint64(r.size()) >= maximo) break; // the file grew past the limit
        r.resize(std::size_t(std::min<qint64>(qint64(r.size()) * 2, maximo)));
    }
    r.resize(lidos);
    return r;
}

enum class Leitura { Ok, Ausente, Falha };

// Reads the file whole, or says why not.
Leitura le_bytes(const QString& caminho, std::string& destino, QString& motivo) {
    const QFileInfo info(caminho);
    if (caminho.isEmpty() || (!info.exists() && !info.isSymLink())) return Leitura::Ausente;
    if (info.isDir()) {
        motivo = QStringLiteral("é uma pasta");
        return Leitura::Falha;
    }
    // Devices and pipes could block or never end.
    if (!info.isFile()) {
        motivo = info.exists() ? QStringLiteral("não é um arquivo comum")
                               : QStringLiteral("o atalho não leva a um arquivo");
        return Leitura::Falha;
    }
    if (info.size() > LIMITE) {
        motivo = QStringLiteral("o arquivo é grande demais para um layout");
        return Leitura::Falha;
    }
    QFile f(caminho);
    if (!f.open(QIODevice::ReadOnly)) {
        motivo = QStringLiteral("não foi possível lê-lo (%1)").arg(f.errorString());
        return Leitura::Falha;
    }
    destino = le_ate(f, LIMITE + 1); // a regular file of known size: it ends
    if (qint64(destino.size()) > LIMITE) {
        destino.clear();
        motivo = QStringLiteral("o arquivo é grande demais para um layout");
        return Leitura::Falha;
    }
    if (f.error() != QFileDevice::NoError) {
        destino.clear();
        motivo = QStringLiteral("não foi possível lê-lo (%1)").arg(f.errorString());
        return Leitura::Falha;
    }
    return Leitura::Ok;
}

} // namespace

PerfilPrivado le_arquivo(const QString& caminho, QString* motivo) {
    const auto falha = [motivo](const QString& texto) {
        if (motivo) *motivo = texto;
        return PerfilPrivado();
    };
    const QFileInfo info(caminho);
    if (!info.exists()) return falha(QStringLiteral("arquivo não encontrado"));
    if (info.isDir()) return falha(QStringLiteral("é uma pasta, não um arquivo"));
    if (!info.isFile())
        return falha(QStringLiteral("não é um arquivo comum")); // devices and pipes may never end
    if (info.size() > LIMITE) {
        // In bytes where the whole megabytes would read as the limit itself.
        const qint64 mb = info.size() / (1024 * 1024), limite = LIMITE / (1024 * 1024);
        return falha(QStringLiteral("arquivo grande demais para um layout (%1; o limite é %2 MB)")
                         .arg(mb > limite ? QStringLiteral("%1 MB").arg(mb)
                                          : QStringLiteral("%1 bytes").arg(info.size()))
                         .arg(limite));
    }
    if (!info.isReadable()) return falha(QStringLiteral("sem permissão para ler o arquivo"));
    QFile f(caminho);
    if (!f.open(QIODevice::ReadOnly))
        return falha(QStringLiteral("não foi possível ler o arquivo (%1)").arg(f.errorString()));
    std::string bytes = le_ate(f, LIMITE + 1);
    if (f.error() != QFileDevice::NoError)
        return falha(QStringLiteral("não foi possível ler o arquivo (%1)").arg(f.errorString()));
    if (qint64(bytes.size()) > LIMITE) return falha(QStringLiteral("arquivo grande demais para um layout"));
    return PerfilPrivado::de_bytes(std::move(bytes));
}

PerfilPrivado le_para_gravar(const QString& caminho) {
    std::string bytes;
    QString motivo;
    if (le_bytes(caminho, bytes, motivo) == Leitura::Falha) throw erro_gravacao(caminho, motivo);
    return PerfilPrivado::de_bytes(std::move(bytes));
}

void salva(const PerfilPrivado& ini, const QString& caminho) {
    const std::string t = ini.texto();
    if (const std::string motivo = ini.motivo_recusa_gravacao(t); !motivo.empty())
        throw erro_gravacao(caminho, QString::fromStdString(motivo));
    const QFileInfo info(caminho);
    if (info.isDir()) throw erro_gravacao(caminho, QStringLiteral("é uma pasta"));
    if (info.exists()) {
        if (!info.isFile()) throw erro_gravacao(caminho, QStringLiteral("não é um arquivo comum"));
        // A file nobody may write to is read-only, also for an administrator.
        const auto escrita = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
        if (!info.isWritable() || !(info.permissions() & escrita))
            throw erro_gravacao(caminho, QStringLiteral("o arquivo é somente leitura"));
    } else if (!info.absoluteDir().exists()) {
        throw erro_gravacao(
            caminho,
            QStringLiteral("a pasta %1 não existe").arg(QDir::toNativeSeparators(info.absolutePath())));
    }
    QSaveFile f(caminho);
    // Unbuffered, so that a full disk or a size limit fails the write itself: a
    // buffered text would only meet the failure in commit(), too late for some Qt
    // versions, which still rename the short temporary file over the original.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        // No temporary file can be made beside the original (a folder where we may
        // not create files): an existing writable file is rewritten in place, as the
        // key-by-key writes always did. Decided here, before a byte is written.
        if (!info.exists() || !info.isWritable()) throw erro_gravacao(caminho, f.errorString());
        // A disk too full to make the temporary file may be too full for the text:
        // writing in place would truncate the original first.
        const QStorageInfo disco(info.absolutePath());
        if (disco.isValid() && disco.bytesAvailable() < qint64(t.size()))
            throw erro_gravacao(caminho, QStringLiteral("sem espaço no dispositivo"));
        f.setDirectWriteFallback(true);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            throw erro_gravacao(caminho, f.errorString());
    }
    qint64 escritos = 0;
    while (escritos < qint64(t.size())) {
        // A short write is followed by one more, which then says why it stopped.
        const qint64 n = f.write(t.data() + escritos, qint64(t.size()) - escritos);
        if (n <= 0) {
            const QString motivo = motivo_gravacao(f);
            f.cancelWriting();
            throw erro_gravacao(caminho, motivo);
        }
        escritos += n;
    }
    if (!f.commit()) throw erro_gravacao(caminho, motivo_gravacao(f));
}

} // namespace vantora
