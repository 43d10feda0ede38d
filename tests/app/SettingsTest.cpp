#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "files/AppError.h"
#include "files/FileProtection.h"
#include "files/IniLines.h"
#include "files/Settings.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ScopedFileSizeLimit.h"
#include "tests/support/ScopedUnprivilegedFiles.h"

using namespace veltra;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

bool hasWriteBit(const QString& path) {
    // The mode bits, not "writable by me": root may write anything.
    return QFile::permissions(path) &
           (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther);
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

class SettingsFile : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("Veltra.ini")); }
};

} // namespace

TEST(ParseIniInteger, AcceptsDecimalAndBothHexFormsKeepingLow16Bits) {
    struct Case {
        const char* text;
        std::optional<std::int16_t> value;
    };
    const Case cases[] = {
        {"0", 0},           {"12", 12},         {"-1", -1},         {"+7", 7},
        {"0x3", 3},         {"0X1f", 31},       {"$10", 16},        {"-$10", -16},
        {"70000", 4464},    {"65535", -1},      {"32768", -32768},  {"0xFFFFFFFF", -1},
        {"2147483647", -1}, {"-2147483648", 0}, {"2147483648", {}}, {"0x100000000", {}},
        {"", {}},           {"abc", {}},        {"1a", {}},         {"0x", {}},
        {"$", {}},          {"3.5", {}},        {"0x1g", {}},       {"--1", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseIniInteger(c.text), c.value) << c.text;
}

TEST_F(SettingsFile, MissingFileIsCreatedEmptyAndEveryKeyGetsItsDefault) {
    Settings s = readSettingsFrom(path());
    EXPECT_TRUE(QFile::exists(path()));
    EXPECT_EQ(readAll(path()), QByteArray());
    EXPECT_FALSE(hasWriteBit(path()));
    EXPECT_EQ(s.PCB_NAME, "VELTRA");
    EXPECT_EQ(s.PORT_NAME, "COM1");
    EXPECT_EQ(s.PORT_SPEED, "57600");
    EXPECT_EQ(s.PCB_VER, 1);
    EXPECT_EQ(s.SOFT_VER, 1);
    EXPECT_EQ(s.BG_COLOR, 0);
    EXPECT_EQ(s.TXT_COLOR, 4);
    EXPECT_EQ(s.TXT_SIZE, 0);
    EXPECT_EQ(s.TXT_FONT, 0);
    EXPECT_EQ(s.VAL1, 0);
    EXPECT_EQ(s.VAL2, 0);
    EXPECT_EQ(s.PORTS[0], "/dev/ttyS0");
    EXPECT_EQ(s.PORTS[2], "/dev/ttyS2");
}

TEST_F(SettingsFile, FirstWriteMakesThreeSectionsInWriteOrderAndProtectsTheFile) {
    writeSettingsTo(path(), readSettingsFrom(path()));
    EXPECT_EQ(readAll(path()), "[EDIT]\nBG_COLOR=0\nTXT_COLOR=4\nTXT_SIZE=0\nTXT_FONT=0\nVAL1=0\nVAL2=0\n"
                               "[PCB]\nPCB_NAME=VELTRA\nPCB_VER=1\nSOFT_VER=1\n"
                               "[LINK]\nPORT_NAME=COM1\nPORT_SPEED=57600\n");
    EXPECT_FALSE(hasWriteBit(path()));
    EXPECT_TRUE(QFile::permissions(path()) & QFileDevice::ReadOwner);
}

TEST_F(SettingsFile, ReadsValuesInAnyCaseHexCyrillicAndLongStrings) {
    QByteArray longName(3000, 'N');
    writeAll(path(),
             "[edit]\r\nbg_color = 1\r\nTXT_COLOR=0x3\r\nTXT_SIZE=$20\r\nTXT_FONT=junk\r\nVAL1=70000\r\n"
             "[PCB]\r\nPCB_NAME=" +
                 longName +
                 "\r\nPCB_VER=-2\r\n"
                 "[LINK]\r\nPORT_NAME=\xcf\xee\xf0\xf2\r\nPORT_SPEED=9600\r\n"
                 "[PORTS]\r\nCOM1=/dev/ttyUSB0\r\nCOM2=\r\n");
    Settings s = readSettingsFrom(path());
    EXPECT_EQ(s.BG_COLOR, 1);
    EXPECT_EQ(s.TXT_COLOR, 3);
    EXPECT_EQ(s.TXT_SIZE, 32);
    EXPECT_EQ(s.TXT_FONT, 0); // not a number: the default
    EXPECT_EQ(s.VAL1, 4464);
    EXPECT_EQ(s.PCB_VER, -2);
    EXPECT_EQ(s.PCB_NAME, QString(2047, QLatin1Char('N')));
    EXPECT_EQ(s.PORT_NAME, QStringLiteral("Порт"));
    EXPECT_EQ(s.PORT_SPEED, "9600");
    EXPECT_EQ(s.PORTS[0], "/dev/ttyUSB0");
    EXPECT_EQ(s.PORTS[1], "/dev/ttyS1"); // an empty path opens nothing: the default stands
    EXPECT_EQ(s.PORTS[2], "/dev/ttyS2");
}

TEST_F(SettingsFile, WritingKeepsEveryLineItDoesNotOwn) {
    const QByteArray before = "; settings of the bench at the window\r\n"
                              "[EDIT]\r\n"
                              "BG_COLOR = 2\r\n"
                              "LAST_DIR=/home/user/programs\r\n"
                              "TXT_COLOR=1\r\n"
                              "TXT_COLOR=2\r\n"
                              "\r\n"
                              "; the board\r\n"
                              "[PCB]\r\n"
                              "a line without an equals sign\r\n"
                              "PCB_NAME=KX\r\n"
                              "[PORTS]\r\n"
                              "COM1=/dev/ttyUSB0\r\n"
                              ";COM1=/dev/ttyS0\r\n";
    writeAll(path(), before);
    Settings s = readSettingsFrom(path());
    EXPECT_EQ(s.TXT_COLOR, 1); // the first of two equal keys counts
    s.BG_COLOR = 1;
    s.PORT_NAME = "COM2";
    writeSettingsTo(path(), s);
    EXPECT_EQ(readAll(path()), "; settings of the bench at the window\r\n"
                               "[EDIT]\r\n"
                               "BG_COLOR=1\r\n"
                               "LAST_DIR=/home/user/programs\r\n"
                               "TXT_COLOR=1\r\n"
                               "TXT_COLOR=2\r\n"
                               "TXT_SIZE=0\r\n"
                               "TXT_FONT=0\r\n"
                               "VAL1=0\r\n"
                               "VAL2=0\r\n"
                               "\r\n"
                               "; the board\r\n"
                               "[PCB]\r\n"
                               "a line without an equals sign\r\n"
                               "PCB_NAME=KX\r\n"
                               "PCB_VER=1\r\n"
                               "SOFT_VER=1\r\n"
                               "[PORTS]\r\n"
                               "COM1=/dev/ttyUSB0\r\n"
                               ";COM1=/dev/ttyS0\r\n"
                               "[LINK]\r\n"
                               "PORT_NAME=COM2\r\n"
                               "PORT_SPEED=57600\r\n");
}

TEST_F(SettingsFile, AChosenDeviceIsWrittenToItsOwnPortLineAlone) {
    struct Case {
        const char* what;
        QByteArray before;
        std::size_t port;
        QByteArray device;
        QByteArray portsAfter; // the section as the file then holds it
    };
    const Case cases[] = {
        {"its line replaced, comments and the other names kept",
         "[PORTS]\r\nCOM1=/dev/ttyUSB0\r\n;COM2=/dev/ttyS1\r\nCOM2 = /dev/ttyS1\r\nCOM3=/dev/ttyACM0\r\n", 1,
         "/dev/serial/by-id/usb-x",
         "[PORTS]\r\nCOM1=/dev/ttyUSB0\r\n;COM2=/dev/ttyS1\r\nCOM2=/dev/serial/by-id/usb-x\r\nCOM3=/dev/"
         "ttyACM0\r\n"},
        {"a section of its own where there was none", "[EDIT]\nBG_COLOR=1\n", 0, "/home/me/virtual-board",
         "[PORTS]\nCOM1=/home/me/virtual-board\n"},
        {"a path's bytes as they are", "[PORTS]\nCOM1=/dev/ttyS0\n", 2, "/home/\xcf\xf0/board",
         "[PORTS]\nCOM1=/dev/ttyS0\nCOM3=/home/\xcf\xf0/board\n"},
    };
    for (const Case& c : cases) {
        writeAll(path(), c.before);
        Settings s = readSettingsFrom(path());
        s.PORTS[c.port] = c.device;
        PortKeys ports{};
        ports[c.port] = true;
        writeSettingsTo(path(), s, ports);
        EXPECT_TRUE(readAll(path()).contains(c.portsAfter)) << c.what << "\n"
                                                            << readAll(path()).toStdString();
        EXPECT_EQ(readSettingsFrom(path()).PORTS[c.port], c.device) << c.what;
    }

    // A line end inside a path would split its line: nothing is written.
    const QByteArray before = readAll(path());
    Settings s = readSettingsFrom(path());
    s.PORTS[0] = "/dev/ttyUSB0\n[EDIT]";
    EXPECT_THROW(writeSettingsTo(path(), s, {true, false, false}), AppError);
    EXPECT_EQ(readAll(path()), before);
}

TEST_F(SettingsFile, CarriedValuesSurviveAReadWriteRound) {
    writeAll(
        path(),
        "[PCB]\nPCB_NAME=\xd1\xf2\xe5\xed\xe4\nPCB_VER=0x10\nSOFT_VER=$7\n[EDIT]\nTXT_SIZE=3\nTXT_FONT=-4\n"
        "VAL1=100\nVAL2=65535\n[LINK]\nPORT_SPEED=9600\n");
    Settings first = readSettingsFrom(path());
    writeSettingsTo(path(), first);
    Settings again = readSettingsFrom(path());
    EXPECT_EQ(again.PCB_NAME, QStringLiteral("Стенд"));
    EXPECT_EQ(again.PCB_VER, 16);
    EXPECT_EQ(again.SOFT_VER, 7);
    EXPECT_EQ(again.TXT_SIZE, 3);
    EXPECT_EQ(again.TXT_FONT, -4);
    EXPECT_EQ(again.VAL1, 100);
    EXPECT_EQ(again.VAL2, -1);
    EXPECT_EQ(again.PORT_SPEED, "9600");
    EXPECT_TRUE(readAll(path()).contains("PCB_NAME=\xd1\xf2\xe5\xed\xe4\nPCB_VER=16\n"));
}

TEST_F(SettingsFile, AReadOnlyFileIsStillReadAndWritten) {
    writeAll(path(), "[EDIT]\nBG_COLOR=2\n");
    QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    Settings s = readSettingsFrom(path());
    EXPECT_EQ(s.BG_COLOR, 2);
    s.BG_COLOR = 1;
    writeSettingsTo(path(), s);
    EXPECT_EQ(readSettingsFrom(path()).BG_COLOR, 1);
    EXPECT_FALSE(hasWriteBit(path()));
}

TEST_F(SettingsFile, AFileThatCannotBeWrittenIsReportedAndLeftAsItWas) {
    // A folder where the file should be: nothing can be written there.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Veltra.ini")));
    Settings s = readSettingsFrom(path());
    EXPECT_EQ(s.TXT_COLOR, 4);
    try {
        writeSettingsTo(path(), s);
        FAIL() << "the write did not fail";
    } catch (const AppError& e) {
        EXPECT_EQ(e.text(), QStringLiteral("Unable to write to ") + path());
    }
}

TEST_F(SettingsFile, AWriteCutShortLeavesTheOldFileWhole) {
    const QByteArray before = "[EDIT]\nBG_COLOR=2\n; " + QByteArray(200, 'c') + "\n";
    writeAll(path(), before);
    Settings s = readSettingsFrom(path());
    bool failed = false;
    try {
        test::ScopedFileSizeLimit limit(100); // the disk "fills up" after 100 bytes of the new text
        writeSettingsTo(path(), s);
    } catch (const AppError&) {
        failed = true;
    }
    EXPECT_TRUE(failed);
    EXPECT_EQ(readAll(path()), before);
}

TEST_F(SettingsFile, InAFolderThatAllowsNoNewFileAFailedWriteLeavesTheFileByteForByte) {
    // The file's owner may pass through the test's folder but create nothing
    // in the file's own one.
    QFile::setPermissions(dir.path(),
                          QFile::permissions(dir.path()) | QFileDevice::ExeGroup | QFileDevice::ExeOther);
    const QByteArray kept = "; the bench at the window\n[EDIT]\nBG_COLOR=2\n";
    struct Case {
        const char* name;
        QByteArray before;
        std::optional<rlim_t> sizeLimit;
        bool fits;
    };
    const Case cases[] = {
        {"grows", kept, std::nullopt, true},
        {"shrinks", "[EDIT]\nBG_COLOR=" + QByteArray(400, '0') + "2\n", std::nullopt, true},
        {"would grow beyond the size limit", kept, kept.size() + 10, false},
    };
    for (const Case& c : cases) {
        // The same record written where a new file is allowed gives the bytes
        // the in-place write must produce.
        const QString roomy = dir.filePath(QStringLiteral("roomy.ini"));
        QFile::remove(roomy);
        writeAll(roomy, c.before);
        writeSettingsTo(roomy, readSettingsFrom(roomy));
        const QByteArray written = readAll(roomy);

        const QString folder = dir.filePath(QString::fromLatin1(c.name));
        ASSERT_TRUE(QDir(dir.path()).mkpath(folder));
        const QString file = folder + QStringLiteral("/Veltra.ini");
        writeAll(file, c.before);
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(QFile::encodeName(file).constData(), 65534, 65534), 0);
        }
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                          QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                          QFileDevice::ReadOther | QFileDevice::ExeOther);
        bool failed = false;
        {
            test::ScopedUnprivilegedFiles asOwnerOfTheFileOnly;
            Settings s = readSettingsFrom(file);
            std::optional<test::ScopedFileSizeLimit> limit;
            if (c.sizeLimit) limit.emplace(*c.sizeLimit);
            try {
                writeSettingsTo(file, s);
            } catch (const AppError&) {
                failed = true;
            }
        }
        QFile::setPermissions(folder,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        EXPECT_EQ(failed, !c.fits) << c.name;
        EXPECT_EQ(readAll(file), c.fits ? written : c.before) << c.name;
        EXPECT_FALSE(hasWriteBit(file)) << c.name;
    }
}

