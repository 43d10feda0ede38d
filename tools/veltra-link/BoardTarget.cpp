#include "tools/veltra-link/BoardTarget.h"

#include <QFile>

#include <climits>
#include <cstdlib>
#include <memory>
#include <sys/stat.h>

#include "files/ProgramFolder.h"
#include "files/Settings.h"
#include "os/ShownName.h"

namespace veltra::linktool {

QByteArray BoardTarget::devicePath() const {
    return portDevicePath(ports, name).value_or(QByteArray());
}

QByteArray BoardTarget::deviceNode() const {
    const QByteArray path = devicePath();
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.constData(), nullptr), &std::free);
    return real ? QByteArray(real.get()) : path;
}

ResolvedTargets resolveTargets(const std::vector<std::string>& ports, const std::string& settingsPath) {
    ResolvedTargets resolved;
    // A path given on the command line stays its bytes up to open(): decoded,
    // a folder whose name is not UTF-8 would name nothing.
    QByteArray path = QFile::encodeName(settingsFilePath());
    if (!settingsPath.empty()) {
        path = QByteArray::fromStdString(settingsPath);
        struct stat st {};
        if (::stat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
            resolved.error = "cannot read the settings file " + escapedName(settingsPath);
            return resolved;
        }
    }
    const Settings settings = readSettingsFrom(path, false);
    const PortMap configured = settings.portMap();

    std::vector<QByteArray> names;
    for (const std::string& port : ports)
        names.push_back(QByteArray::fromStdString(port));
    if (names.empty()) names.push_back(settings.PORT_NAME.toUtf8());

    for (const QByteArray& given : names) {
        BoardTarget target{given, configured, QString::fromUtf8(given)};
        if (!isKnownPortName(target.name)) {
            target.byPath = true;
            target.name = QStringLiteral("COM1");
            target.ports.com1 = given;
        }
        resolved.targets.push_back(target);
    }
    return resolved;
}

} // namespace veltra::linktool
