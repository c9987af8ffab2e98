#pragma once

#include <QDialog>

class QTextEdit;

namespace gearlog {

class FlexGrid;
class Session;
struct AppState;

// "Shipping Report": every shipment of the report grid in its present
// order, each followed by its shipping list, as text to read, print or
// save as PDF.
class Form_shipping_report : public QDialog {
    Q_OBJECT
public:
    // Builds the document; `lists` is left showing the last shipment's list.
    Form_shipping_report(Session& session, AppState& state, FlexGrid& shipments, FlexGrid& lists,
                         QWidget* parent = nullptr);

    QString document() const;
    void Command_print_Click();
    void Command_save_pdf_Click();

private:
    QTextEdit* rtfShippingReport;
    // The open database file, which a PDF never replaces.
    QString m_databaseFile;
};

} // namespace gearlog
