#include "QrCode.h"

#include <QPainter>
#include <memory>
#include <qrencode.h>

namespace gearlog {

bool draw_qr_code(QPainter& painter, const QRectF& area, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString8bit(bytes.constData(), 0, QR_ECLEVEL_M), &QRcode_free);
    if (!code)
        return false;
    constexpr int quiet = 4;
    const int modules = code->width + 2 * quiet;
    const qreal side = std::min(area.width(), area.height());
    const qreal unit = side / modules;
    const QPointF origin(area.center().x() - side / 2 + quiet * unit,
                         area.center().y() - side / 2 + quiet * unit);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawRect(
        QRectF(area.center().x() - side / 2, area.center().y() - side / 2, side, side));
    painter.setBrush(Qt::black);
    // A run of dark modules in a row is one rectangle: fewer shapes, and no
    // hairline gaps between neighbours when the page is scaled.
    for (int y = 0; y < code->width; ++y) {
        const unsigned char* row = code->data + static_cast<ptrdiff_t>(y) * code->width;
        for (int x = 0; x < code->width;) {
            if (!(row[x] & 1)) {
                ++x;
                continue;
            }
            int end = x;
            while (end < code->width && (row[end] & 1))
                ++end;
            painter.drawRect(
                QRectF(origin.x() + x * unit, origin.y() + y * unit, (end - x) * unit, unit));
            x = end;
        }
    }
    painter.restore();
    return true;
}

} // namespace gearlog
