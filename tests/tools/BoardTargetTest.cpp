// Which board a veltra-link --port names: the settings file and every device
// path are the file system's bytes from the command line to open(), so names
// that are not UTF-8 (a folder named in Windows-1251) still lead somewhere.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>
#include <string>
#include <vector>

#include "tests/support/BytesFolder.h"
#include "tools/veltra-link/BoardTarget.h"

namespace veltra::linktool {
namespace {

TEST(BoardTargets, SettingsAndDevicePathsReachTheLinkAsTheirBytes) {
    QTemporaryDir dir;
    // "Плата" in Windows-1251: not UTF-8.
    const test::BytesFolder made(dir.path().toStdString() + "/\xcf\xeb\xe0\xf2\xe0");
    ASSERT_TRUE(made.made());
    const std::string& folder = made.path();
    const std::string settings = folder + "/Veltra.ini";
    const std::string configured = "/dev/\xcf\xeb\xe0\xf2\xe0-2";
    std::ofstream(settings) << "[LINK]\nPORT_NAME=COM2\n[PORTS]\nCOM2=" << configured << "\n";

    const struct {
        const char* what;
        std::vector<std::string> ports;
        bool byPath;
        std::string device;
    } cases[] = {
        {"the configured port", {}, false, configured},
        {"a COM name", {"COM2"}, false, configured},
        {"a COM name the file leaves alone", {"COM3"}, false, "/dev/ttyS2"},
        {"a device path", {folder + "/tty"}, true, folder + "/tty"},
    };
    for (const auto& c : cases) {
        const ResolvedTargets resolved = resolveTargets(c.ports, settings);
        ASSERT_EQ(resolved.error, "") << c.what;
        ASSERT_EQ(resolved.targets.size(), 1u) << c.what;
        EXPECT_EQ(resolved.targets[0].byPath, c.byPath) << c.what;
        EXPECT_EQ(resolved.targets[0].devicePath().toStdString(), c.device) << c.what;
    }

    const ResolvedTargets missing = resolveTargets({}, folder + "/none.ini");
    EXPECT_TRUE(missing.targets.empty());
    EXPECT_EQ(missing.error, "cannot read the settings file " + dir.path().toStdString() +
                                 "/\\xCF\\xEB\\xE0\\xF2\\xE0/none.ini");
}

} // namespace
} // namespace veltra::linktool
