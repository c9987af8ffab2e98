#include "Settings.h"
#include "EngineError.h"
#include "Startup.h"
#include "TestStores.h"

#include <QFile>

using namespace gearlog;
using namespace gearlog::test;

namespace {

TEST(Settings, MissingValuesReadAsNoValue) {
    PrivateSettings isolated;
    EXPECT_EQ(settings::read(QStringLiteral("FileName")), QStringLiteral("<no value>"));
    EXPECT_FALSE(settings::isStored(settings::read(QStringLiteral("FileName"))));
    EXPECT_FALSE(settings::isStored(QString()));
    EXPECT_EQ(settings::loadFieldList(), (std::vector<int>{1, 3, 4, 12, 11}));
    settings::write(QStringLiteral("FieldList"), QStringLiteral("2&9"));
    EXPECT_EQ(settings::loadFieldList(), (std::vector<int>{2, 9}));
    // Anything but distinct columns 1 to 12 gives the default selection.
    for (const char* bad :
         {"", "1&13", "abc", "2&&5", "3&3", "0", "1&2&3&4&5&6&7&8&9&10&11&12&1"}) {
        settings::write(QStringLiteral("FieldList"), QString::fromLatin1(bad));
        EXPECT_EQ(settings::loadFieldList(), settings::defaultFieldList()) << bad;
    }
}

TEST(Settings, FileNameFormatAndParse) {
    const QString file =
        settings::formatFileName(QStringLiteral("/data/kit.gearlog"), QStringLiteral("DAO"),
                                 QStringLiteral("/data/kit.gearlog"));
    EXPECT_EQ(file, QStringLiteral("DAO&|&/data/kit.gearlog&|&/data/kit.gearlog"));
    const auto parsed = settings::parseFileName(file);
    EXPECT_EQ(parsed.type, QStringLiteral("DAO"));
    EXPECT_EQ(parsed.name, QStringLiteral("/data/kit.gearlog"));
    EXPECT_FALSE(parsed.isServer());
    // The connection keeps any later separator-like text whole.
    const auto server =
        settings::parseFileName(QStringLiteral("ADO&|&kit on db1&|&Driver=QPSQL;Database=a&|&b"));
    EXPECT_TRUE(server.isServer());
    EXPECT_EQ(server.connection, QStringLiteral("Driver=QPSQL;Database=a&|&b"));
    for (const char* bad : {"DAO", "DAO&|&only-one", "nothing at all"}) {
        try {
            settings::parseFileName(QString::fromLatin1(bad));
            ADD_FAILURE() << bad;
        } catch (const EngineError& e) {
            EXPECT_TRUE(e.description().contains(QStringLiteral("type&|&name&|&connection")));
        }
    }
}

TEST(Settings, FieldListPiecesSeparatorsAndLimit) {
    EXPECT_EQ(settings::parseFieldList(QStringLiteral("1&3&4&12&11")),
              (std::vector<int>{1, 3, 4, 12, 11}));
    EXPECT_EQ(settings::parseFieldList(QStringLiteral("5&")), (std::vector<int>{5}));
    EXPECT_EQ(settings::parseFieldList(QStringLiteral("&7")), (std::vector<int>{0, 7}));
    EXPECT_EQ(settings::parseFieldList(QStringLiteral(" 2.5&3.5&x&4abc")),
              (std::vector<int>{2, 4, 0, 4}));
    EXPECT_TRUE(settings::parseFieldList(QStringLiteral("<no value>")).empty());

    std::vector<int> full;
    for (int i = 0; i < 32; ++i)
        full.push_back(i % 12 + 1);
    const QString stored = settings::formatFieldList(full);
    EXPECT_EQ(stored.count(QLatin1Char('&')), 31);
    EXPECT_EQ(settings::parseFieldList(stored), full);
    EXPECT_THROW(settings::parseFieldList(stored + QStringLiteral("&1")), EngineError);
}

TEST(Startup, DecisionFromTheStoredValue) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kit.gearlog"));
    EXPECT_EQ(decideStartup(QStringLiteral("<no value>")).kind, StartupAction::Nothing);
    EXPECT_EQ(decideStartup(QString()).kind, StartupAction::Nothing);
    // A stored file that no longer exists is passed over silently.
    EXPECT_EQ(decideStartup(settings::formatFileName(path, QStringLiteral("DAO"), path)).kind,
              StartupAction::Nothing);
    writeFile(path, {});
    const auto file =
        decideStartup(settings::formatFileName(path, QStringLiteral("anything"), path));
    EXPECT_EQ(file.kind, StartupAction::OpenFile); // any type but "ADO" is a file
    EXPECT_EQ(file.connection, path);
    const auto server =
        decideStartup(QStringLiteral("ADO&|&kit on db1&|&Driver=QPSQL;Host=db1;Database=kit"));
    EXPECT_EQ(server.kind, StartupAction::OpenServer);
    EXPECT_EQ(server.name, QStringLiteral("kit on db1"));
    EXPECT_THROW(decideStartup(QStringLiteral("DAO&|&")), EngineError);
}

} // namespace
