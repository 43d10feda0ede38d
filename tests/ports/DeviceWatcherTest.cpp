// The device watcher notices devices and links that come and go.

#include <QDir>
#include <QFile>

#include <functional>

#include "ports/DeviceWatcher.h"
#include "tests/ports/FakeSystemTree.h"
#include "tests/support/WaitFor.h"

namespace veltra::test {
namespace {

TEST(DeviceWatcher, ReportsDevicesAndLinksAsTheyComeAndGo) {
    FakeSystemTree tree; // not the real system: the folders are watched, as where udev does not run
    const QString boardFolder = tree.dir.filePath("build/release");
    DeviceWatcher watcher(tree.roots);
    watcher.setExtraFolders({boardFolder});
    int changes = 0;
    QObject::connect(&watcher, &DeviceWatcher::devicesChanged, [&] { ++changes; });
    watcher.start();
    EXPECT_FALSE(watcher.usesUdev());

    struct Step {
        const char* what;
        std::function<void()> act;
    };
    const Step steps[] = {
        {"an adapter is plugged in", [&] { tree.node("ttyUSB0"); }},
        {"udev makes the stable-name folders", [&] { QDir().mkpath(tree.roots.dev + "/serial/by-id"); }},
        {"and the stable name",
         [&] { FakeSystemTree::link(tree.roots.dev + "/serial/by-id/usb-x", tree.devPath("ttyUSB0")); }},
        {"the adapter is pulled out", [&] { QFile::remove(tree.devPath("ttyUSB0")); }},
        {"the board's folder is made", [&] { QDir().mkpath(boardFolder); }},
        {"a virtual board makes its link there",
         [&] { FakeSystemTree::link(boardFolder + "/virtual-board", tree.devPath("pts/3")); }},
    };
    for (const Step& step : steps) {
        pumpFor(100); // the watches follow the folders that came before
        const int before = changes;
        step.act();
        EXPECT_TRUE(waitFor([&] { return changes > before; }, 5000)) << step.what;
    }
    watcher.stop();
    const int stopped = changes;
    tree.node("ttyUSB1");
    pumpFor(200);
    EXPECT_EQ(changes, stopped);
}

} // namespace
} // namespace veltra::test