TEST_F(SettingsFile, ANulByteOrAByteOrderMarkChangesNoLineAndNoValue) {
    // Every key is there with the value a write gives it, so a read-write
    // round must leave each file exactly as it was.
    const QByteArray keys =
        "[EDIT]\nBG_COLOR=1\nTXT_COLOR=2\nTXT_SIZE=0\nTXT_FONT=0\nVAL1=0\nVAL2=0\n"
        "[PCB]\nPCB_NAME=KX\nPCB_VER=1\nSOFT_VER=1\n[LINK]\nPORT_NAME=COM2\nPORT_SPEED=57600\n";
    auto with = [&](const char* line, const QByteArray& replacement) {
        return QByteArray(keys).replace(line, replacement);
    };
    const QByteArray nul(1, '\0');
    struct Case {
        const char* name;
        QByteArray file;
    };
    const Case cases[] = {
        {"a NUL line above the keys", with("BG_COLOR=1\n", nul + "\nBG_COLOR=1\n")},
        {"a NUL inside a comment", "; saved " + nul + " by hand\n" + keys},
        {"a NUL inside a carried value", with("PCB_NAME=KX", "PCB_NAME=K" + nul + "X")},
        {"a NUL right after a section header", with("[EDIT]", "[EDIT]" + nul)},
        {"a byte-order mark", "\xEF\xBB\xBF" + keys},
        {"a byte-order mark before CR LF lines", "\xEF\xBB\xBF" + QByteArray(keys).replace("\n", "\r\n")},
    };
    for (const Case& c : cases) {
        writeAll(path(), c.file);
        Settings s = readSettingsFrom(path());
        EXPECT_EQ(s.BG_COLOR, 1) << c.name;
        EXPECT_EQ(s.TXT_COLOR, 2) << c.name;
        EXPECT_EQ(s.PORT_NAME, QStringLiteral("COM2")) << c.name;
        writeSettingsTo(path(), s);
        EXPECT_EQ(readAll(path()), c.file) << c.name;
    }
}

