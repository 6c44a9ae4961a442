#include "base/idioma.h"

#include <QCoreApplication>
#include <QTranslator>

namespace vantora {

QTranslator* instalaTraducaoQt(QCoreApplication& app, const QLocale& local, const QString& pasta) {
    auto* tradutor = new QTranslator(&app);
    // load(QLocale) tries each of the system's languages ("pt-BR", "pt-Latn-BR", "pt")
    // and drops the country when needed.
    const bool achou = tradutor->load(local, QStringLiteral("qtbase"), QStringLiteral("_"), pasta) ||
                       tradutor->load(QStringLiteral("qtbase_pt_BR"), pasta) ||
                       tradutor->load(QStringLiteral("qtbase_pt"), pasta);
    if (!achou || !QCoreApplication::installTranslator(tradutor)) {
        delete tradutor;
        return nullptr;
    }
    return tradutor;
}

} // namespace vantora
