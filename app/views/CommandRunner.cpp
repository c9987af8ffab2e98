#include "CommandRunner.h"

#include "EngineError.h"
#include "RecordHelpers.h"
#include "Session.h"
#include "UiServices.h"
#include "ViewContext.h"

#include <QApplication>

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

bool write_and_reload(ViewContext& context, const QString& failurePrefix,
                      const std::function<bool()>& write, const std::function<void()>& reload) {
    if (context.session().isReadOnly()) {
        ui().message(QStringLiteral("This database is open read only: nothing can be saved in it"));
        return false;
    }
    try {
        const BusyCursor busy;
        Transaction transaction(context.session().database());
        if (!write())
            return false;
        transaction.commit();
    } catch (const ConflictError& e) {
        // Show the other desk's values the save was refused over.
        report(failurePrefix, e);
        reloadReporting(failurePrefix, reload);
        return false;
    } catch (const EngineError& e) {
        report(failurePrefix, e);
        return false;
    }
    reloadReporting(failurePrefix, reload);
    return true;
}

bool delete_unless_referenced(ViewContext& context, const QString& failurePrefix, Recordset& items,
                              int key, const std::vector<Reference>& references,
                              const std::function<void()>& reload) {
    Database& db = context.session().database();
    return write_and_reload(
        context, failurePrefix,
        [&] {
            if (!find_record_by_number(items, QStringLiteral("ID"), key))
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
