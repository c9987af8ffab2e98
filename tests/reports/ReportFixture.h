#pragma once

#include "DatabaseCheck.h"
#include "FlexGrid.h"
#include "OpenWindow.h"

#include <QComboBox>
#include <QHeaderView>

namespace gearlog::test {

// The main window on both stores with a small fixed inventory:
//   assets 10 "M-10" and 11 "M-11" (Radio set, category Radio), 12 "C-12"
//   and 13 "C-13" (Cable kit, category Cables); 11 is out on shipment 5 to
//   Ann at the field camp, 13 on shipment 6 to Bob at the depot, 10 and 12
//   are in stock (10 returned from shipment 7, 12 from shipment 8);
//   shipment 9 carried nothing. Only shipment 7's arrival is confirmed.
class ReportWindow : public WindowDriver<::testing::TestWithParam<Engine>> {
protected:
    std::unique_ptr<FreshDatabase> db;

    void SetUp() override {
        db = std::make_unique<FreshDatabase>(GetParam());
        openWindow(*db);
        const auto row = [this](Recordset& table, const QVariantMap& values) {
            add(table, values);
        };
        Session& s = session();
        const auto named = [](int id, const char* name) {
            return QVariantMap{{QStringLiteral("ID"), id},
                               {QStringLiteral("Name"), QString::fromUtf8(name)}};
        };
        row(s.rs_address(), named(1, "Head office"));
        row(s.rs_address(), named(2, "Field camp"));
        row(s.rs_address(), named(3, "Depot"));
        QVariantMap ann = named(1, "Ann"), bob = named(2, "Bob");
        ann[QStringLiteral("AddressID")] = 2;
        bob[QStringLiteral("AddressID")] = 3;
        row(s.rs_contact(), ann);
        row(s.rs_contact(), bob);
        QVariantMap radio = named(1, "Radio set"), cable = named(2, "Cable kit");
        radio[QStringLiteral("CategoryID")] = 4;
        cable[QStringLiteral("CategoryID")] = 3;
        row(s.rs_equipment(), radio);
        row(s.rs_equipment(), cable);
        shipment(5, "Trip north", QDate(2026, 1, 10), 1, 2, 2, false, 0);
        shipment(6, "Depot run", QDate(2026, 2, 1), 2, 3, 1, false, 1);
        shipment(7, "Old trip", QDate(2025, 6, 1), 1, 2, 2, true, 2);
        shipment(8, "Cable return", QDate(2026, 1, 20), 2, 3, 1, false, {});
        shipment(9, "Nothing", QDate(2026, 1, 5), 1, 2, 2, false, 0);
        asset(10, 1, "M-10", 1, 0, 12.5);
        asset(11, 1, "M-11", 1, 5, {});
        asset(12, 2, "C-12", 3, 0, 100.0);
        asset(13, 2, "C-13", 1, 6, 3.0);
        Recordset& a = s.rs_asset();
        ASSERT_TRUE(find_record_by_number(a, QStringLiteral("ID"), 10));
        a.setValue(QStringLiteral("DateAcquired"), QDate(2024, 3, 5));
        a.setValue(QStringLiteral("ReplacementCost"), 20.0);
        a.setValue(QStringLiteral("Valuation"), 10.0);
        a.setValue(QStringLiteral("Comments"),
                   QStringLiteral("{\\rtf1\\ansi {\\b Checked}\\par twice}"));
        a.update();
        line(1, 7, 10, QDate(2025, 7, 1), true);
        line(2, 5, 11, QDate(2026, 5, 5), false); // not returned, a date stored all the same
        line(3, 6, 13, {}, false);
        line(4, 7, 11, QDate(2025, 12, 1), true);
        line(5, 8, 12, QDate(2026, 1, 25), true);
    }
    void TearDown() override {
        WindowDriver::TearDown();
        EXPECT_EQ(checkDatabase(*db->openStore()), QStringList());
    }
    void shipment(int id, const char* name, const QDate& sent, int receiver, int address,
                  int shipper, bool arrived, const QVariant& purpose) {
        add(session().rs_shipment(), {{QStringLiteral("ID"), id},
                                      {QStringLiteral("Name"), QString::fromLatin1(name)},
                                      {QStringLiteral("ShipmentDate"), sent},
                                      {QStringLiteral("ReceiverContactID"), receiver},
                                      {QStringLiteral("ReceiverAddressID"), address},
                                      {QStringLiteral("ShipperContactID"), shipper},
                                      {QStringLiteral("ShipperAddressID"), 1},
                                      {QStringLiteral("ShippingMethod"), id % 5},
                                      {QStringLiteral("Cost"), id * 10.0},
                                      {QStringLiteral("ArrivalConfirmed"), arrived},
                                      {QStringLiteral("Purpose"), purpose}});
    }
    void asset(int id, int type, const char* model, int office, int shipment,
               const QVariant& price) {
        add(session().rs_asset(), {{QStringLiteral("ID"), id},
                                   {QStringLiteral("EquipmentID"), type},
                                   {QStringLiteral("StatusID"), 1},
                                   {QStringLiteral("AccountID"), office},
                                   {QStringLiteral("ShipmentID"), shipment},
                                   {QStringLiteral("ModelNumber"), QString::fromLatin1(model)},
                                   {QStringLiteral("SerialNumber"), QStringLiteral("S%1").arg(id)},
                                   {QStringLiteral("PurchasePrice"), price}});
    }
    void line(int id, int shipment, int asset, const QVariant& completion, bool completed) {
        add(session().rs_shipping_list(), {{QStringLiteral("ID"), id},
                                           {QStringLiteral("ShipmentID"), shipment},
                                           {QStringLiteral("AssetID"), asset},
                                           {QStringLiteral("IsCompleted"), completed},
                                           {QStringLiteral("CompletionDate"), completion},
                                           {QStringLiteral("TransferID"), -1}});
    }
    // The name of status 1, which every asset here has.
    QString status() {
        Recordset& statuses = session().rs_status();
        EXPECT_TRUE(find_record_by_number(statuses, QStringLiteral("ID"), 1));
        return statuses.value(QStringLiteral("Name")).toString();
    }
    // The grid's rows, cells joined by "|", from row `from`.
    static QStringList rowsOf(const FlexGrid& grid, int from = 1) {
        QStringList rows;
        for (int r = from; r < grid.rows(); ++r) {
            QStringList cells;
            for (int c = 0; c < grid.cols(); ++c)
                cells << grid.textMatrix(r, c);
            rows << cells.join(QLatin1Char('|'));
        }
        return rows;
    }
    // A column of the grid's data rows.
    static QStringList columnOf(const FlexGrid& grid, int column) {
        QStringList cells;
        for (int r = 1; r < grid.rows(); ++r)
            cells << grid.textMatrix(r, column);
        return cells;
    }
    void choose(QComboBox* c, const QString& text) {
        c->setCurrentIndex(c->findText(text));
        ASSERT_GE(c->currentIndex(), 0) << text.toStdString();
        emit c->activated(c->currentIndex());
    }
    // Clicks a heading as a person does.
    void clickHeading(FlexGrid* grid, int column) {
        window->show();
        grid->scrollTo(grid->model()->index(0, column));
        QHeaderView* header = grid->horizontalHeader();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }
};

} // namespace gearlog::test
