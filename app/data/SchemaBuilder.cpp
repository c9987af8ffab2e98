#include "SchemaBuilder.h"

#include "Dialect.h"
#include "EngineError.h"

#include <QFile>

namespace gearlog {

void buildSchema(Store& store) {
    store.begin();
    try {
        for (const QString& sql : dialect::preparationStatements(store.engine()))
            store.execute(sql);
        for (const TableDef& table : schemaTables())
            for (const QString& sql : dialect::createTableStatements(store.engine(), table))
                store.execute(sql);
        for (const SeedRow& row : seedRows())
            store.execute(QStringLiteral("INSERT INTO %1 (ID, Name) VALUES (?, ?)").arg(row.table),
                          {row.id, row.name});
        for (const QString& sql : dialect::finishingStatements(store.engine()))
            store.execute(sql);
        store.commit();
    } catch (...) {
        store.rollback();
        throw;
    }
}

void upgradeSchema(Store& store) {
    const QStringList statements = dialect::upgradeStatements(store);
    if (statements.isEmpty())
        return;
    store.begin();
    try {
        for (const QString& sql : statements)
            store.execute(sql);
        store.commit();
    } catch (...) {
        store.rollback();
        throw;
    }
}

bool removeDatabaseFile(const QString& path) {
    for (const char* suffix : {"-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
    return !QFile::exists(path) || QFile::remove(path);
}

void createDatabaseFile(const QString& path) {
    try {
        auto store = createFileStore(path);
        buildSchema(*store);
    } catch (const EngineError&) {
        removeDatabaseFile(path);
        throw;
    }
}

} // namespace gearlog
