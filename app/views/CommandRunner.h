#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace gearlog {

class Recordset;
class ViewContext;

// Every command that writes has one shape: a transaction opens, the command
// runs, the transaction commits; on an engine error the transaction rolls
// back (which drops every edit in progress) and the command's own prefix is
// shown followed by the engine's text, with the operation and the statement
// behind "Details". Nothing escapes to the event loop.
//
// `command` is the caption of the button or menu entry (such as "Save
// New"), which the history of changes records with what the command wrote.
// `write` returns false when it refused (a check failed and said so); what
// it did is then undone and nothing is reloaded. After a commit `reload`
// (when given) shows the result. Returns true when the command committed.
// A message the command shows waits until its transaction has ended.
bool write_and_reload(ViewContext& context, const QString& command, const QString& failurePrefix,
                      const std::function<bool()>& write, const std::function<void()>& reload);

// Wraps a handler that only reads, for connecting to a signal: an engine
// error is shown with the engine's text instead of reaching the event loop.
std::function<void()> guarded(std::function<void()> handler);

// A table whose rows may refer to the row being deleted, and the message
// that names the first of them ("... in use by the equipment " + its name).
struct Reference {
    QString table;
    QStringList fields; // any of them holding the key refers to it
    QString nameField;  // what names the referring row in the message
    QString orderField; // which referring row is "first"
    QString refusal;
};

// The other shape: refuse with the first reference's message if any row
// still refers to `key` (read from the database inside the transaction, so
// another desk's new reference is seen), else delete the row of `items`
// with that key and reload. A row that is already gone is left alone.
bool delete_unless_referenced(ViewContext& context, const QString& command,
                              const QString& failurePrefix, Recordset& items, int key,
                              const std::vector<Reference>& references,
                              const std::function<void()>& reload);

} // namespace gearlog
