// Entry point of every test program: a QApplication on the offscreen
// platform, a fresh registry store file, and the seams a test controls.
#include "Platform.h"
#include "TestSeams.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir storeDir;
    qputenv("QUORVANE_REGISTRY", storeDir.filePath(QStringLiteral("registry.reg")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", storeDir.filePath(QStringLiteral("xdg")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", storeDir.path().toLocal8Bit());
    QApplication app(argc, argv);
    vb::InitPlatform();
    testing_seams::InstallSeams();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
