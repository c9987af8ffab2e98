#pragma once

#include <QString>
#include <stdexcept>

namespace gearlog {

// A failure reported by the store (or by the data layer standing in for it).
// description() is the text a command shows after its own prefix; the
// operation and the statement are kept for diagnostics, never for the
// main text of a message.
class EngineError : public std::runtime_error {
public:
    explicit EngineError(const QString& description, QString operation = {}, QString sql = {})
        : std::runtime_error(description.toStdString()), m_description(description),
          m_operation(std::move(operation)), m_sql(std::move(sql)) {}
    const QString& description() const { return m_description; }
    const QString& operation() const { return m_operation; }
    const QString& sql() const { return m_sql; }
    // "Operation: ...\nStatement: ..." for a message's details; empty when
    // nothing is known beyond the description.
    QString details() const {
        QString text;
        if (!m_operation.isEmpty())
            text += QStringLiteral("Operation: ") + m_operation;
        if (!m_sql.isEmpty())
            text += (text.isEmpty() ? QString() : QStringLiteral("\n")) +
                    QStringLiteral("Statement: ") + m_sql;
        return text;
    }

private:
    QString m_description;
    QString m_operation;
    QString m_sql;
};

// A find criterion that cannot be read (bad syntax, an unknown field).
// It is the one failure a look-up may take to mean "no such row"; every
// other EngineError is the engine's and reaches the command.
class CriteriaError : public EngineError {
public:
    using EngineError::EngineError;
};

// A save refused because another desk changed the row since this one read
// it; the cursor then shows the row as that desk left it.
class ConflictError : public EngineError {
public:
    using EngineError::EngineError;
};

// A database file whose pages the engine finds damaged.
class DamageError : public EngineError {
public:
    using EngineError::EngineError;
};

} // namespace gearlog
