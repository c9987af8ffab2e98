#pragma once

#include <QList>
#include <QObject>

namespace gearlog {

// Requests one view makes of another. The asking view emits; the main
// window connects each to the view that answers, so the views' libraries
// never depend on each other (the asset list asks for the equipment report,
// the asset form for an asset's shipping history).
class ViewRequests : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void equipmentReportRequested(int equipmentId);
    void shippingHistoryRequested(int assetId);
    // Open the record in its own view, as if the user had found it there.
    void shipmentRequested(int shipmentId);
    void assetRequested(int assetId);
    void bookingRequested(int bookingId);
    // The dialog that records maintenance done to the asset.
    void maintenanceRequested(int assetId);
    void equipmentRequested(int equipmentId);
    void contactRequested(int contactId);
    void addressRequested(int addressId);
    // Labels for the assets, or (with an equipment type, not -1) a choice
    // of them and every asset of that type.
    void labelsRequested(const QList<int>& assetIds, int equipmentId);
    // The recorded changes of a record (Table_asset and its key, say).
    void changesRequested(const QString& table, int key);
};

} // namespace gearlog
