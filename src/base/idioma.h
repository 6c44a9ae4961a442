#pragma once
// Qt's own texts (file dialogs, standard buttons and their error boxes) in the
// system's language. The window speaks Portuguese whatever the system's language, so
// where Qt has no translation for that language its texts are Portuguese as well.

#include <QLibraryInfo>
#include <QLocale>
#include <QString>

class QCoreApplication;
class QTranslator;

namespace vantora {

// Loads qtbase_<language>.qm for `local` from `pasta` (Brazilian Portuguese, then
// Portuguese, when there is none) and installs it in `app`, which owns it. Returns
// the translator installed, nullptr when not even the Portuguese one was found.
QTranslator* instalaTraducaoQt(QCoreApplication& app, const QLocale& local = QLocale::system(),
                               const QString& pasta = QLibraryInfo::path(QLibraryInfo::TranslationsPath));

} // namespace vantora
