#include "Session.h"

#include "EngineError.h"
#include "SchemaBuilder.h"

namespace gearlog {

const QStringList& tableCursorSources() {
    static const QStringList sources{
        QStringLiteral("SELECT * FROM [Table_photo] ORDER BY Name;"),
        QStringLiteral("SELECT * FROM [Table_Category] ORDER BY Name;"),
        QStringLiteral("SELECT * FROM [Table_Equipment] ORDER BY Name;"),
        QStringLiteral("SELECT * FROM [Table_Asset] ORDER BY ID;"),
        QStringLiteral("SELECT * FROM [Table_Status] ORDER BY ID;"),
        QStringLiteral("SELECT * FROM [Table_Shipment] ORDER BY ID;"),
        QStringLiteral("SELECT * FROM [Table_ShippingList] ORDER BY ID,ShipmentID;"),
        QStringLiteral("SELECT * FROM [Table_Address] ORDER BY Name;"),
        QStringLiteral("SELECT * FROM [Table_Contact] ORDER BY Name;"),
    };
    return sources;
}

Session::Session(std::unique_ptr<Store> store, ConnectionType type, QString connection,
                 std::function<std::unique_ptr<Store>()> connectAgain)
    : m_type(type), m_connection(std::move(connection)),
      m_db(std::make_shared<Database>(std::move(store))), m_connectAgain(std::move(connectAgain)) {}

std::unique_ptr<Session> Session::openFile(const QString& path) {
    return std::unique_ptr<Session>(new Session(openFileStore(path), ConnectionType::File, path,
                                                [path] { return openFileStoreAgain(path); }));
}

std::unique_ptr<Session> Session::openServer(const QString& connectionString,
                                             const QString& password) {
    return std::unique_ptr<Session>(new Session(
        openServerStore(connectionString, password), ConnectionType::Server, connectionString,
        [connectionString, password] { return openServerStore(connectionString, password); }));
}

bool Session::hasSchema() {
    const QStringList present = m_db->store().tableNames();
    for (const TableDef& table : schemaTables())
        if (!present.contains(table.name.toLower()))
            return false;
    return true;
}

Recordset& Session::reopen(std::unique_ptr<Recordset>& cursor, const QString& jetSql) {
    auto opened = m_db->openRecordset(jetSql);
    cursor = std::move(opened);
    return *cursor;
}

Recordset& Session::working(const std::unique_ptr<Recordset>& cursor) {
    if (!cursor)
        throw EngineError(QStringLiteral("The query has not been opened"));
    return *cursor;
}

void Session::createSchema() {
    buildSchema(m_db->store());
}

void Session::openTableCursors() {
    if (!isReadOnly())
        upgradeSchema(m_db->store(), dialect::UpgradeSteps::Required);
    // Open all nine before keeping any, so a failure leaves none half-open.
    std::vector<std::unique_ptr<Recordset>> opened;
    for (const QString& source : tableCursorSources())
        opened.push_back(m_db->openRecordset(source, Recordset::Load::OnFirstUse));
    const auto places = tableCursorSlots();
    for (size_t i = 0; i < opened.size(); ++i)
        *places[i] = std::move(opened[i]);
}

bool Session::lacksIndexes() {
    return !isReadOnly() &&
           !dialect::upgradeStatements(m_db->store(), dialect::UpgradeSteps::Indexes).isEmpty();
}

void Session::refresh() {
    for (std::unique_ptr<Recordset>* cursor : tableCursorSlots())
        if (*cursor)
            (*cursor)->requery();
}

void Session::releaseRows() {
    for (std::unique_ptr<Recordset>* cursor : tableCursorSlots())
        if (*cursor)
            (*cursor)->releaseRows();
    for (const std::unique_ptr<Recordset>* cursor : {&m_query, &m_assetQuery, &m_shippingQuery})
        if (*cursor)
            (*cursor)->releaseRows();
}

std::array<std::unique_ptr<Recordset>*, 9> Session::tableCursorSlots() {
    // In the order of tableCursorSources().
    return {&m_photo,    &m_category,     &m_equipment, &m_asset,  &m_status,
            &m_shipment, &m_shippingList, &m_address,   &m_contact};
}

} // namespace gearlog
