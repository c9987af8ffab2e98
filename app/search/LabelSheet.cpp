#include "LabelSheet.h"

#include "QrCode.h"
#include "RecordSearch.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

namespace gearlog {

namespace {

constexpr qreal padding = 2.0; // mm inside a label's edge
constexpr qreal largestPoints = 10;

// The text whole in the box: in the font if it fits, else smaller, down to
// half its size, then on two lines (broken anywhere if it must be).
void drawWhole(QPainter& painter, QPaintDevice& device, QFont font, const QRectF& box,
               const QString& text) {
    const qreal full = font.pointSizeF();
    const qreal width = QFontMetricsF(font, &device).horizontalAdvance(text);
    font.setPointSizeF(width <= box.width() ? full
                                            : std::max(full / 2, full * box.width() / width));
    painter.setFont(font);
    const bool fits = QFontMetricsF(font, &device).horizontalAdvance(text) <= box.width();
    painter.drawText(box,
                     Qt::AlignLeft | Qt::AlignVCenter |
                         (fits ? 0 : Qt::TextWordWrap | Qt::TextWrapAnywhere),
                     text);
}

} // namespace

const std::vector<LabelLayout>& label_layouts() {
    static const std::vector<LabelLayout> layouts{
        {QStringLiteral("A4 sheet, 3 \u00d7 8 labels (70 \u00d7 37 mm)"),
         QPageSize(QPageSize::A4),
         3,
         8,
         {70, 37},
         {0, 0.5},
         {70, 37}},
        {QStringLiteral("Letter sheet, 3 \u00d7 10 labels (2\u215d \u00d7 1 in)"),
         QPageSize(QPageSize::Letter),
         3,
         10,
         {66.675, 25.4},
         {4.7625, 12.7},
         {69.85, 25.4}},
        {QStringLiteral("Label printer, 62 \u00d7 29 mm, one a page"),
         QPageSize(QSizeF(62, 29), QPageSize::Millimeter, QStringLiteral("62 x 29 mm label"),
                   QPageSize::ExactMatch),
         1,
         1,
         {62, 29},
         {0, 0},
         {62, 29}}};
    return layouts;
}

int label_pages(const LabelLayout& layout, int labels) {
    const int perPage = layout.columns * layout.rows;
    return (labels + perPage - 1) / perPage;
}

void paint_labels(QPagedPaintDevice& device, const LabelLayout& layout,
                  const std::vector<AssetLabel>& labels) {
    device.setPageSize(layout.page);
    device.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    QPainter painter(&device);
    const qreal dotsPerMm = device.logicalDpiX() / 25.4;
    const auto mm = [dotsPerMm](qreal v) {
        return v * dotsPerMm;
    };
    const int perPage = layout.columns * layout.rows;
    // Four lines beside the code, as large as fit, at most 10 points.
    const qreal lineMm = (layout.label.height() - 2 * padding) / 4;
    QFont font = painter.font();
    font.setPointSizeF(std::min(largestPoints, lineMm / 25.4 * 72 * 0.75));
    QFont bold = font;
    bold.setBold(true);
    for (size_t i = 0; i < labels.size(); ++i) {
        const int onPage = static_cast<int>(i) % perPage;
        if (i > 0 && onPage == 0)
            device.newPage();
        const QPointF corner(layout.first.x() + (onPage % layout.columns) * layout.pitch.width(),
                             layout.first.y() + (onPage / layout.columns) * layout.pitch.height());
        // The code as tall as the label allows, leaving most of its width
        // to the text.
        const qreal codeSide =
            std::min(layout.label.height() - 2 * padding, layout.label.width() * 0.4);
        const QRectF code(mm(corner.x() + padding), mm(corner.y() + padding), mm(codeSide),
                          mm(codeSide));
        const AssetLabel& label = labels[i];
        draw_qr_code(painter, code, asset_label_text(label.id));
        const qreal textLeft = corner.x() + 2 * padding + codeSide;
        const qreal textWidth = mm(layout.label.width() - codeSide - 3 * padding);
        const QString lines[4] = {
            QStringLiteral("ID %1").arg(label.id), label.model,
            label.serial.isEmpty() ? QString() : QStringLiteral("S/N ") + label.serial, label.type};
        for (int line = 0; line < 4; ++line) {
            const QRectF box(mm(textLeft), mm(corner.y() + padding + line * lineMm), textWidth,
                             mm(lineMm));
            if (line == 3) {
                // Two types may differ only at the end: the type is shown
                // whole, smaller, on two lines at the least.
                drawWhole(painter, device, font, box, lines[line]);
                continue;
            }
            painter.setFont(line == 0 ? bold : font);
            const QFontMetricsF metrics(painter.font(), &device);
            painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter,
                             metrics.elidedText(lines[line], Qt::ElideRight, textWidth));
        }
    }
}

} // namespace gearlog
