// Entry point of the widget tests: an offscreen application around GoogleTest.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Fieldbench"));
    QApplication::setApplicationName(QStringLiteral("Gearlog"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
