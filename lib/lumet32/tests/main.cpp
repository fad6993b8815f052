#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>

int main(int argc, char **argv)
{
    // Test discovery runs this executable too, possibly without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // No test may reach the user's own registry file.
    qputenv("LUMET32_REGISTRY", QDir::temp().filePath(QStringLiteral("lumet32-test-unused/registry.json")).toUtf8());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
