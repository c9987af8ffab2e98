#pragma once

#include "Schema.h"
#include "Store.h"

#include <QStringList>

namespace gearlog {

// How a write holds a row it depends on until its transaction ends: the
// row it deletes, or a row a new reference names, so that a delete and a
// reference to the deleted row never both commit.
enum class RowLock { ForDelete, ForReference };

// Everything that differs between the engines' SQL lives here.
namespace dialect {

// CREATE TABLE and CREATE INDEX statements for one table of the schema.
QStringList createTableStatements(Engine engine, const TableDef& table);
// Statements run once before the tables are created (collations).
QStringList preparationStatements(Engine engine);
// Statements run once after the tables and seed rows (the format version).
QStringList finishingStatements(Engine engine);
// The steps of bringing a database to the current format: what a write
// needs (the history, changed column types and collations) and what only
// speeds the lists and finding up (indexes, the search's tables).
enum class UpgradeSteps { All, Required, Indexes };
// What an existing database needs to reach the current format (those of
// `steps`); empty when it is there already.
QStringList upgradeStatements(Store& store, UpgradeSteps steps = UpgradeSteps::All);
// The statement that makes one desk at a time take the upgrade's steps,
// run first in its transaction; empty where beginning the transaction
// takes the lock (a file's write lock).
QString upgradeLockStatement(Engine engine);
// ORDER BY term for a column; text columns order without regard to case,
// the same way on every engine (case-folded, then by code point),
// with Nulls first when ascending.
QString orderTerm(Engine engine, const QString& column, FieldType type, bool descending);
// Where the text bound to its "?" mark (folded by foldForFind) first
// appears in a text column folded the same way: 1 for a prefix, 0 for none.
QString findPositionTerm(Engine engine, const QString& column);
// A line of the shipping list (aliased `alias`, or none) that is open: not completed,
// a Null counting as open. Written as the open-lines index is, so that the
// engines use that index.
QString openLineTerm(Engine engine, const QString& alias);
// The size in bytes of a binary column's value (Null for none).
QString binaryLengthTerm(Engine engine, const QString& column);
// A column as the select list reads it. Dates come from the server as
// text, so no client time zone can shift a calendar time on its way.
QString selectTerm(Engine engine, const QString& column, FieldType type);

// A statement that claims for the transaction, in ascending order, up to
// "?" (fourth) keys from "?" (first) to "?" (second) of the table named by
// the third "?" that no other transaction holds, and returns them. Empty
// where the write transaction holds the whole database already.
QString keysClaimStatement(Engine engine);
// Of the keys in "?" (an array, "{1,2}"), those no row of the table has,
// read afresh: run after the claim, it sees a row another desk wrote under
// its claim before giving it up.
QString keysFreeStatement(Engine engine, const QString& table);
// Keys are also claimed a block of keysPerBlock at a time, by a transaction
// adding thousands of rows (one claim a key would fill the server's lock
// table). A key's own claim holds its block shared, so the two never meet.
inline constexpr int keysPerBlock = 1024;
// Claims up to "?" (fourth) blocks from "?" (first) to "?" (second) of the
// table named by the third "?" that no other transaction holds a key of,
// and returns them; empty where keys are never claimed.
QString keyBlocksClaimStatement(Engine engine);

// The clause that ends "SELECT ID FROM T WHERE ID = ?" to take the lock;
// empty where the write transaction holds the whole database already.
QString rowLockClause(Engine engine, RowLock lock);

// On a server: statements that create the roles gearlog_reader (may read
// the tables) and gearlog_writer (may read and change them) where they are
// missing, and grant each exactly that on the tables as they resolve.
QStringList roleStatements();

// Statements that make the transaction just begun read one unchanging
// snapshot of the whole database.
QStringList snapshotStatements(Engine engine);

// A server's array of the values, "{"a",NULL,"b \"c\""}", bound as one
// value (see arrayMark): thousands of values cost one parameter, and a
// statement of thousands of rows is parsed as quickly as one of a few.
QString serverArray(const QVariantList& values);
// "CAST(? AS type[])" on a server, for a serverArray of the type's values.
QString arrayMark(FieldType type);

} // namespace dialect
} // namespace gearlog
