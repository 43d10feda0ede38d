#include "app/shell/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace veltra {

std::unique_ptr<QTranslator> installRussianQtTexts() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    auto translator = std::make_unique<QTranslator>();
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QStringLiteral("qtbase_ru"), folder) ||
        !QCoreApplication::installTranslator(translator.get())) {
        qWarning("veltra: no Russian texts for Qt's own dialogs (qtbase_ru.qm in %s); they stay English",
                 qUtf8Printable(folder));
        return nullptr;
    }
    return translator;
}

} // namespace veltra
