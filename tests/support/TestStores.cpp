#include "TestStores.h"

#include "ConnectionString.h"
#include "Database.h"
#include "EngineError.h"
#include "RecordHelpers.h"
#include "SchemaBuilder.h"
#include "Session.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QUuid>
#include <unistd.h>

namespace gearlog::test {

namespace {
// Qt SQL wants an application object; tests without one get it here.
void ensureApplication() {
    static int argc = 1;
    static char name[] = "gearlog-tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}
} // namespace

QString serverConnection() {
    const QString value = qEnvironmentVariable("GEARLOG_TEST_PG");
    if (value.isEmpty())
        throw EngineError(QStringLiteral(
            "GEARLOG_TEST_PG is not set: run the tests through tools/with-postgres (make test)"));
    return value;
}

FreshDatabase::FreshDatabase(Engine engine, bool withSchema) : m_engine(engine) {
    ensureApplication();
    if (engine == Engine::Sqlite) {
        m_location = m_dir.filePath(QStringLiteral("test.gearlog"));
        auto store = createFileStore(m_location);
        if (withSchema)
            buildSchema(*store);
        return;
    }
    ConnectionString admin = ConnectionString::parse(serverConnection());
    m_serverName =
        QStringLiteral("gearlog_test_") + QUuid::createUuid().toString(QUuid::Id128).left(16);
    openServerStore(admin.toString())
        ->execute(QStringLiteral("CREATE DATABASE ") + m_serverName, {});
    admin.database = m_serverName;
    m_location = admin.toString();
    if (withSchema)
        buildSchema(*openServerStore(m_location));
}

FreshDatabase::~FreshDatabase() {
    if (m_serverName.isEmpty())
        return;
    try {
        openServerStore(serverConnection())
            ->execute(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_serverName),
                      {});
    } catch (const EngineError&) {
        // The cluster goes away with the test run anyway.
    }
}

std::unique_ptr<Store> FreshDatabase::openStore() const {
    return m_engine == Engine::Sqlite ? openFileStore(m_location) : openServerStore(m_location);
}

std::unique_ptr<Session> FreshDatabase::openSession() const {
    return m_engine == Engine::Sqlite ? Session::openFile(m_location)
                                      : Session::openServer(m_location);
}

PrivateSettings::PrivateSettings() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
}

PrivateSettings::~PrivateSettings() = default;

PrivateCache::PrivateCache() : m_previous(qgetenv("XDG_CACHE_HOME")) {
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.path()));
}

PrivateCache::~PrivateCache() {
    qputenv("XDG_CACHE_HOME", m_previous);
}

ReadOnlyPath::ReadOnlyPath(const QString& path)
    : m_path(path), m_root(::geteuid() == 0), m_previous(QFile::permissions(path)) {
    if (m_root)
        m_immutable =
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
    else
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
}

ReadOnlyPath::~ReadOnlyPath() {
    if (m_immutable)
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
    else if (!m_root)
        QFile::setPermissions(m_path, m_previous);
}

void BothStores::SetUp() {
    fresh = std::make_unique<FreshDatabase>(GetParam());
    session = fresh->openSession();
}

QString writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw EngineError(QStringLiteral("Cannot write ") + path);
    return path;
}

void addStockAsset(Session& session, int id) {
    Database& db = session.database();
    Recordset& types = session.rs_equipment();
    if (record_count(types) == 0) {
        add_new_record(types, db, QStringLiteral("Table_equipment"));
        types.setValue(QStringLiteral("Name"), QStringLiteral("Test type"));
        types.setValue(QStringLiteral("CategoryID"), seedRows().back().id);
        types.update();
    }
    types.moveFirst();
    const int type = types.value(QStringLiteral("ID")).toInt();
    Recordset& assets = session.rs_asset();
    if (id > 0) {
        assets.addNew();
        assets.setValue(QStringLiteral("ID"), id);
    } else {
        add_new_record(assets, db, QStringLiteral("Table_asset"));
        id = assets.value(QStringLiteral("ID")).toInt();
    }
    assets.setValue(QStringLiteral("ModelNumber"), QStringLiteral("M-%1").arg(id));
    assets.setValue(QStringLiteral("EquipmentID"), type);
    assets.setValue(QStringLiteral("ShipmentID"), 0);
    assets.update();
}

std::pair<int, QString> runToEnd(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    const bool ended = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit;
    return {ended ? p.exitCode() : -1, QString::fromLocal8Bit(p.readAll()).remove(u'\r')};
}

QString failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EngineError& e) {
        return e.description();
    }
    return {};
}

QStringList strings(std::initializer_list<const char*> texts) {
    QStringList result;
    for (const char* t : texts)
        result << QString::fromLatin1(t);
    return result;
}

std::string engineName(const ::testing::TestParamInfo<Engine>& info) {
    return info.param == Engine::Sqlite ? "File" : "Server";
}

} // namespace gearlog::test
