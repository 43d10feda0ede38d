#include "help/Fonts.h"

#include <QFontDatabase>
#include <QStringList>

#include <map>

#include <mutex>

namespace veltra {

namespace {

struct Substitution {
    const char* family;
    QStringList substitutes;
};

// Liberation Sans / Serif / Mono share the advance widths of Arial, Times New
// Roman and Courier New. "MS Sans Serif" was a small bitmap sans face whose
// widths are close to Arial's. Tahoma has no metric twin among the free
// fonts: DejaVu Sans Condensed comes closest; plain DejaVu Sans is about a
// tenth wider and would wrap the dashed topic headers of the help text, so
// Liberation Sans is preferred over it when the condensed face is missing.
const Substitution kSubstitutions[] = {
    {"Arial", {"Liberation Sans", "Arimo", "DejaVu Sans"}},
    {"MS Sans Serif", {"Liberation Sans", "Arimo", "DejaVu Sans"}},
    {"Microsoft Sans Serif", {"Liberation Sans", "Arimo", "DejaVu Sans"}},
    {"Tahoma", {"DejaVu Sans Condensed", "Liberation Sans", "DejaVu Sans"}},
    {"Courier New", {"Liberation Mono", "Cousine", "DejaVu Sans Mono"}},
    {"Times New Roman", {"Liberation Serif", "Tinos", "DejaVu Serif"}},
};

// The family where the system has it, else its first substitute the system
// has. Asked for a family it lacks, Qt looks for that family among the
// system's fonts and their fallbacks before it tries the substitutes, which
// cost the window's first paint more than all the rest of its fonts.
QString installedFamily(const QString& family) {
    static std::mutex mutex;
    static std::map<QString, QString> known;
    const std::lock_guard lock(mutex);
    if (const auto found = known.find(family); found != known.end()) return found->second;
    QString chosen = family;
    if (!QFontDatabase::hasFamily(family)) {
        for (const Substitution& s : kSubstitutions) {
            if (family.compare(QLatin1String(s.family), Qt::CaseInsensitive) != 0) continue;
            for (const QString& substitute : s.substitutes) {
                if (QFontDatabase::hasFamily(substitute)) {
                    chosen = substitute;
                    break;
                }
            }
        }
    }
    return known[family] = chosen;
}

} // namespace

void installFontSubstitutions() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (const Substitution& s : kSubstitutions)
            QFont::insertSubstitutions(QString::fromLatin1(s.family), s.substitutes);
    });
}

QFont designFont(const QString& family, int pixelSize, bool bold) {
    installFontSubstitutions();
    QFont font(installedFamily(family));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace veltra
