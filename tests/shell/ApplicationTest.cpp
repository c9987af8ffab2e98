// The application object in a process of its own: there is one per process.
#include "EngineError.h"
#include "GearlogApplication.h"
#include "ScriptedUi.h"
#include "TestStores.h"

#include <QEvent>

using namespace gearlog;

namespace {

// An object whose handling of an event fails the way a database can.
class Failing : public QObject {
protected:
    bool event(QEvent*) override { throw EngineError(QStringLiteral("disk I/O error")); }
};

TEST(Application, DatabaseFailuresInHandlersAreShownNotFatal) {
    test::ScriptedUi scripted;
    Failing failing;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&failing, &event));
    EXPECT_EQ(scripted.messages, test::strings({"disk I/O error"}));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    GearlogApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
