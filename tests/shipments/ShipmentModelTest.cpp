// Random runs of the shipment commands (Save New, Save, Delete item,
// return, delete shipment, asset delete and add), on one desk and on two
// interleaved desks, compared after every step with a small model of where
// each asset is and which lines exist, and checked by the database check.
// GEARLOG_MODEL_STEPS and GEARLOG_MODEL_SEED set a longer or other run.
#include "DatabaseCheck.h"
#include "EngineError.h"
#include "RecordHelpers.h"
#include "ShippingLines.h"
#include "TestStores.h"

#include <QRandomGenerator>
#include <map>
#include <ranges>
#include <set>

using namespace gearlog;
using namespace gearlog::test;

namespace {

struct Line {
    int id, shipment, asset;
    bool completed;
    int transfer;
    bool operator==(const Line&) const = default;
};

// Where each asset is (0 in stock), which shipments and lines exist: what
// the commands promise, written as plainly as it can be.
struct Model {
    std::map<int, int> assets;
    std::set<int> shipments;
    std::vector<Line> lines; // in key order

    template <typename Keys> static int nextKey(const Keys& keys) {
        int most = 0;
        for (const auto& k : keys)
            most = std::max(most, k);
        return most + 1;
    }
    int nextLine() const {
        int most = 0;
        for (const Line& l : lines)
            most = std::max(most, l.id);
        return most + 1;
    }
    Line* firstLine(int shipment, int asset) {
        for (Line& l : lines)
            if (l.shipment == shipment && l.asset == asset)
                return &l;
        return nullptr;
    }
    std::vector<int> listed(int shipment) const {
        std::vector<int> out;
        for (const Line& l : lines)
            if (l.shipment == shipment)
                out.push_back(l.asset);
        std::sort(out.begin(), out.end());
        return out;
    }
    void store(int shipment, int shown, const std::vector<int>& listedAssets) {
        for (int a : listedAssets) {
            Line* line = shown >= 0 ? firstLine(shown, a) : nullptr;
            if (line && line->completed)
                continue;
            if (shown != shipment || !line)
                lines.push_back({nextLine(), shipment, a, false, -1});
            const int from = assets[a];
            if (from == shipment)
                continue;
            if (from > 0)
                for (Line& l : lines)
                    if (l.asset == a && l.shipment == from && !l.completed) {
                        l.completed = true;
                        l.transfer = shipment;
                        break;
                    }
            assets[a] = shipment;
        }
    }
    void removeLine(int shipment, int asset) {
        Line* line = firstLine(shipment, asset);
        if (!line || line->completed)
            return;
        const int id = line->id;
        std::erase_if(lines, [id](const Line& l) { return l.id == id; });
        Line* from = nullptr;
        for (Line& l : lines)
            if (l.asset == asset && l.transfer == shipment && l.completed)
                from = &l; // the latest
        if (from) {
            from->completed = false;
            from->transfer = -1;
            if (assets[asset] == shipment)
                assets[asset] = from->shipment;
        } else if (assets[asset] == shipment) {
            assets[asset] = 0;
        }
    }
    void returnLine(int shipment, int asset) {
        Line* line = firstLine(shipment, asset);
        if (!line)
            return;
        if (line->completed && line->transfer >= 0 && shipments.count(line->transfer))
            return; // transferred: refused
        line->completed = true;
        if (assets[asset] == shipment)
            assets[asset] = 0;
    }
    bool deleteShipment(int shipment) {
        for (const Line& l : lines)
            if (l.shipment == shipment || l.transfer == shipment)
                return false;
        shipments.erase(shipment);
        for (auto& [asset, at] : assets)
            if (at == shipment)
                at = 0;
        return true;
    }
    bool deleteAsset(int asset) {
        for (const Line& l : lines)
            if (l.asset == asset)
                return false;
        assets.erase(asset);
        return true;
    }
};

class ShipmentModel : public BothStores {
protected:
    void SetUp() override {
        BothStores::SetUp();
        session->openTableCursors();
        observer = fresh->openStore();
        const QByteArray stepsAsked = qgetenv("GEARLOG_MODEL_STEPS");
        const QByteArray seed = qgetenv("GEARLOG_MODEL_SEED");
        stepCount = stepsAsked.isEmpty() ? 300 : stepsAsked.toInt();
        seedValue = seed.isEmpty() ? 20261208U : seed.toUInt();
        random.seed(seedValue);
    }

