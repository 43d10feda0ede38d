#pragma once
// The settings file Veltra.ini (beside the executable, see settingsFilePath())
// and the one record the program keeps its values in. Sections EDIT, PCB and
// LINK belong to the program; PORTS (which device each COM name means on this
// machine) is written only for a device chosen in the settings dialog, so a
// hand-set path stays until the user picks another.

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "files/PortMap.h"

namespace veltra {

struct Settings {
    QString PCB_NAME;
    QString PORT_NAME;
    QString PORT_SPEED;
    std::int16_t PCB_VER = 0;
    std::int16_t SOFT_VER = 0;
    std::int16_t BG_COLOR = 0;
    std::int16_t TXT_COLOR = 0;
    std::int16_t TXT_SIZE = 0;
    std::int16_t TXT_FONT = 0;
    std::int16_t VAL1 = 0;
    std::int16_t VAL2 = 0;
    // Device paths of COM1, COM2, COM3: the file system's bytes, as the file
    // holds them, so that any path that exists can be opened.
    std::array<QByteArray, 3> PORTS;

    // PORTS as the link opens its ports by.
    PortMap portMap() const { return PortMap{PORTS[0], PORTS[1], PORTS[2]}; }
};

// The record shared by the main window and the settings dialog.
Settings& appSettings();

// settingsFilePath(): beside the executable, or in the user's config folder.
QString SettingsPath();

// Fills appSettings() from the file, creating an empty file when there is
// none. A file that cannot be created or read gives every key its default.
void ReadSettings();

// Stores appSettings() in the file. Throws AppError "Unable to write to %s"
// when the file cannot be written; the file is then left as it was.
void WriteSettings();

// Which keys of [PORTS] (COM1, COM2, COM3) a write stores.
using PortKeys = std::array<bool, 3>;

// The same for any path and record; `ports` adds the chosen [PORTS] keys,
// written as the path's bytes. A reader that only looks (veltra-link) leaves
// a missing file missing (`createMissing` false): every key is its default.
// A path a command line gave is read as the file system's bytes: a folder
// whose name is not UTF-8 is found all the same. Only the editor writes, at
// the path Qt names its folder by.
Settings readSettingsFrom(const QByteArray& path, bool createMissing = true);
Settings readSettingsFrom(const QString& path, bool createMissing = true);
void writeSettingsTo(const QString& path, const Settings& settings, PortKeys ports = {});

// The two halves of the above without the file: the record the file's
// bytes hold, and the bytes a write makes of the file's `old` bytes.
// Nothing when a value cannot be stored (a string without Windows-1251
// bytes, a device path with a line end or NUL).
Settings settingsFromText(const QByteArray& text);
std::optional<QByteArray> settingsText(const QByteArray& old, const Settings& settings, PortKeys ports = {});

// Decimal, or hexadecimal after "0x", "0X" or "$", with an optional sign;
// the value must fit 32 bits and keeps its low 16. Anything else: nothing.
std::optional<std::int16_t> parseIniInteger(std::string_view text);

} // namespace veltra
