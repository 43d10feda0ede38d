// GoogleTest with the program's application object, offscreen unless the
// environment says otherwise.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "app/shell/VeltraApplication.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings that cannot live beside the program go to the user's config
    // folder: never the real one of whoever runs the tests.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    // Nor the real state folder: the console history, the editor's recovery copies.
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    veltra::VeltraApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
