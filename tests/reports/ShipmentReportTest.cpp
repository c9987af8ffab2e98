// The shipment report: the date range and arrival state, the lines of the
// shipment clicked, sorting, and the document with its PDF.
#include "ShipmentReport.h"
#include "DatePicking.h"
#include "DocumentReaders.h"
#include "Form_shipping_report.h"
#include "Frame_report_shipment.h"
#include "ReportFixture.h"

#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QPrintDialog>
#include <QTemporaryDir>
#include <QTextEdit>

using namespace gearlog;
using namespace gearlog::test;

namespace {

class ShipmentReportView : public ReportWindow {
protected:
    void SetUp() override {
        ReportWindow::SetUp();
        press(QStringLiteral("Command_report_1"));
    }
    Frame_report_shipment* view() { return window->shipmentReportView(); }
    FlexGrid* grid() { return view()->grid(); }
    FlexGrid* lines() { return child<FlexGrid>(QStringLiteral("Grid_report_shipment_list")); }
    QStringList names() { return columnOf(*grid(), 2); }
    void tickCompleted() {
        window->show();
        auto* box = child<QCheckBox>(QStringLiteral("Check_report_completed"));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }
    // Picks a date for a box in the picker: Done with the date, or Cancel.
    void pick(const char* box, const QDate& date) {
        answerDatePicker(scripted, date);
        window->show();
        QTest::mouseClick(child<QLineEdit>(QString::fromLatin1(box)), Qt::LeftButton);
    }
};

TEST(ShipmentReportSql, DatesAreWrittenInIsoFormAndJoinedAsWritten) {
    EXPECT_EQ(shipment_report_sql({}, QDate(2026, 3, 1), false),
              QStringLiteral("SELECT * FROM Table_shipment  WHERE  ShipmentDate < #2026-03-02# "
                             "AND  ArrivalConfirmed = Yes ORDER BY ShipmentDate DESC"));
    EXPECT_EQ(shipment_report_sql(QDate(2026, 1, 2), QDate(2026, 3, 1), true),
              QStringLiteral("SELECT * FROM Table_shipment  WHERE ShipmentDate >= #2026-01-02# "
                             "AND  ShipmentDate < #2026-03-02# AND  ArrivalConfirmed = No ORDER "
                             "BY ShipmentDate DESC"));
}

TEST_P(ShipmentReportView, ListsByArrivalStateNewestFirstWithinTheDates) {
    EXPECT_EQ(grid()->accessibleName(), QStringLiteral("Shipment report grid"));
    EXPECT_EQ(lines()->accessibleName(), QStringLiteral("Shipment lines grid"));
    tickCompleted(); // arrival not confirmed
    EXPECT_EQ(names(), strings({"Depot run", "Cable return", "Trip north", "Nothing"}));
    EXPECT_EQ(rowsOf(*grid(), 0).first(), QStringLiteral("|Date|Name|Receiver|Shipper|Comments"));
    EXPECT_EQ(rowsOf(*grid()).first(), QStringLiteral("1|01-Feb-2026|Depot run|Bob|Ann|"));
    tickCompleted(); // confirmed
    EXPECT_EQ(names(), strings({"Old trip"}));
    tickCompleted();
    // Cancelling the picker does not refresh; Done does; equal dates pass.
    pick("Text_report_end_date", QDate());
    EXPECT_EQ(names().size(), 4);
    // The last day is whole: a shipment sent that afternoon is listed.
    session().execute(
        QStringLiteral("UPDATE Table_shipment SET ShipmentDate = #2026-01-10 14:00# WHERE ID = 5"));
    pick("Text_report_end_date", QDate(2026, 1, 10));
    EXPECT_EQ(names(), strings({"Trip north", "Nothing"}));
    pick("Text_report_start_date", QDate(2026, 1, 10));
    EXPECT_EQ(names(), strings({"Trip north"}));
    EXPECT_EQ(unexpected(), QString());
}

TEST_P(ShipmentReportView, RefusesDatesThatAreNotARange) {
    const auto refusal = [&](const QString& start, const QString& end) {
        child<QLineEdit>(QStringLiteral("Text_report_start_date"))->setText(start);
        child<QLineEdit>(QStringLiteral("Text_report_end_date"))->setText(end);
        scripted.messages.clear();
        view()->display_shipping_report();
        return scripted.messages.join(QLatin1Char('|'));
    };
    EXPECT_EQ(refusal(QStringLiteral("soon"), QString()),
              QStringLiteral("The start date is not valid"));
    EXPECT_EQ(refusal(QString(), QStringLiteral("31-Feb-2026")),
              QStringLiteral("The end date is not valid"));
    EXPECT_EQ(refusal(QStringLiteral("02-Feb-2026"), QStringLiteral("01-Feb-2026")),
              QStringLiteral("The start date must be less than the end date"));
    EXPECT_EQ(grid()->rows(), 1);
    EXPECT_EQ(refusal(QStringLiteral("01-Jun-2025"), QStringLiteral("01-Jun-2025")), QString());
    EXPECT_EQ(names(), strings({"Old trip"}));
}

TEST_P(ShipmentReportView, AClickedShipmentShowsItsLinesAndHeadingsSort) {
    tickCompleted();
    clickCell(grid(), 3, 2); // Trip north
    EXPECT_EQ(rowsOf(*lines(), 0),
              strings({"Category|Equipment|Model Number|Serial Number|Returned",
                       "Radio|Radio set|M-11|S11|"}));
    clickCell(grid(), 4, 2); // Nothing: headings only
    EXPECT_EQ(lines()->rows(), 1);
    clickHeading(grid(), 2);
    EXPECT_EQ(names(), strings({"Cable return", "Depot run", "Nothing", "Trip north"}));
    clickHeading(grid(), 2);
    EXPECT_EQ(names(), strings({"Trip north", "Nothing", "Depot run", "Cable return"}));
    // A click on a row still shows the right shipment after the sort.
    clickCell(grid(), 4, 2);
    EXPECT_EQ(rowsOf(*lines()), strings({"Cables|Cable kit|C-12|S12|25-Jan-2026"}));
}

// The document follows the grid's order, each shipment with its list; it
// is saved as a PDF that another reader can read.
TEST_P(ShipmentReportView, TheDocumentFollowsTheGridAndSavesAsPdf) {
    tickCompleted();
    clickHeading(grid(), 2);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    QString document;
    scripted.files.push_back(pdf);
    scripted.dialogs.push_back([&](QDialog& d) {
        auto& report = static_cast<Form_shipping_report&>(d);
        EXPECT_EQ(report.windowTitle(), QStringLiteral("Shipping Report"));
        document = report.document();
        // Printing asks the platform's print dialog; cancelled, nothing prints.
        scripted.dialogs.push_back([](QDialog& print) {
            EXPECT_NE(qobject_cast<QPrintDialog*>(&print), nullptr);
            return QDialog::Rejected;
        });
        report.Command_print_Click();
        report.Command_save_pdf_Click();
        return QDialog::Accepted;
    });
    press(QStringLiteral("Command_show_shipping_report"));
    EXPECT_TRUE(
        document.startsWith(QStringLiteral("\nDate\tName\tReceiver\tShipper\tComments\t\n\n"
                                           "\n20-Jan-2026\tCable return\tBob\tAnn\t\t\n\n"
                                           "Cables\tCable kit\tC-12\tS12\t25-Jan-2026\n\n")))
        << document.toStdString();
    EXPECT_LT(document.indexOf(QStringLiteral("Depot run")),
              document.indexOf(QStringLiteral("Trip north")));
    // "Nothing" has no lines: its line is followed by the next shipment.
    EXPECT_TRUE(document.contains(QStringLiteral("Nothing\tAnn\tBob\t\t\n\n\n10-Jan")));
    const QString text = readPdfText(pdf);
    for (const char* expected : {"Cable return", "Depot run", "C-12", "S11", "25-Jan-2026"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(expected))) << expected;
}

// A PDF replaces a file only after Yes, through a file beside it, and
// never the database that is open.
TEST_P(ShipmentReportView, SavingAPdfAsksBeforeReplacingAndSparesTheDatabase) {
    tickCompleted();
    QTemporaryDir dir;
    const QString kept = writeFile(dir.filePath(QStringLiteral("kept.pdf")), "keep me");
    const auto contents = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray database = GetParam() == Engine::Sqlite ? contents(db->location()) : "";
    scripted.files = {kept, kept};
    scripted.yesNo = {false, true};
    if (GetParam() == Engine::Sqlite)
        scripted.files.push_back(db->location());
    scripted.dialogs.push_back([&](QDialog& d) {
        auto& report = static_cast<Form_shipping_report&>(d);
        report.Command_save_pdf_Click();
        EXPECT_EQ(contents(kept), QByteArray("keep me"));
        report.Command_save_pdf_Click();
        EXPECT_TRUE(contents(kept).startsWith("%PDF"));
        if (GetParam() == Engine::Sqlite)
            report.Command_save_pdf_Click();
        return QDialog::Accepted;
    });
    press(QStringLiteral("Command_show_shipping_report"));
    EXPECT_EQ(scripted.questions.size(), 2);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), strings({"kept.pdf"}));
    if (GetParam() == Engine::Sqlite) {
        EXPECT_EQ(scripted.messages,
                  QStringList{QStringLiteral("An error occurred while saving the PDF file: ") +
                              db->location() + QStringLiteral(" is the database now open")});
        EXPECT_EQ(contents(db->location()), database);
    }
    EXPECT_EQ(unexpected(), QString());
}

// "Save as Excel" on the shipment report writes its grid.
TEST_P(ShipmentReportView, ExportsTheShipmentGrid) {
    tickCompleted();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("shipments.xlsx"));
    scripted.files.push_back(file);
    window->mnuExcel_Click();
    const QJsonArray sheet = readWorkbook(file);
    ASSERT_EQ(sheet.size(), 5);
    EXPECT_EQ(sheet[1].toArray()[2].toString(), QStringLiteral("Depot run"));
}

GEARLOG_BOTH_STORES(ShipmentReportView);

} // namespace
