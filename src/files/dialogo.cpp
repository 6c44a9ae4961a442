#include "dialogo.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

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

QString pasta_inicial(const QString& pasta_programa) {
    const QFileInfo info(pasta_programa);
    if (!pasta_programa.isEmpty() && info.isDir() && info.isWritable()) return info.absoluteFilePath();
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

} // namespace vantora