TEST_F(SettingsFile, AnAccessGivesBackExactlyTheWriteBitsTheLastOneTook) {
    struct Case {
        const char* name;
        mode_t start;
        bool throughALink;
        mode_t byHand; // set between the two accesses; 0: nothing
        mode_t during; // the mode while the second access lasts
    };
    const Case cases[] = {
        {"group-writable", 0664, false, 0, 0664},
        {"group-writable through a link", 0664, true, 0, 0664},
        {"owner only", 0640, false, 0, 0640},
        {"read-only when first met", 0444, false, 0, 0644},
        {"changed by hand in between", 0664, false, 0400, 0600},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString target = dir.filePath(QStringLiteral("target%1.ini").arg(++n));
        const QString link = dir.filePath(QStringLiteral("link%1.ini").arg(n));
        writeAll(target, "[EDIT]\nBG_COLOR=2\n");
        ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), c.start), 0);
        ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()), 0);
        const QString path = c.throughALink ? link : target;

        writeSettingsTo(path, readSettingsFrom(path));
        EXPECT_EQ(modeOf(target), c.start & ~0222u) << c.name;
        if (c.byHand) ::chmod(QFile::encodeName(target).constData(), c.byHand);
        {
            FileAccess access(path);
            EXPECT_EQ(modeOf(target), c.during) << c.name;
        }
        EXPECT_EQ(modeOf(target), c.during & ~0222u) << c.name;
        EXPECT_EQ(QFileInfo(link).symLinkTarget(), target) << c.name; // the link is left alone
        EXPECT_EQ(readSettingsFrom(path).BG_COLOR, 2) << c.name;
    }
}

