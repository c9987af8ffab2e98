#include "SampleDatabase.h"

#include <QBuffer>
#include <QDateTime>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <cmath>
#include <unordered_map>

namespace gearlog {

namespace {

const char* const firstNames[] = {"Ann",   "Ben",   "Chloe", "Dev",   "Eva",  "Femi", "Grace",
                                  "Hiro",  "Ines",  "Jon",   "Kemal", "Lena", "Maya", "Nils",
                                  "Oscar", "Priya", "Quinn", "Rosa",  "Sami", "Tariq"};
const char* const lastNames[] = {"Okafor", "Lindqvist", "Moreau", "Tanaka", "O'Brien",
                                 "Silva",  "Kowalski",  "Haddad", "Nguyen", "MacLeod",
                                 "Rossi",  "Fischer",   "Mbeki",  "Dubois", "Novak"};
const char* const places[] = {"Field Station", "Depot",    "Base Camp",   "Laboratory",
                              "Warehouse",     "Workshop", "Site Office", "Harbour Store"};
const char* const towns[] = {"Kiruna",  "Tromsø", "Nuuk",  "Darwin", "Yellowknife",
                             "Ushuaia", "Lhasa",  "Perth", "Oulu",   "Reykjavík"};
const char* const kinds[] = {"Receiver", "Transmitter",  "Cable",  "Antenna",      "Battery",
                             "Charger",  "Magnetometer", "Logger", "Tripod",       "Coil",
                             "Console",  "GPS unit",     "Case",   "Power supply", "Sensor"};
const char* const extraCategories[] = {"Antennas", "Power", "Tools", "Computers"};

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class Generator {
public:
    Generator(Store& store, const SampleOptions& options)
        : m_store(store), m_random(options.seed), m_assets(std::max(1, options.assets)),
          m_largeShipment(std::min(options.largeShipment, m_assets)) {}

    void run() {
        const int addresses = std::max(5, m_assets / 100);
        const int contacts = std::max(8, m_assets / 50);
        const int equipment = std::max(6, m_assets / 50);
        const int shipments = std::max(4, m_assets / 5);
        writeCategories();
        writeAddresses(addresses);
        writeContacts(contacts, addresses);
        writeEquipment(equipment);
        const std::vector<Asset> assets = drawAssets(equipment, addresses);
        std::unordered_map<int, int> shipmentOf;
        const std::vector<Line> lines = writeShipments(shipments, contacts, addresses, shipmentOf);
        writeAssets(assets, shipmentOf);
        writeLines(lines);
    }

private:
    int pick(int count) { return static_cast<int>(m_random.bounded(static_cast<quint32>(count))); }
    template <size_t N> QString pickName(const char* const (&names)[N]) {
        return text(names[pick(static_cast<int>(N))]);
    }
    // Day `offset` of the sample's story, which ends today (day `storyDays`),
    // at midnight as the forms store a date.
    QDateTime day(int offset) const {
        return QDateTime(m_today.addDays(offset - storyDays), QTime(0, 0), Qt::UTC);
    }
    // Money to the cent, as the forms store it.
    static double cents(double amount) { return std::round(amount * 100) / 100; }
    static QString rtf(const QString& text) {
        return QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ") + text +
               QStringLiteral("\\par}");
    }

    void writeCategories() {
        int id = 6;
        for (const char* name : extraCategories)
            m_store.execute(QStringLiteral("INSERT INTO Table_category (ID, Name) VALUES (?, ?)"),
                            {++id, text(name)});
        m_categories = id;
    }

    void writeAddresses(int count) {
        for (int id = 1; id <= count; ++id) {
            const QString name = pickName(places) + QLatin1Char(' ') + pickName(towns) +
                                 QLatin1Char(' ') + QString::number(id);
            // Colours avoid pure black and white, which the program refuses.
            const int colour = 0x202020 + pick(0xDFDFDF - 0x202020);
            m_store.execute(
                QStringLiteral("INSERT INTO Table_address (ID, Name, ColourCode, "
                               "Address) VALUES (?, ?, ?, ?)"),
                {id, name, colour,
                 rtf(QStringLiteral("%1 Long Road\\par %2").arg(pick(200) + 1).arg(name))});
        }
    }

    void writeContacts(int count, int addresses) {
        for (int id = 1; id <= count; ++id) {
            const QString name = pickName(firstNames) + QLatin1Char(' ') + pickName(lastNames);
            m_store.execute(
                QStringLiteral("INSERT INTO Table_contact (ID, Name, Phone, Email, "
                               "AddressID, ColourCode) VALUES (?, ?, ?, ?, ?, ?)"),
                {id, name,
                 QStringLiteral("+44 20 7946 %1").arg(pick(10000), 4, 10, QLatin1Char('0')),
                 pick(5) == 0 ? QString(QLatin1String(""))
                              : name.toLower().remove(QLatin1Char(' ')).remove(QLatin1Char('\'')) +
                                    QStringLiteral("@example.org"),
                 pick(addresses) + 1, 0xFF0000});
        }
    }

    QByteArray photo(int id) {
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(QColor::fromHsv(id * 37 % 360, 60, 240));
        QPainter painter(&image);
        painter.setBrush(QColor::fromHsv(id * 91 % 360, 200, 180));
        painter.drawRoundedRect(8 + pick(8), 8 + pick(6), 36, 26, 4, 4);
        painter.end();
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    }

    void writeEquipment(int count) {
        for (int id = 1; id <= count; ++id) {
            const QString name = pickName(kinds) + QStringLiteral(" model %1").arg(id);
            m_store.execute(
                QStringLiteral("INSERT INTO Table_photo (ID, Name, Photo) VALUES (?, ?, ?)"),
                {id, name, photo(id)});
            m_store.execute(QStringLiteral("INSERT INTO Table_equipment (ID, Name, CategoryID, "
                                           "PhotographID, Weight, Height, Width, Depth, Comments) "
                                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                            {id, name, pick(m_categories) + 1, id, 0.5 + pick(400) / 10.0,
                             10 + pick(90), 10 + pick(90), 5 + pick(60),
                             rtf(QStringLiteral("Standard kit item %1").arg(id))});
        }
    }

    // Assets and lines are drawn first and written once, with where the
    // shipments left them: no row is written twice.
    struct Asset {
        int equipment, status, account, model;
        double price;
        QDateTime acquired, maintenance;
        bool commented;
    };
    struct Line {
        int id, shipment, asset;
        bool completed = false;
        QDateTime completion;
        int transfer = -1;
    };

    std::vector<Asset> drawAssets(int equipment, int addresses) {
        std::vector<Asset> assets;
        assets.reserve(static_cast<size_t>(m_assets));
        for (int id = 1; id <= m_assets; ++id) {
            const double price = cents(100 + pick(900000) / 100.0);
            const int type = pick(equipment) + 1;
            const int status = pick(10) < 8 ? 1 : pick(9) + 1;
            const int account = pick(addresses) + 1;
            const int model = 1000 + pick(9000);
            const QDateTime acquired = day(pick(1500));
            // Mostly ahead; a few passed, some within the month.
            const QDateTime maintenance = day(storyDays - 10 + pick(710));
            assets.push_back(
                {type, status, account, model, price, acquired, maintenance, pick(3) == 0});
        }
        return assets;
    }

    void writeAssets(const std::vector<Asset>& assets,
                     const std::unordered_map<int, int>& shipmentOf) {
        for (int id = 1; id <= m_assets; ++id) {
            const Asset& a = assets[static_cast<size_t>(id) - 1];
            const auto out = shipmentOf.find(id);
            m_store.execute(QStringLiteral("INSERT INTO Table_asset (ID, EquipmentID, StatusID, "
                                           "ShipmentID, AccountID, ModelNumber, SerialNumber, "
                                           "DateAcquired, PurchasePrice, ReplacementCost, "
                                           "Valuation, NextSchedMaint, Comments) VALUES (?, ?, ?, "
                                           "?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                            {id, a.equipment, a.status, out == shipmentOf.end() ? 0 : out->second,
                             a.account, QStringLiteral("M-%1").arg(a.model),
                             QStringLiteral("SN%1").arg(id, 7, 10, QLatin1Char('0')), a.acquired,
                             a.price, cents(a.price * 1.2), cents(a.price * 0.8), a.maintenance,
                             a.commented ? rtf(QStringLiteral("Checked on receipt"))
                                         : QString(QLatin1String(""))});
        }
    }

    void writeLines(const std::vector<Line>& lines) {
        for (const Line& line : lines)
            m_store.execute(QStringLiteral("INSERT INTO Table_shippinglist (ID, ShipmentID, "
                                           "AssetID, IsCompleted, CompletionDate, TransferID) "
                                           "VALUES (?, ?, ?, ?, ?, ?)"),
                            {line.id, line.shipment, line.asset, line.completed,
                             line.completed ? QVariant(line.completion) : QVariant(),
                             line.transfer});
    }

    // Writes the shipments; returns their lines and, for each asset still
    // out, the shipment it is on.
    std::vector<Line> writeShipments(int count, int contacts, int addresses,
                                     std::unordered_map<int, int>& shipmentOf) {
        std::vector<Line> lines;
        std::unordered_map<int, int> openLineOf; // asset -> index of its open line
        std::vector<std::vector<int>> assetsOf(static_cast<size_t>(count) + 1);
        auto complete = [&](int index, const QDateTime& when, int transfer) {
            Line& line = lines[static_cast<size_t>(index)];
            line.completed = true;
            line.completion = when;
            line.transfer = transfer;
        };
        for (int s = 1; s <= count; ++s) {
            const QDateTime sent = day(s * storyDays / count);
            const int receiver = pick(contacts) + 1;
            const QString name = QStringLiteral("Shipment %1 to %2").arg(s).arg(pickName(towns));
            writeShipment(s, sent, name, receiver, contacts, addresses);
            const int lineCount = 5 + pick(11);
            for (int k = 0; k < lineCount; ++k) {
                const int asset = pick(m_assets) + 1;
                auto open = openLineOf.find(asset);
                if (open != openLineOf.end()) {
                    if (lines[static_cast<size_t>(open->second)].shipment == s)
                        continue;
                    complete(open->second, sent, s); // transferred on
                }
                lines.push_back({static_cast<int>(lines.size()) + 1, s, asset, false, {}, -1});
                openLineOf[asset] = static_cast<int>(lines.size()) - 1;
                assetsOf[static_cast<size_t>(s)].push_back(asset);
            }
            // Nearly every shipment comes home a while later: a few stay
            // out past their return date.
            const int returning = s - std::clamp(count / 8, 3, 25);
            if (returning >= 1 && pick(100) < 97)
                for (int asset : assetsOf[static_cast<size_t>(returning)]) {
                    auto open = openLineOf.find(asset);
                    if (open == openLineOf.end() ||
                        lines[static_cast<size_t>(open->second)].shipment != returning)
                        continue;
                    complete(open->second, sent, -1);
                    openLineOf.erase(open);
                }
        }
        if (m_largeShipment > 0) {
            const int s = count + 1;
            const QDateTime sent = day(storyDays);
            writeShipment(s, sent, QStringLiteral("Large shipment"), pick(contacts) + 1, contacts,
                          addresses);
            for (int asset = 1; asset <= m_largeShipment; ++asset) {
                if (const auto open = openLineOf.find(asset); open != openLineOf.end())
                    complete(open->second, sent, s);
                lines.push_back({static_cast<int>(lines.size()) + 1, s, asset, false, {}, -1});
                openLineOf[asset] = static_cast<int>(lines.size()) - 1;
            }
        }
        for (const auto& [asset, index] : openLineOf)
            shipmentOf[asset] = lines[static_cast<size_t>(index)].shipment;
        return lines;
    }

    void writeShipment(int s, const QDateTime& sent, const QString& name, int receiver,
                       int contacts, int addresses) {
        m_store.execute(
            QStringLiteral("INSERT INTO Table_shipment (ID, Name, ReceiverContactID, "
                           "ReceiverAddressID, ShipperContactID, ShipperAddressID, "
                           "ShipmentDate, ExpectedReturnDate, ConsignmentNote, "
                           "ShippingMethod, ArrivalConfirmed, Cost, Purpose, Comments) VALUES "
                           "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {s, name, receiver, pick(addresses) + 1, pick(contacts) + 1, pick(addresses) + 1, sent,
             sent.addDays(30 + pick(60)), QStringLiteral("CN-%1").arg(100000 + s), pick(5),
             pick(4) != 0, 50 + pick(5000), pick(3), QString(QLatin1String(""))});
    }

    // The sample's dates span this many days before today.
    static constexpr int storyDays = 3000;
    const QDate m_today = QDate::currentDate();
    Store& m_store;
    QRandomGenerator m_random;
    int m_assets;
    int m_largeShipment;
    int m_categories = 6;
};

} // namespace

void writeSampleRows(Store& store, const SampleOptions& options) {
    Generator(store, options).run();
}

void writeSampleData(Store& store, const SampleOptions& options) {
    store.begin();
    try {
        writeSampleRows(store, options);
        store.commit();
    } catch (...) {
        store.rollback();
        throw;
    }
}

} // namespace gearlog
