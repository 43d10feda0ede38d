#include "help/Pictures.h"

#include <QImage>
#include <QImageReader>
#include <QtGlobal>

#include <mutex>

// Outside any namespace: the resource initialiser's name is global. The
// library is static, so its resources are registered on first use rather
// than by a static constructor that the linker may drop.
static void initHelpResources() {
    Q_INIT_RESOURCE(help);
}

namespace veltra {

QPixmap loadPicture(const QString& path) {
    static std::once_flag once;
    std::call_once(once, initHelpResources);
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull()) {
        qWarning("Veltra: cannot show the picture %s: %s", qPrintable(path),
                 qPrintable(reader.errorString()));
        return {};
    }
    return QPixmap::fromImage(image);
}

} // namespace veltra