TEST(IniLines, PlacesNewKeysAndSectionsWithoutDisturbingTheRest) {
    struct Case {
        const char* name;
        const char* before;
        const char* section;
        const char* key;
        const char* after;
    };
    const Case cases[] = {
        {"replace in place, keep CR LF", "[A]\r\nk = 1\r\nz=2\r\n", "A", "K", "[A]\r\nK=v\r\nz=2\r\n"},
        {"new key after the last key, before comments", "[A]\nx=1\n\n; about B\n[B]\ny=2\n", "A", "k",
         "[A]\nx=1\nk=v\n\n; about B\n[B]\ny=2\n"},
        {"new key in a section without keys", "[A]\n[B]\n", "A", "k", "[A]\nk=v\n[B]\n"},
        {"section appended, last line terminated", "[A]\nx=1", "B", "k", "[A]\nx=1\n[B]\nk=v\n"},
        {"empty file", "", "B", "k", "[B]\nk=v\n"},
        {"key of a repeated section", "[A]\nx=1\n[B]\n[ a ]\nk=old\n", "A", "k",
         "[A]\nx=1\n[B]\n[ a ]\nk=v\n"},
        {"commented key is not the key", "[A]\n;k=1\n#k=2\n", "A", "k", "[A]\nk=v\n;k=1\n#k=2\n"},
        {"same key in another section untouched", "[B]\nk=1\n[A]\n", "A", "k", "[B]\nk=1\n[A]\nk=v\n"},
        // A bare CR before a blank line would become one CR LF with it.
        {"bare CR lines keep the blank line after", "x\r[EDIT]\n\n", "EDIT", "k", "x\r[EDIT]\nk=v\r\n\n"},
    };
    for (const Case& c : cases) {
        IniLines ini(c.before);
        ini.setValue(c.section, c.key, "v");
        EXPECT_EQ(ini.text(), QByteArray(c.after)) << c.name;
    }
}
