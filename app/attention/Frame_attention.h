#pragma once

#include "Bookings.h"
#include "DueLists.h"

#include <QFrame>
#include <array>

class QCheckBox;
class QLabel;
class QSpinBox;

namespace gearlog {

class BackgroundWork;
class FlexGrid;
class ViewContext;

// "Attention": the shipments overdue, the maintenance due within a number
// of days, the assets out on a shipment past their maintenance date, and
// the bookings leaving within those days that what is free cannot meet.
// A double-click or Enter on a row opens its shipment or asset.
class Frame_attention : public QFrame {
    Q_OBJECT
public:
    Frame_attention(ViewContext& context, QWidget* parent);

    // Reads the lists afresh on a worker (the caller brings the view up at
    // once); they are shown when read.
    void Command_Attention_Click();
    // True while the lists are being read.
    bool reading() const { return m_reading != nullptr; }
    // The grid whose menu was opened last, for "Save as Excel".
    FlexGrid* grid() const { return m_menuGrid; }
    // The asset of the menu grid's current row (0: none, or not an asset's list).
    int menuAsset() const;

    // Whether the view shows by itself when a database with anything
    // overdue opens (a stored setting; anything but "0" means yes).
    static bool showsAtOpen();

    QSpinBox* Text_attention_days;
    QCheckBox* Check_attention_at_open;
    static constexpr int attentionLists = 5;
    std::array<QLabel*, attentionLists> Label_attention{};
    std::array<FlexGrid*, attentionLists> Grid_attention{};

private:
    void showLists();
    void open(int list);
    // The asset of the list's current row (0: none, or not an asset's list).
    int assetAt(int list) const;

    ViewContext& m_context;
    DueLists m_lists;
    std::vector<ShortBooking> m_short;   // bookings leaving within the days, short
    BackgroundWork* m_reading = nullptr; // while the lists are read
    bool m_readAgain = false;
    FlexGrid* m_menuGrid = nullptr;
};

} // namespace gearlog