    void run(int deskCount) {
        desks.push_back(session.get());
        if (deskCount > 1) {
            other = fresh->openSession();
            other->openTableCursors();
            desks.push_back(other.get());
        }
        for (int i = 0; i < 6; ++i)
            addAsset(*desks[0]);
        for (int step = 0; step < stepCount && !HasFailure(); ++step) {
            Session& desk = *desks[pick(static_cast<int>(desks.size()))];
            act(desk);
            compare();
        }
    }

    int pick(int n) { return static_cast<int>(random.bounded(n)); }
    template <typename Set> int pickFrom(const Set& keys) {
        auto it = keys.begin();
        std::advance(it, pick(static_cast<int>(keys.size())));
        if constexpr (requires { it->first; })
            return it->first;
        else
            return *it;
    }
    // Up to two assets not among `exclude`.
    std::vector<int> extra(const std::vector<int>& exclude) {
        std::vector<int> out;
        for (int n = pick(3); n > 0 && !model.assets.empty(); --n) {
            const int a = pickFrom(model.assets);
            if (std::find(exclude.begin(), exclude.end(), a) == exclude.end() &&
                std::find(out.begin(), out.end(), a) == out.end())
                out.push_back(a);
        }
        return out;
    }
    void log(const QString& step) { steps << step; }

    void act(Session& desk) {
        const int deskNo = &desk == desks[0] ? 1 : 2;
        const int choice = pick(10);
        const bool anyShipment = !model.shipments.empty();
        if (choice < 3 || !anyShipment) {
            // Save New: of a loaded shipment, or of an empty form.
            const int shown = anyShipment && pick(2) ? pickFrom(model.shipments) : -1;
            std::vector<int> listed = shown >= 0 ? model.listed(shown) : std::vector<int>{};
            const std::vector<int> more = extra(listed);
            listed.insert(listed.end(), more.begin(), more.end());
            const int id = Model::nextKey(model.shipments);
            log(QStringLiteral("desk %1: Save New from %2 with %3 as %4")
                    .arg(deskNo)
                    .arg(shown)
                    .arg(join(listed))
                    .arg(id));
            inTransaction(desk, [&] {
                Recordset& shipments = desk.rs_shipment();
                add_new_record(shipments, desk.database(), QStringLiteral("Table_Shipment"));
                shipments.setValue(QStringLiteral("Name"), QStringLiteral("S%1").arg(id));
                shipments.update();
                store_shipping_list(desk, id, shown, listed, QDateTime::currentDateTime());
            });
            model.shipments.insert(id);
            model.store(id, shown, listed);
            return;
        }
        const int shipment = pickFrom(model.shipments);
        const std::vector<int> listed = model.listed(shipment);
        if (choice < 5) {
            std::vector<int> all = listed;
            const std::vector<int> more = extra(listed);
            all.insert(all.end(), more.begin(), more.end());
            log(QStringLiteral("desk %1: Save %2 with %3")
                    .arg(deskNo)
                    .arg(shipment)
                    .arg(join(all)));
            // A save over the other desk's change of the shipment is refused
            // and changes nothing, as it should.
            const QString failure = attempt(desk, [&] {
                Recordset& shipments = desk.rs_shipment();
                ASSERT_TRUE(find_record_by_number(shipments, QStringLiteral("ID"), shipment));
                shipments.setValue(QStringLiteral("Name"),
                                   QStringLiteral("S%1 saved").arg(shipment));
                shipments.update();
                store_shipping_list(desk, shipment, shipment, all, QDateTime::currentDateTime());
            });
            if (failure.isEmpty())
                model.store(shipment, shipment, all);
            else
                EXPECT_EQ(failure, QStringLiteral("The record was changed by another user"))
                    << trail();
        } else if (choice < 8 && !listed.empty()) {
            const int asset = listed[static_cast<size_t>(pick(static_cast<int>(listed.size())))];
            const bool giveBack = choice == 7;
            log(QStringLiteral("desk %1: %2 asset %3 of %4")
                    .arg(deskNo)
                    .arg(giveBack ? QStringLiteral("return") : QStringLiteral("delete item"))
                    .arg(asset)
                    .arg(shipment));
            desk.open_shipping_query(
                QStringLiteral(
                    "SELECT * FROM [Table_ShippingList] WHERE ShipmentID = %1 ORDER BY AssetID;")
                    .arg(shipment));
            inTransaction(desk, [&] {
                if (giveBack)
                    return_line(desk, shipment, asset, QDateTime::currentDateTime());
                else
                    remove_open_line(desk, shipment, asset);
            });
            if (giveBack)
                model.returnLine(shipment, asset);
            else
                model.removeLine(shipment, asset);
        } else if (choice == 8) {
            log(QStringLiteral("desk %1: delete shipment %2").arg(deskNo).arg(shipment));
            bool deleted = false;
            inTransaction(desk, [&] { deleted = delete_shipment(desk, shipment).deleted; });
            EXPECT_EQ(deleted, model.deleteShipment(shipment)) << trail();
        } else if (pick(2) && !model.assets.empty()) {
            const int asset = pickFrom(model.assets);
            log(QStringLiteral("desk %1: delete asset %2").arg(deskNo).arg(asset));
            bool deleted = false;
            inTransaction(desk, [&] { deleted = delete_asset(desk, asset).deleted; });
            EXPECT_EQ(deleted, model.deleteAsset(asset)) << trail();
        } else {
            log(QStringLiteral("desk %1: add asset").arg(deskNo));
            addAsset(desk);
        }
    }

