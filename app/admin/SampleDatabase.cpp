#include "SampleDatabase.h"

#include <QBuffer>
#include <QDateTime>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
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
        : m_store(store), m_random(options.seed), m_assets(std::max(1, options.assets)) {}

    void run() {
        const int addresses = std::max(5, m_assets / 100);
        const int contacts = std::max(8, m_assets / 50);
        const int equipment = std::max(6, m_assets / 50);
        const int shipments = std::max(4, m_assets / 5);
        m_store.begin();
        try {
            writeCategories();
            writeAddresses(addresses);
            writeContacts(contacts, addresses);
            writeEquipment(equipment);
            writeAssets(equipment, addresses);
            writeShipments(shipments, contacts, addresses);
            m_store.commit();
        } catch (...) {
            m_store.rollback();
            throw;
        }
    }

private:
    int pick(int count) { return static_cast<int>(m_random.bounded(static_cast<quint32>(count))); }
    template <size_t N> QString pickName(const char* const (&names)[N]) {
        return text(names[pick(static_cast<int>(N))]);
    }
    QDateTime day(int offset) {
        return QDateTime(QDate(2015, 1, 1).addDays(offset), QTime(9 + pick(8), 0), Qt::UTC);
    }
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

    void writeAssets(int equipment, int addresses) {
        for (int id = 1; id <= m_assets; ++id) {
            const float price = static_cast<float>(100 + pick(900000) / 100.0);
            m_store.execute(QStringLiteral("INSERT INTO Table_asset (ID, EquipmentID, StatusID, "
                                           "ShipmentID, AccountID, ModelNumber, SerialNumber, "
                                           "DateAcquired, PurchasePrice, ReplacementCost, "
                                           "Valuation, NextSchedMaint, Comments) VALUES (?, ?, ?, "
                                           "?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                            {id, pick(equipment) + 1, pick(10) < 8 ? 1 : pick(9) + 1, 0,
                             pick(addresses) + 1, QStringLiteral("M-%1").arg(1000 + pick(9000)),
                             QStringLiteral("SN%1").arg(id, 7, 10, QLatin1Char('0')),
                             day(pick(1500)), price, price * 1.2f, price * 0.8f,
                             day(3000 + pick(700)),
                             pick(3) == 0 ? rtf(QStringLiteral("Checked on receipt"))
                                          : QString(QLatin1String(""))});
        }
    }

    struct Line {
        int id, shipment, asset;
    };

    void completeLine(const Line& line, const QDateTime& when, int transfer) {
        m_store.execute(QStringLiteral("UPDATE Table_shippinglist SET IsCompleted = ?, "
                                       "CompletionDate = ?, TransferID = ? WHERE ID = ?"),
                        {true, when, transfer, line.id});
    }

    void writeShipments(int count, int contacts, int addresses) {
        std::unordered_map<int, Line> openLineOf; // asset -> its open line
        std::vector<std::vector<int>> assetsOf(static_cast<size_t>(count) + 1);
        int lineId = 0;
        for (int s = 1; s <= count; ++s) {
            const QDateTime sent = day(s * 3000 / count);
            const int receiver = pick(contacts) + 1;
            m_store.execute(
                QStringLiteral("INSERT INTO Table_shipment (ID, Name, ReceiverContactID, "
                               "ReceiverAddressID, ShipperContactID, ShipperAddressID, "
                               "ShipmentDate, ExpectedReturnDate, ConsignmentNote, "
                               "ShippingMethod, ArrivalConfirmed, Cost, Purpose, Comments) VALUES "
                               "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                {s, QStringLiteral("Shipment %1 to %2").arg(s).arg(pickName(towns)), receiver,
                 pick(addresses) + 1, pick(contacts) + 1, pick(addresses) + 1, sent,
                 sent.addDays(30 + pick(60)), QStringLiteral("CN-%1").arg(100000 + s), pick(5),
                 pick(4) != 0, 50 + pick(5000), pick(3), QString(QLatin1String(""))});
            const int lines = 5 + pick(11);
            for (int k = 0; k < lines; ++k) {
                const int asset = pick(m_assets) + 1;
                auto open = openLineOf.find(asset);
                if (open != openLineOf.end()) {
                    if (open->second.shipment == s)
                        continue;
                    completeLine(open->second, sent, s); // transferred on
                }
                const Line line{++lineId, s, asset};
                m_store.execute(QStringLiteral("INSERT INTO Table_shippinglist (ID, ShipmentID, "
                                               "AssetID, IsCompleted, TransferID) VALUES (?, ?, ?, "
                                               "?, ?)"),
                                {line.id, s, asset, false, -1});
                openLineOf[asset] = line;
                assetsOf[static_cast<size_t>(s)].push_back(asset);
            }
            // Most shipments come home a while later.
            const int returning = s - std::clamp(count / 8, 3, 25);
            if (returning >= 1 && pick(10) < 8)
                for (int asset : assetsOf[static_cast<size_t>(returning)]) {
                    auto open = openLineOf.find(asset);
                    if (open == openLineOf.end() || open->second.shipment != returning)
                        continue;
                    completeLine(open->second, sent, -1);
                    openLineOf.erase(open);
                }
        }
        for (const auto& [asset, line] : openLineOf)
            m_store.execute(QStringLiteral("UPDATE Table_asset SET ShipmentID = ? WHERE ID = ?"),
                            {line.shipment, asset});
    }

    Store& m_store;
    QRandomGenerator m_random;
    int m_assets;
    int m_categories = 6;
};

} // namespace

void writeSampleData(Store& store, const SampleOptions& options) {
    Generator(store, options).run();
}

} // namespace gearlog
