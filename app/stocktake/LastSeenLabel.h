#pragma once

#include <QLabel>

namespace gearlog {

class Database;

// Where a stocktake last saw the asset a form shows: "Last seen
// 10-Dec-2026 at Store (stocktake ...)", or that none has.
class LastSeenLabel : public QLabel {
    Q_OBJECT
public:
    LastSeenLabel(QWidget* parent, const QRect& geometry);
    // `asset` 0: nothing to say. A database without stocktakes says nothing.
    void showAsset(Database& db, int asset);
};

} // namespace gearlog