    void addAsset(Session& desk) {
        const int id = Model::nextKey(std::views::keys(model.assets));
        inTransaction(desk, [&] { addStockAsset(desk); });
        model.assets[id] = 0;
    }

    // Runs the command in a transaction of its own; what refused it.
    template <typename F> QString attempt(Session& desk, F&& command) {
        return failureOf([&] {
            Transaction transaction(desk.database());
            command();
            transaction.commit();
        });
    }
    template <typename F> void inTransaction(Session& desk, F&& command) {
        EXPECT_EQ(attempt(desk, command), QString()) << trail();
    }

    void compare() {
        std::vector<Line> stored;
        for (const Row& r : observer->select(
                 QStringLiteral("SELECT ID, ShipmentID, AssetID, IsCompleted, TransferID FROM "
                                "Table_ShippingList ORDER BY ID"),
                 {},
                 {FieldType::Long, FieldType::Long, FieldType::Long, FieldType::Boolean,
                  FieldType::Long}))
            stored.push_back(
                {r[0].toInt(), r[1].toInt(), r[2].toInt(), r[3].toBool(), r[4].toInt()});
        EXPECT_TRUE(stored == model.lines) << "lines differ\n" << trail();
        std::map<int, int> assets;
        for (const Row& r :
             observer->select(QStringLiteral("SELECT ID, ShipmentID FROM Table_Asset ORDER BY ID"),
                              {}, {FieldType::Long, FieldType::Long}))
            assets[r[0].toInt()] = r[1].toInt();
        EXPECT_EQ(assets, model.assets) << trail();
        std::set<int> shipments;
        for (const Row& r : observer->select(QStringLiteral("SELECT ID FROM Table_Shipment"), {},
                                             {FieldType::Long}))
            shipments.insert(r[0].toInt());
        EXPECT_EQ(shipments, model.shipments) << trail();
        EXPECT_EQ(checkDatabase(*observer), QStringList()) << trail();
    }

    static QString join(const std::vector<int>& keys) {
        QStringList parts;
        for (int k : keys)
            parts << QString::number(k);
        return QLatin1Char('{') + parts.join(QLatin1Char(',')) + QLatin1Char('}');
    }
    std::string trail() const {
        return QStringLiteral("seed %1, steps:\n  %2")
            .arg(seedValue)
            .arg(steps.join(QStringLiteral("\n  ")))
            .toStdString();
    }

    std::unique_ptr<Store> observer;
    std::unique_ptr<Session> other;
    std::vector<Session*> desks;
    Model model;
    QRandomGenerator random;
    quint32 seedValue = 0;
    int stepCount = 0;
    QStringList steps;
};

TEST_P(ShipmentModel, OneDesk) {
    run(1);
}

TEST_P(ShipmentModel, TwoDesksInTurn) {
    run(2);
}

GEARLOG_BOTH_STORES(ShipmentModel);

} // namespace
