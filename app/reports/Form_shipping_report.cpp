#include "Form_shipping_report.h"

#include "ExportFile.h"

#include "AppState.h"
#include "FlexGrid.h"
#include "ReportParts.h"
#include "ShippingListFiller.h"
#include "UiServices.h"
#include "ViewParts.h"

#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextDocument>
#include <QTextEdit>

namespace gearlog {

namespace {

// The document: each row of the shipment grid (headings first) as a line,
// each shipment followed by its shipping list.
QString buildDocument(Session& session, AppState& state, FlexGrid& shipments, FlexGrid& lists) {
    QString text;
    for (int r = 0; r < shipments.rows(); ++r) {
        QString line;
        for (int c = 1; c < shipments.cols(); ++c)
            line += shipments.textMatrix(r, c) + QLatin1Char('\t');
        text += QLatin1Char('\r') + line + QStringLiteral("\r\r");
        const int n = shipments.textMatrix(r, 0).toInt();
        if (r == 0 || n < 1 || n > static_cast<int>(state.report_shipment_ids.size()))
            continue;
        fill_shipping_list_grid(session, state, ShippingListForm::Full,
                                state.report_shipment_ids[static_cast<size_t>(n) - 1], lists);
        const QString list = dataRowsText(lists);
        if (!list.isEmpty())
            text += list + QStringLiteral("\r\r");
    }
    return text;
}

} // namespace

Form_shipping_report::Form_shipping_report(Session& session, AppState& state, FlexGrid& shipments,
                                           FlexGrid& lists, QWidget* parent)
    : QDialog(parent), m_databaseFile(open_database_file(session)) {
    setObjectName(QStringLiteral("Form_shipping_report"));
    setWindowTitle(QStringLiteral("Shipping Report"));
    resize(900, 640);
    rtfShippingReport =
        makeReportText(this, QStringLiteral("rtfShippingReport"), {10, 10, 880, 570});
    rtfShippingReport->setAccessibleName(QStringLiteral("Shipping report"));
    rtfShippingReport->show();
    showReportText(*rtfShippingReport, buildDocument(session, state, shipments, lists));

    QPushButton* print = makeButton(this, QStringLiteral("Command_print"), QStringLiteral("Print…"),
                                    QString(), {520, 595, 120, 30});
    QPushButton* pdf = makeButton(this, QStringLiteral("Command_save_pdf"),
                                  QStringLiteral("Save as PDF"), QString(), {645, 595, 120, 30});
    QPushButton* done = makeButton(this, QStringLiteral("Command_Done"), QStringLiteral("Done"),
                                   QStringLiteral("Cancel this form"), {770, 595, 120, 30});
    connect(print, &QPushButton::clicked, this, &Form_shipping_report::Command_print_Click);
    connect(pdf, &QPushButton::clicked, this, &Form_shipping_report::Command_save_pdf_Click);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);
    done->setDefault(true);
}

QString Form_shipping_report::document() const {
    return rtfShippingReport->toPlainText();
}

void Form_shipping_report::Command_print_Click() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (ui().runModal(dialog) == QDialog::Accepted)
        rtfShippingReport->document()->print(&printer);
}

void Form_shipping_report::Command_save_pdf_Click() {
    save_pdf(QStringLiteral("Save the shipping report as PDF"),
             QStringLiteral("Shipping report.pdf"), m_databaseFile, windowTitle(),
             [this](QPdfWriter& writer) {
                 writer.setPageSize(QPageSize(QPageSize::A4));
                 rtfShippingReport->document()->print(&writer);
             });
}

} // namespace gearlog
