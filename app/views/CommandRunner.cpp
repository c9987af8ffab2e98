#include "CommandRunner.h"

#include "EngineError.h"
#include "RecordHelpers.h"
#include "Session.h"
#include "UiServices.h"
#include "ViewContext.h"

#include <QApplication>
#include <optional>
#include <utility>
#include <vector>

namespace gearlog {

namespace {
void report(const QString& failurePrefix, const EngineError& e) {
    ui().showError(failurePrefix + e.description(), e.details());
}

void reloadReporting(const QString& failurePrefix, const std::function<void()>& reload) {
    if (!reload)
        return;
    try {
        reload();
    } catch (const EngineError& e) {
        report(failurePrefix, e);
    }
}

// Messages shown while a command's transaction is open wait until it has
// ended: a desk reading a refusal must not hold the database from the
// others. Everything else passes straight through.
class MessagesAfterTransaction : public UiServices {
public:
    MessagesAfterTransaction() : m_shown(ui()) { setUiServices(this); }
    ~MessagesAfterTransaction() override { show(); }
    MessagesAfterTransaction(const MessagesAfterTransaction&) = delete;
    MessagesAfterTransaction& operator=(const MessagesAfterTransaction&) = delete;

    // Shows what waited, in order, and stops holding messages back.
    void show() {
        if (!m_holding)
            return;
        m_holding = false;
        setUiServices(&m_shown);
        for (const auto& [text, icon] : m_waiting)
            m_shown.message(text, icon);
        m_waiting.clear();
    }

    void message(const QString& text, MessageIcon icon) override {
        m_waiting.emplace_back(text, icon);
    }
    void showError(const QString& text, const QString& details) override {
        m_shown.showError(text, details);
    }
    bool askYesNo(const QString& text) override { return m_shown.askYesNo(text); }
    QString openFile(const QString& title, const QString& filter, const QString& folder) override {
        return m_shown.openFile(title, filter, folder);
    }
    std::optional<QString> saveFile(const QString& title, const QString& filter,
                                    const QString& defaultExtension, const QString& folder,
                                    const QString& fileName) override {
        return m_shown.saveFile(title, filter, defaultExtension, folder, fileName);
    }
    std::optional<QColor> chooseColour(const QColor& initial) override {
        return m_shown.chooseColour(initial);
    }
    std::optional<QString> askPassword(const QString& prompt) override {
        return m_shown.askPassword(prompt);
    }
    void beep() override { m_shown.beep(); }
    int runModal(QDialog& dialog) override { return m_shown.runModal(dialog); }
    bool openDocument(const QString& path) override { return m_shown.openDocument(path); }

private:
    UiServices& m_shown;
    bool m_holding = true;
    std::vector<std::pair<QString, MessageIcon>> m_waiting;
};

// A write may wait a few seconds on another desk: say so with the cursor.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
} // namespace

std::function<void()> guarded(std::function<void()> handler) {
    return [handler = std::move(handler)] {
        try {
            handler();
        } catch (const EngineError& e) {
            report(QString(), e);
        }
    };
}

bool write_and_reload(ViewContext& context, const QString& command, const QString& failurePrefix,
                      const std::function<bool()>& write, const std::function<void()>& reload) {
    if (context.session().isReadOnly()) {
        ui().message(QStringLiteral("This database is open read only: nothing can be saved in it"));
        return false;
    }
    MessagesAfterTransaction messages;
    std::optional<EngineError> failure;
    bool conflict = false, committed = false;
    try {
        const BusyCursor busy;
        context.session().database().setCommand(command);
        Transaction transaction(context.session().database());
        if (write()) {
            transaction.commit();
            committed = true;
        }
    } catch (const ConflictError& e) {
        failure = e;
        conflict = true;
    } catch (const EngineError& e) {
        failure = e;
    }
    messages.show();
    if (failure) {
        report(failurePrefix, *failure);
        // Show the other desk's values the save was refused over.
        if (conflict)
            reloadReporting(failurePrefix, reload);
        return false;
    }
    if (committed)
        reloadReporting(failurePrefix, reload);
    return committed;
}

bool delete_unless_referenced(ViewContext& context, const QString& command,
                              const QString& failurePrefix, Recordset& items, int key,
                              const std::vector<Reference>& references,
                              const std::function<void()>& reload) {
    Database& db = context.session().database();
    return write_and_reload(
        context, command, failurePrefix,
        [&] {
            // Held first, so a reference another desk is writing is either
            // committed before the guards read or refused after the delete.
            if (!lock_row(db, items.query().baseTable->name, key, RowLock::ForDelete) ||
                !find_record_by_number(items, QStringLiteral("ID"), key))
                return false;
            for (const Reference& r : references)
                if (const auto name =
                        first_referrer(db, r.table, r.fields, key, r.nameField, r.orderField)) {
                    ui().message(r.refusal + name->trimmed());
                    return false;
                }
            items.deleteRecord();
            return true;
        },
        reload);
}

} // namespace gearlog
