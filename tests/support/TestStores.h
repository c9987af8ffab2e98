#pragma once

#include "Database.h"
#include "Session.h"

#include <QFileDevice>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <utility>

// Texts in failure messages as text, not as bytes.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace gearlog::test {

// The connection string of the private test server, from GEARLOG_TEST_PG.
QString serverConnection();

// A fresh, empty database of one engine with the schema built: a file in a
// temporary folder, or a new database on the test server, dropped again
// when the fixture goes.
class FreshDatabase {
public:
    explicit FreshDatabase(Engine engine, bool withSchema = true);
    ~FreshDatabase();

    Engine engine() const { return m_engine; }
    // The file path or connection string of the new database.
    const QString& location() const { return m_location; }
    std::unique_ptr<Store> openStore() const;
    std::unique_ptr<Session> openSession() const;

private:
    Engine m_engine;
    QTemporaryDir m_dir;
    QString m_location;
    QString m_serverName;
};

// Points QSettings at a temporary folder for the test's lifetime.
class PrivateSettings {
public:
    PrivateSettings();
    ~PrivateSettings();

private:
    QTemporaryDir m_dir;
};

// Gives the test a cache folder of its own (the photo control's temporary
// file lives there), so tests running side by side do not share it.
class PrivateCache {
public:
    PrivateCache();
    ~PrivateCache();

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
};

// Makes a file or folder read-only for the test's lifetime; for root, whom
// permissions do not stop, by the immutable attribute.
class ReadOnlyPath {
public:
    explicit ReadOnlyPath(const QString& path);
    ~ReadOnlyPath();
    // False where this file system cannot stop root.
    bool works() const { return m_immutable || !m_root; }

private:
    QString m_path;
    bool m_root;
    bool m_immutable = false;
    QFileDevice::Permissions m_previous;
};

// Runs a test once per engine.
class BothStores : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override;
    std::unique_ptr<FreshDatabase> fresh;
    std::unique_ptr<Session> session;
};

// Writes a file with these bytes (a stand-in for a file the user picks);
// returns its path.
QString writeFile(const QString& path, const QByteArray& bytes);

// Adds an asset in stock, "M-<ID>", of a type of its own (made with the
// first one): with `id` 0, the next key.
void addStockAsset(Session& session, int id = 0);

// What the action's EngineError says, or nothing when it succeeds.
QString failureOf(const std::function<void()>& action);

// Runs a program to its end: its exit code (-1 when it did not end by
// itself) and what it printed on either stream, lines ending in "\n".
std::pair<int, QString> runToEnd(const QString& program, const QStringList& arguments);

// A list of Latin-1 texts, for short expectations.
QStringList strings(std::initializer_list<const char*> texts);

std::string engineName(const ::testing::TestParamInfo<Engine>& info);

#define GEARLOG_BOTH_STORES(Suite)                                                                 \
    INSTANTIATE_TEST_SUITE_P(                                                                      \
        Stores, Suite, ::testing::Values(::gearlog::Engine::Sqlite, ::gearlog::Engine::Postgres),  \
        ::gearlog::test::engineName)

} // namespace gearlog::test
