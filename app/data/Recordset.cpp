// A cursor's opening, its moves and the values of its current row.
#include "Recordset.h"

#include "BinaryField.h"
#include "Database.h"
#include "EngineError.h"

namespace gearlog {

namespace {

QString qualified(const ColumnInfo& info) {
    return (info.table + QLatin1Char('.') + info.field).toLower();
}

} // namespace

Recordset::Recordset(std::shared_ptr<Database> db, TranslatedSelect query, Load load)
    : m_db(std::move(db)), m_query(std::move(query)) {
    m_types.reserve(m_query.columns.size());
    // Unqualified names go to the first column of that name, as a join
    // returning two columns of one name does; "Table.Field" reaches either.
    auto index = [this](const ColumnInfo& info, FieldRef ref) {
        if (!info.table.isEmpty())
            m_fieldIndex.insert(qualified(info), ref);
        if (!m_fieldIndex.contains(info.field.toLower()))
            m_fieldIndex.insert(info.field.toLower(), ref);
    };
    for (size_t c = 0; c < m_query.columns.size(); ++c) {
        m_types.push_back(m_query.columns[c].type);
        index(m_query.columns[c], {static_cast<int>(c), -1});
    }
    for (size_t d = 0; d < m_query.deferred.size(); ++d)
        index(m_query.deferred[d], {-1, static_cast<int>(d)});
    m_keyed = m_query.baseKeyColumn >= 0;
    m_keyOrder = m_keyed && !m_query.orderKeys.empty() &&
                 m_query.orderKeys.front().column == m_query.baseKeyColumn &&
                 !m_query.orderKeys.front().descending;
    if (load == Load::Now)
        readAll();
    m_db->attach(this);
}

Recordset::~Recordset() {
    m_db->detach(this);
}

// ---- navigation -------------------------------------------------------------

void Recordset::leaveRow() {
    m_edit.reset();
    m_noMatch = false;
}

void Recordset::moveFirst() {
    sync();
    leaveRow();
    m_currentDeleted = false;
    m_pos = 0;
    arrive();
}

void Recordset::moveLast() {
    sync();
    leaveRow();
    m_currentDeleted = false;
    m_pos = size() == 0 ? 0 : size() - 1;
    arrive(-1);
}

void Recordset::moveNext() {
    sync();
    leaveRow();
    // After a delete the next row already sits at the current position.
    if (m_currentDeleted)
        m_currentDeleted = false;
    else if (m_pos < size())
        ++m_pos;
    arrive();
}

void Recordset::movePrevious() {
    sync();
    leaveRow();
    m_currentDeleted = false;
    if (m_pos >= 0)
        --m_pos;
    arrive(-1);
}

bool Recordset::eof() {
    sync();
    return size() == 0 || m_pos >= size();
}

bool Recordset::bof() {
    sync();
    return size() == 0 || m_pos < 0;
}

int Recordset::recordCount() {
    sync();
    return size();
}

int Recordset::absolutePosition() {
    sync();
    if (m_currentDeleted || m_pos < 0 || m_pos >= size())
        return -1;
    return m_pos;
}

void Recordset::setAbsolutePosition(int position) {
    sync();
    if (position < 0 || position >= size())
        throw EngineError(QStringLiteral("Invalid position: %1").arg(position));
    leaveRow();
    m_currentDeleted = false;
    m_pos = position;
    arrive();
}

// ---- fields ---------------------------------------------------------------

Recordset::FieldRef Recordset::field(const QString& name) const {
    const auto it = m_fieldIndex.constFind(name.toLower());
    if (it == m_fieldIndex.constEnd())
        throw EngineError(
            QStringLiteral("Item cannot be found in the collection corresponding to the requested "
                           "name: %1")
                .arg(name));
    return it.value();
}

void Recordset::requireCurrent() const {
    if (m_currentDeleted)
        throw EngineError(QStringLiteral("The current row has been deleted"));
    if (size() == 0 || m_pos < 0 || m_pos >= size())
        throw EngineError(
            QStringLiteral("Either BOF or EOF is True, or the current record has been deleted"));
}

void Recordset::requireUpdatable() const {
    if (!isUpdatable())
        throw EngineError(QStringLiteral("This recordset is not updatable"));
}

QVariant Recordset::value(const QString& name) {
    return value(field(name));
}

QVariant Recordset::value(FieldRef ref) {
    if (!m_edit) {
        sync();
        requireCurrent();
    }
    if (ref.column >= 0)
        return m_edit ? m_edit->values[static_cast<size_t>(ref.column)]
                      : currentRow()[static_cast<size_t>(ref.column)];
    BinaryField blob(*this, ref.deferred);
    if (blob.isNull())
        return {};
    return QVariant(blob.getChunk(0, blob.actualSize()));
}

void Recordset::setValue(const QString& name, const QVariant& value) {
    const FieldRef ref = field(name);
    if (!m_edit)
        edit();
    if (ref.column >= 0) {
        const auto c = static_cast<size_t>(ref.column);
        const ColumnInfo& info = m_query.columns[c];
        if (info.table != m_query.baseTable->name)
            throw EngineError(
                QStringLiteral("Field '%1.%2' is not updatable").arg(info.table, info.field));
        m_edit->values[c] = coerceValue(value, info.type, info.field);
        m_edit->changed[c] = true;
    } else {
        const QVariant bytes = coerceValue(value, FieldType::LongBinary, name);
        m_edit->blobs[static_cast<size_t>(ref.deferred)] =
            bytes.isValid() ? std::optional<QByteArray>(bytes.toByteArray())
                            : std::optional<QByteArray>(QByteArray());
    }
}

std::unique_ptr<BinaryField> Recordset::binaryField(const QString& name) {
    const FieldRef ref = field(name);
    if (ref.deferred < 0)
        throw EngineError(QStringLiteral("Field '%1' is not a binary field").arg(name));
    if (!m_edit) {
        sync();
        requireCurrent();
    }
    return std::make_unique<BinaryField>(*this, ref.deferred);
}

} // namespace gearlog
