#include "LastSeenLabel.h"

#include "StocktakeTables.h"
#include "Stocktakes.h"
#include "TypedText.h"

namespace gearlog {

LastSeenLabel::LastSeenLabel(QWidget* parent, const QRect& geometry) : QLabel(parent) {
    setObjectName(QStringLiteral("Label_asset_last_seen"));
    setAccessibleName(QStringLiteral("Last seen"));
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setGeometry(geometry);
}

void LastSeenLabel::showAsset(Database& db, int asset) {
    if (asset <= 0 || !has_stocktake_tables(db)) {
        clear();
        return;
    }
    const std::optional<Sighting> seen = last_seen(db.store(), asset);
    setText(seen ? QStringLiteral("Last seen %1 at %2 (stocktake \"%3\")")
                       .arg(format_date(seen->at.date()), seen->office, seen->stocktake)
                 : QStringLiteral("Not seen by a stocktake yet"));
}

} // namespace gearlog
