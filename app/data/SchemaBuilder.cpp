#include "SchemaBuilder.h"

#include "DatabaseFile.h"
#include "Dialect.h"
#include "EngineError.h"

namespace gearlog {

void buildSchema(Store& store, const std::function<void()>& fill) {
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
        // What a writable opening adds, made now so that no desk's first
        // opening has to: the history before the rows (a copy brings its
        // own), the indexes after them.
        for (const QString& sql :
             dialect::upgradeStatements(store, dialect::UpgradeSteps::Required))
            store.execute(sql);
        if (fill)
            fill();
        for (const QString& sql : dialect::upgradeStatements(store))
            store.execute(sql);
        store.commit();
    } catch (...) {
        store.rollback();
        throw;
    }
}

void upgradeSchema(Store& store, dialect::UpgradeSteps steps) {
    if (dialect::upgradeStatements(store, steps).isEmpty())
        return;
    store.begin();
    try {
        // Another desk may be taking the same steps: one at a time, each
        // asking again under the lock what is still to do.
        if (const QString lock = dialect::upgradeLockStatement(store.engine()); !lock.isEmpty())
            store.select(lock, {}, {});
        for (const QString& sql : dialect::upgradeStatements(store, steps))
            store.execute(sql);
        store.commit();
    } catch (...) {
        store.rollback();
        throw;
    }
}

void createDatabaseFile(const QString& path, bool replace,
                        const std::function<void(Store&)>& fill) {
    writeDatabaseFile(path, replace, [&fill](const QString& temporary) {
        auto store = createFileStore(temporary);
        buildSchema(*store, [&] {
            if (fill)
                fill(*store);
        });
    });
}

} // namespace gearlog
