#pragma once

#include "Store.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace gearlog {

// The history of every change the program's commands make: who changed
// which field of which record, from what to what, when and with which
// command. Kept in Table_history (made at a writable opening; older
// programs leave it alone and their changes are not in it), written in the
// command's own transaction, so a command that fails leaves none.

enum class ChangeAction { Added, Changed, Deleted };

struct FieldChange {
    QString field;
    QString before, after; // as recorded (see history_text)
};

struct RowChange {
    QString table;
    int key = 0;
    ChangeAction action = ChangeAction::Changed;
    std::vector<FieldChange> fields;
};

// A value as the history keeps it: rich text as its plain text, a picture
// as its size and a hash (never the picture), a date as ISO text, Null as
// an empty text.
QString history_text(const QVariant& value, FieldType type);
// The plain text of rich text, for history_text: the program that shows
// rich text tells it how (without it rich text is kept as it is stored).
void set_rich_text_reader(std::function<QString(const QString&)> reader);

// The history table's fields, its key first, for what moves it whole.
const TableDef& historyTable();
// The statements that make the table where it is missing.
QStringList historyTableStatements(Store& store);
// On a server, the rights of create-schema's roles on the history, where
// both are there: the reader reads it, the writer adds to it.
QString historyGrantStatement();

// Who writes: the server role, or the operating-system user on a file;
// and this machine's name.
struct HistoryAuthor {
    QString who, machine;
};
HistoryAuthor history_author(Store& store);

// Whether the store has the history table.
bool history_table_exists(Store& store);
// Whether the store has the history table and this desk may add to it.
bool has_history_table(Store& store);
// Writes the changes as one command's, made at `when`, in the store's open
// transaction.
void write_history(Store& store, const HistoryAuthor& author, const QString& command,
                   const QDateTime& when, const std::vector<RowChange>& changes);

// The start of a day in local time, as the history keeps time (UTC), for
// the filters' days.
QDateTime history_day_start(const QDate& day);

// One recorded field change, as read back.
struct HistoryEntry {
    qint64 id = 0;
    QDateTime when; // UTC
    QString who, machine, command, table;
    int key = 0;
    QString action, field, before, after;
};

// What to read: all of it, or one table's, one record's, since a time.
struct HistoryFilter {
    QString table;          // empty: every table
    int key = -1;           // -1: every record
    QDateTime since, until; // UTC; invalid: no bound
    QString who;            // empty: everyone
    qint64 before = 0;      // page on: entries older than this ID (0: from the newest)
    int limit = 0;          // 0: all
};
// Newest first. Engine failures throw.
std::vector<HistoryEntry> read_history(Store& store, const HistoryFilter& filter);
// Deletes entries older than the time, in one transaction; the number deleted.
int trim_history(Store& store, const QDateTime& before);

} // namespace gearlog
