#pragma once

#include "Stocktakes.h"

#include <QFrame>

class QComboBox;
class QLabel;
class QLineEdit;

namespace gearlog {

class FlexGrid;
class ViewContext;

// "Stocktake": an office's stock counted with a scanner. A stocktake is
// chosen or started; each code scanned (a hand scanner types it and
// Enter) is classed at once and shown on top of the Stocktake grid, the
// counts and the Missing grid follow, and Apply puts the records right.
class Frame_stocktake : public QFrame {
    Q_OBJECT
public:
    Frame_stocktake(ViewContext& context, QWidget* parent);

    // Reads the stocktakes and the lists afresh.
    void Command_Stocktake_Click();
    void Command_new_stocktake_Click();
    void Text_scan_Enter();
    void Command_load_codes_Click();
    void Command_apply_stocktake_Click();
    void Command_stocktake_excel_Click();
    void Command_stocktake_pdf_Click();
    FlexGrid* grid() const { return Grid_stocktake; }

    QComboBox* Combo_stocktake;
    QComboBox* Combo_stocktake_office;
    QComboBox* Combo_stocktake_category;
    QComboBox* Combo_stocktake_equipment;
    QLineEdit* Text_stocktake_date;
    QLineEdit* Text_scan;
    QLabel* Label_stocktake_counts;
    FlexGrid* Grid_stocktake;
    FlexGrid* Grid_missing;
    QComboBox* Combo_missing_status;

private:
    // Shows the stocktake chosen in Combo_stocktake (none: an empty view).
    void showChosen();
    // Records the codes as scans and shows every scan since the last shown,
    // another desk's too.
    void scan(const QStringList& codes);
    // Shows the scans read since the last shown (this desk's and others').
    void takeScans(const std::vector<Scan>& scans);
    // Fills both grids and the counts from what is held.
    void showAll();
    static QStringList scanCells(const Scan& scan);
    void showCounts();
    void openScannedAsset(const FlexGrid& grid);
    // The stocktake's result as rows of text, a heading first.
    std::vector<QStringList> resultTable() const;

    ViewContext& m_context;
    std::optional<Stocktake> m_stocktake; // the one shown
    int m_lastScan = 0;                   // the newest scan shown
    std::vector<Scan> m_scans;            // shown, in scan order
    std::vector<ListedAsset> m_missing;   // the assets of Grid_missing's rows
};

} // namespace gearlog
