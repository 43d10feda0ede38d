// libFuzzer target: the whole settings read. Any bytes are Veltra.ini; the
// record they give is written back into them as closing the program does,
// with the [PORTS] keys as the settings dialog writes a chosen device.
// Besides crashes and sanitizer reports it traps when the settings break
// their promises: a string value holds at most 2047 bytes, a device path is
// never empty and never spans lines; whatever record a file gives can be
// written back, reads back the same, and a second write changes nothing.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

#include "files/Cp1251.h"
#include "files/Settings.h"
#include "tests/fuzz/Require.h"

namespace {

using veltra::Settings;
using veltra::fuzz::require;

bool sameSettings(const Settings& a, const Settings& b) {
    return a.PCB_NAME == b.PCB_NAME && a.PORT_NAME == b.PORT_NAME && a.PORT_SPEED == b.PORT_SPEED &&
           a.PCB_VER == b.PCB_VER && a.SOFT_VER == b.SOFT_VER && a.BG_COLOR == b.BG_COLOR &&
           a.TXT_COLOR == b.TXT_COLOR && a.TXT_SIZE == b.TXT_SIZE && a.TXT_FONT == b.TXT_FONT &&
           a.VAL1 == b.VAL1 && a.VAL2 == b.VAL2 && a.PORTS == b.PORTS;
}

void checkString(const QString& value) {
    QByteArray bytes;
    require(veltra::encodeCp1251(value, bytes) < 0 && bytes.size() <= 2047);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    const Settings read = veltra::settingsFromText(text);
    checkString(read.PCB_NAME);
    checkString(read.PORT_NAME);
    checkString(read.PORT_SPEED);
    // Which devices the dialog chose: the bits of the last byte.
    const unsigned chosen = size > 0 ? data[size - 1] : 0;
    veltra::PortKeys ports{};
    for (std::size_t i = 0; i < read.PORTS.size(); ++i) {
        const QByteArray& device = read.PORTS[i];
        require(!device.isEmpty() && device.size() <= 2047 && !device.contains('\n') &&
                !device.contains('\r'));
        // Only a path the file system could hold is written back.
        ports[i] = !device.contains('\0') && (chosen >> i) % 2 == 1;
    }

    const std::optional<QByteArray> written = veltra::settingsText(text, read, ports);
    require(written.has_value());
    require(sameSettings(veltra::settingsFromText(*written), read));
    require(veltra::settingsText(*written, read, ports) == written);
    return 0;
}
