#pragma once

#include <QRectF>
#include <QString>

class QPainter;

namespace gearlog {

// Draws the QR code of `text` (libqrencode, error correction level M) as
// a square centred in `area`, dark modules on white with the quiet zone
// of four modules a reader needs. False when the text cannot be encoded.
bool draw_qr_code(QPainter& painter, const QRectF& area, const QString& text);

} // namespace gearlog
