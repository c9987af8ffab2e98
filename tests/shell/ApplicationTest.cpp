// The application object in a process of its own: there is one per process.
#include "EngineError.h"
#include "GearlogApplication.h"
#include "ScriptedUi.h"
#include "TestStores.h"

#include <QEvent>
#include <QIcon>

using namespace gearlog;

namespace {

// An object whose handling of an event fails the way a database can.
class Failing : public QObject {
protected:
    bool event(QEvent*) override { throw EngineError(QStringLiteral("disk I/O error")); }
};

QStringList logged;
void keep(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg)
        logged << text;
}

// Handlers report their own failures; one that slips through is logged as
// a last resort, neither shown from inside the event loop nor fatal.
TEST(Application, FailuresReachingTheEventLoopAreLoggedNotShown) {
    test::ScriptedUi scripted;
    Failing failing;
    QEvent event(QEvent::User);
    const QtMessageHandler previous = qInstallMessageHandler(keep);
    EXPECT_FALSE(QCoreApplication::sendEvent(&failing, &event));
    qInstallMessageHandler(previous);
    EXPECT_TRUE(scripted.messages.isEmpty());
    ASSERT_EQ(logged.size(), 1);
    EXPECT_TRUE(logged.front().contains(QStringLiteral("disk I/O error")));
}

// The window icon comes with the program, in every size a desktop asks for.
TEST(Application, CarriesItsIcon) {
    const QIcon icon = QApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_TRUE(icon.availableSizes().contains(QSize(48, 48)));
    EXPECT_FALSE(QApplication::applicationVersion().isEmpty());
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    GearlogApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
