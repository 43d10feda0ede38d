#pragma once
// Qt's own texts (file dialogs, the overwrite question, standard buttons,
// the print dialogs) in Russian, whatever the system's locale: the program
// speaks Russian throughout.

#include <QTranslator>
#include <memory>

namespace veltra {

// Loads Qt's Russian translations into the application; they stay while the
// returned translator lives. Null, with a note on standard error, when the
// translation file is missing: Qt then speaks English. The default locale
// becomes Russian too (the file dialog's file types follow it); what Qt takes
// from the system's locale (the file dialog's sizes and dates, and the status
// bar's clock with its separators) stays the system's.
std::unique_ptr<QTranslator> installRussianQtTexts();

} // namespace veltra
