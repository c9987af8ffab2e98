// Returning ticked lines to stock and preparing their transfer to a new
// shipment.
#include "AppState.h"
#include "CommandRunner.h"
#include "DateField.h"
#include "Frame_shipment.h"
#include "Session.h"
#include "ShippingLines.h"
#include "ShippingList.h"
#include "UiServices.h"
#include "ViewContext.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>

namespace gearlog {

namespace {

enum class Move { Return, Transfer };

// The message for a ticked row whose line is already completed.
void refuse(Move move, const ListedItem& item, const StoredLine& line) {
    QString text = QStringLiteral("Asset  ") + item.model + QLatin1Char(' ') + item.serial;
    if (line.state == LineState::Transferred)
        text += (move == Move::Return
                     ? QStringLiteral(" cannot be returned to stock as it has already been "
                                      "transferred to the shipment ")
                     : QStringLiteral(" cannot be transferred as it has already been transferred "
                                      "to the shipment ")) +
                line.transferName;
    else
        text += move == Move::Return
                    ? QStringLiteral(" cannot be returned to stock as it has already been returned")
                    : QStringLiteral(" cannot be transferred as it has already been returned to "
                                     "stock");
    ui().message(text);
}

bool completed(const StoredLine& line) {
    return line.state == LineState::Returned || line.state == LineState::Transferred;
}

} // namespace

void Frame_shipment::Command_return_item_from_shipping_list_Click() {
    AppState& state = m_context.state();
    if (state.ticked_line_count == 0)
        return;
    if (!pick_date(state, QDate::currentDate(), window()))
        return;
    const QDateTime date =
        state.dialog_date.isValid() ? state.dialog_date.startOfDay() : QDateTime();
    Session& session = m_context.session();
    const int shipment = state.current_shipment_id;
    bool changed = false, failed = false;
    // Each line with its asset, or neither: what was returned before a
    // failure stays returned. The window keeps painting between lines.
    QElapsedTimer sincePaint;
    sincePaint.start();
    for (const ListedItem& item : m_list->tickedItems()) {
        if (sincePaint.elapsed() > 100) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            sincePaint.restart();
        }
        if (item.assetId < 0)
            continue;
        ReturnResult result;
        bool ran = false;
        const bool committed =
            write_and_reload(m_context, QStringLiteral("Return items to Stock"),
                             QStringLiteral("An error occurred while saving the changes: "),
                             [&] {
                                 result = return_line(session, shipment, item.assetId, date);
                                 ran = true;
                                 return result.changed;
                             },
                             {});
        failed = !committed && (!ran || result.changed);
        if (failed)
            break;
        changed = changed || result.changed;
        if (completed(result.line))
            refuse(Move::Return, item, result.line);
    }
    if (changed)
        reselectShipment();
    else if (!failed)
        ui().message(QStringLiteral("There are no valid items to return"));
}

void Frame_shipment::Command_transfer_item_from_shipping_list_Click() {
    AppState& state = m_context.state();
    if (state.ticked_line_count == 0)
        return;
    Session& session = m_context.session();
    std::vector<ListedItem> taken;
    for (const ListedItem& item : m_list->tickedItems()) {
        const StoredLine line = stored_line(session, item.assetId);
        if (line.state == LineState::Open)
            taken.push_back(item);
        else if (completed(line))
            refuse(Move::Transfer, item, line);
    }
    if (taken.empty()) {
        ui().message(QStringLiteral("There are no valid items to transfer"));
        return;
    }
    const QString description = Text_shipment_name->text() + QStringLiteral(" transfer from ") +
                                Combo_shipment_contact[0]->currentText() + QStringLiteral(" on ") +
                                format_date(QDate::currentDate());
    Combo_shipment->setCurrentIndex(-1);
    Combo_shipment_Click();
    m_list->show(taken);
    Text_shipment_name->setText(description);
}

} // namespace gearlog
