#include "files/Settings.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>

#include "files/AppError.h"
#include "files/Cp1251.h"
#include "files/FileProtection.h"
#include "files/IniLines.h"
#include "files/PortMap.h"
#include "files/ProgramFolder.h"
#include "files/SafeWrite.h"
#include "os/Descriptor.h"
#include "os/UserFiles.h"

namespace veltra {

namespace {

constexpr qsizetype kMaxStringBytes = 2047;

// Values are read with the writer's own line search (IniLines), so a key is
// read from the very line it will be written back to.
class IniReader {
  public:
    explicit IniReader(const QByteArray& bytes) : ini_(bytes) {}

    // Up to kMaxStringBytes bytes of the value, as they stand in the file.
    QByteArray bytes(const char* section, const char* key, const char* fallback) const {
        QByteArray value = ini_.value(section, key).value_or(QByteArray(fallback));
        value.truncate(kMaxStringBytes);
        return value;
    }

    QString string(const char* section, const char* key, const char* fallback) const {
        return decodeCp1251(bytes(section, key, fallback));
    }

    std::int16_t integer(const char* section, const char* key, std::int16_t fallback) const {
        std::optional<QByteArray> value = ini_.value(section, key);
        if (!value) return fallback;
        return parseIniInteger(std::string_view(value->constData(), std::size_t(value->size())))
            .value_or(fallback);
    }

  private:
    IniLines ini_;
};

} // namespace

Settings& appSettings() {
    static Settings record;
    return record;
}

QString SettingsPath() {
    return settingsFilePath();
}

std::optional<std::int16_t> parseIniInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.starts_with("$")) {
        base = 16;
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * std::uint64_t(base) + std::uint64_t(digit);
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    // Decimal must fit a signed 32-bit number; hexadecimal may use all 32 bits.
    if (base == 10 && value > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return std::nullopt;
    std::uint32_t bits = std::uint32_t(value);
    if (negative) bits = 0u - bits;
    return std::int16_t(std::uint16_t(bits & 0xFFFFu));
}

Settings settingsFromText(const QByteArray& text) {
    IniReader ini(text);
    Settings s;
    s.PCB_NAME = ini.string("PCB", "PCB_NAME", "VELTRA");
    s.PORT_NAME = ini.string("LINK", "PORT_NAME", "COM1");
    s.PORT_SPEED = ini.string("LINK", "PORT_SPEED", "57600");
    s.PCB_VER = ini.integer("PCB", "PCB_VER", 1);
    s.SOFT_VER = ini.integer("PCB", "SOFT_VER", 1);
    s.BG_COLOR = ini.integer("EDIT", "BG_COLOR", 0);
    s.TXT_COLOR = ini.integer("EDIT", "TXT_COLOR", 4);
    s.TXT_SIZE = ini.integer("EDIT", "TXT_SIZE", 0);
    s.TXT_FONT = ini.integer("EDIT", "TXT_FONT", 0);
    s.VAL1 = ini.integer("EDIT", "VAL1", 0);
    s.VAL2 = ini.integer("EDIT", "VAL2", 0);
    for (int i = 0; i < 3; ++i) {
        s.PORTS[i] = ini.bytes("PORTS", kPortNames[i], kDefaultPortDevices[i]);
        if (s.PORTS[i].isEmpty()) s.PORTS[i] = kDefaultPortDevices[i];
    }
    return s;
}

Settings readSettingsFrom(const QByteArray& path, bool createMissing) {
    struct stat st {};
    if (createMissing && ::stat(path.constData(), &st) != 0) {
        const Descriptor created(::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
    }
    QByteArray bytes;
    if (::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode)) {
        FileAccess access(path);
        FileRead file = readUserFile(path);
        if (file.outcome == FileRead::Outcome::Read) bytes = std::move(file.bytes);
    }
    return settingsFromText(bytes);
}

Settings readSettingsFrom(const QString& path, bool createMissing) {
    return readSettingsFrom(QFile::encodeName(path), createMissing);
}

std::optional<QByteArray> settingsText(const QByteArray& old, const Settings& s, PortKeys ports) {
    IniLines ini(old);
    auto integer = [&](const char* section, const char* key, std::int16_t value) {
        ini.setValue(section, key, std::to_string(value));
    };
    auto string = [&](const char* section, const char* key, const QString& value) {
        QByteArray bytes;
        if (encodeCp1251(value, bytes) >= 0) return false;
        ini.setValue(section, key, std::string_view(bytes.constData(), std::size_t(bytes.size())));
        return true;
    };
    integer("EDIT", "BG_COLOR", s.BG_COLOR);
    integer("EDIT", "TXT_COLOR", s.TXT_COLOR);
    integer("EDIT", "TXT_SIZE", s.TXT_SIZE);
    integer("EDIT", "TXT_FONT", s.TXT_FONT);
    integer("EDIT", "VAL1", s.VAL1);
    integer("EDIT", "VAL2", s.VAL2);
    if (!string("PCB", "PCB_NAME", s.PCB_NAME)) return std::nullopt;
    integer("PCB", "PCB_VER", s.PCB_VER);
    integer("PCB", "SOFT_VER", s.SOFT_VER);
    if (!string("LINK", "PORT_NAME", s.PORT_NAME) || !string("LINK", "PORT_SPEED", s.PORT_SPEED))
        return std::nullopt;
    for (std::size_t i = 0; i < ports.size(); ++i) {
        if (!ports[i]) continue;
        const QByteArray& device = s.PORTS[i];
        // A line end would split the line; the file could not give the path back.
        if (device.contains('\n') || device.contains('\r') || device.contains('\0')) return std::nullopt;
        ini.setValue("PORTS", kPortNames[i],
                     std::string_view(device.constData(), std::size_t(device.size())));
    }
    return ini.text();
}

void writeSettingsTo(const QString& path, const Settings& s, PortKeys ports) {
    const QString failure = QStringLiteral("Unable to write to ") + path;
    // Checked before the permissions are touched: a device node or a FIFO
    // keeps its mode too.
    if (!mayReplace(path)) throw AppError(failure);

    FileAccess access(path);
    QByteArray old;
    if (QFileInfo::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) throw AppError(failure); // never drop lines we could not read
        old = file.readAll();
    }
    const std::optional<QByteArray> text = settingsText(old, s, ports);
    if (!text) throw AppError(failure);
    // A settings folder may allow no new file: then it is rewritten in place.
    writeWholeFile(path, *text, failure, true);
}

void ReadSettings() {
    appSettings() = readSettingsFrom(SettingsPath());
}

void WriteSettings() {
    writeSettingsTo(SettingsPath(), appSettings());
}

} // namespace veltra
