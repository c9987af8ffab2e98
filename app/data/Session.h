#pragma once

#include "Database.h"
#include "Recordset.h"

#include <QString>
#include <array>
#include <functional>
#include <memory>

namespace gearlog {

enum class ConnectionType { Server = 1, File = 2 };

// The open database of the program and its nine table cursors, which stay
// open for the whole session.
class Session {
public:
    // Throw EngineError with the engine's text when the open fails.
    static std::unique_ptr<Session> openFile(const QString& path);
    static std::unique_ptr<Session> openServer(const QString& connectionString,
                                               const QString& password = {});

    ConnectionType connectionType() const { return m_type; }
    // The file path, or the server connection string (without password).
    const QString& connectionString() const { return m_connection; }
    // The source's name for the caption: the path, or "db on host".
    QString dataSourceName() const { return m_db->store().dataSourceName(); }

    // True when this desk may only look (a read-only file or folder).
    bool isReadOnly() const { return m_db->store().isReadOnly(); }

    // True when the database holds the nine tables (a new server database
    // may be empty).
    bool hasSchema();
    // True when this desk may create the tables where they would go.
    bool mayCreateSchema() { return m_db->store().canCreateTables(); }
    void createSchema();

    // Opens the nine table cursors, each with its source and sort key, after
    // taking what a write needs of the current format (not its indexes).
    void openTableCursors();
    // True when this desk may write and the indexes a writable opening adds
    // are missing: build them with another connection (BackgroundWork).
    bool lacksIndexes();
    // Opens another connection to the same database, for work off the
    // window's thread (called on that thread).
    const std::function<std::unique_ptr<Store>()>& connector() const { return m_connectAgain; }
    bool tableCursorsOpen() const { return m_photo != nullptr; }
    // Reads the nine table cursors again from the store, so they show what
    // other desks have written; each keeps its current row.
    void refresh();
    // Lets go of the rows every cursor has read (between views: they are
    // read again as they are looked at).
    void releaseRows();

    Recordset& rs_photo() { return *m_photo; }
    Recordset& rs_category() { return *m_category; }
    Recordset& rs_equipment() { return *m_equipment; }
    Recordset& rs_asset() { return *m_asset; }
    Recordset& rs_status() { return *m_status; }
    Recordset& rs_shipment() { return *m_shipment; }
    Recordset& rs_shipping_list() { return *m_shippingList; }
    Recordset& rs_address() { return *m_address; }
    Recordset& rs_contact() { return *m_contact; }

    // The views' working cursors: opening one replaces the last of its
    // kind only once the new one is open (a failed open leaves the old one),
    // and the session lets go of them when it closes. Reading one that was
    // never opened throws.
    Recordset& open_query(const QString& jetSql) { return reopen(m_query, jetSql); }
    Recordset& rs_query() { return working(m_query); }
    Recordset& open_asset_query(const QString& jetSql) { return reopen(m_assetQuery, jetSql); }
    Recordset& rs_asset_query() { return working(m_assetQuery); }
    Recordset& open_shipping_query(const QString& jetSql) {
        return reopen(m_shippingQuery, jetSql);
    }
    Recordset& rs_shipping_query() { return working(m_shippingQuery); }

    Database& database() { return *m_db; }
    std::unique_ptr<Recordset> openRecordset(const QString& jetSql) {
        return m_db->openRecordset(jetSql);
    }
    int execute(const QString& jetSql) { return m_db->execute(jetSql); }

private:
    Session(std::unique_ptr<Store> store, ConnectionType type, QString connection,
            std::function<std::unique_ptr<Store>()> connectAgain);
    Recordset& reopen(std::unique_ptr<Recordset>& cursor, const QString& jetSql);
    std::array<std::unique_ptr<Recordset>*, 9> tableCursorSlots();
    static Recordset& working(const std::unique_ptr<Recordset>& cursor);

    ConnectionType m_type;
    QString m_connection;
    std::shared_ptr<Database> m_db;
    std::function<std::unique_ptr<Store>()> m_connectAgain;
    std::unique_ptr<Recordset> m_photo, m_category, m_equipment, m_asset, m_status, m_shipment,
        m_shippingList, m_address, m_contact, m_query, m_assetQuery, m_shippingQuery;
};

// The source texts of the nine table cursors, in the order they open.
const QStringList& tableCursorSources();

} // namespace gearlog
