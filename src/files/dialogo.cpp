#include "dialogo.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#ifdef Q_OS_WIN
#include <shlobj.h>
#endif

namespace vantora {

QString filtro_qt(const QString& filtro) {
    const QStringList partes = filtro.split(QLatin1Char('|'));
    QStringList tipos;
    for (qsizetype i = 0; i < partes.size(); i += 2) {
        const QString descricao = partes[i].trimmed();
        const QString padroes =
            i + 1 < partes.size()
                ? partes[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '))
                : QStringLiteral("*");
        const QString entre = QLatin1Char('(') + padroes + QLatin1Char(')');
        // Qt takes the patterns from the parentheses at the end of the text.
        tipos << (descricao.endsWith(entre)
                      ? descricao
                      : (descricao.isEmpty() ? entre : descricao + QLatin1Char(' ') + entre));
    }
    return tipos.join(QStringLiteral(";;"));
}

QString sufixo_padrao(const QString& filtro) {
    const QString padrao = filtro.section(QLatin1Char('|'), 1, 1).section(QLatin1Char(';'), 0, 0).trimmed();
    if (!padrao.startsWith(QLatin1String("*."))) return {};
    const QString ext = padrao.mid(2);
    if (ext.isEmpty() || ext.contains(QLatin1Char('*')) || ext.contains(QLatin1Char('?'))) return {};
    return ext;
}

namespace {

// The folders where the system keeps installed programs: a program's folder in them is
// no place for the user's layouts, even where it can be written (an administrator, or
// Windows quietly sending a program's writes there to the VirtualStore).
QStringList pastas_de_programas() {
#ifdef Q_OS_WIN
    QStringList pastas;
    auto conhecida = [&pastas](const KNOWNFOLDERID& id, const QString& sub = QString()) {
        PWSTR caminho = nullptr;
        if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &caminho)))
            pastas << QDir::fromNativeSeparators(QString::fromWCharArray(caminho)) + sub;
        CoTaskMemFree(caminho);
    };
    for (const KNOWNFOLDERID& id : {FOLDERID_ProgramFiles, FOLDERID_ProgramFilesX86, FOLDERID_UserProgramFiles,
                                    FOLDERID_Windows, FOLDERID_ProgramData})
        conhecida(id);
    // the programs of one user, where a system has no name for that folder
    conhecida(FOLDERID_LocalAppData, QStringLiteral("/Programs"));
    return pastas;
#else
    return {QStringLiteral("/usr"), QStringLiteral("/opt")};
#endif
}

bool dentro_de(const QString& pasta, const QString& base) {
#ifdef Q_OS_WIN
    const Qt::CaseSensitivity caixa = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity caixa = Qt::CaseSensitive;
#endif
    const QString b = QDir::cleanPath(base);
    return !b.isEmpty() && (pasta.compare(b, caixa) == 0 ||
                            pasta.startsWith(b.endsWith(QLatin1Char('/')) ? b : b + QLatin1Char('/'), caixa));
}

} // namespace

QString pasta_inicial(const QString& pasta_programa) {
    const QFileInfo info(pasta_programa);
    const QString documentos = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (pasta_programa.isEmpty() || !info.isDir() || !info.isWritable()) return documentos;
    const QString pasta = QDir::cleanPath(info.absoluteFilePath());
    for (const QString& programas : pastas_de_programas())
        if (dentro_de(pasta, programas)) return documentos;
    return info.absoluteFilePath();
}

} // namespace vantora
