#pragma once

#include "AssetLabels.h"

#include <QPageSize>
#include <QPointF>
#include <QSizeF>
#include <vector>

class QPagedPaintDevice;

namespace gearlog {

// A sheet of adhesive labels, or a label printer's roll; sizes in mm.
struct LabelLayout {
    QString name; // as the dialog offers it
    QPageSize page;
    int columns = 1, rows = 1; // labels a page
    QSizeF label;
    QPointF first; // the first label's top left corner on the page
    QSizeF pitch;  // from one label to the next, across and down
};

// A4 3 x 8, Letter 3 x 10, and one 62 x 29 mm label a page.
const std::vector<LabelLayout>& label_layouts();
int label_pages(const LabelLayout& layout, int labels);

// Each label: the asset's code (its label text, which the search box
// opens) and, readable beside it, its ID, model and serial numbers and
// equipment type. The device's page is set to the layout's.
void paint_labels(QPagedPaintDevice& device, const LabelLayout& layout,
                  const std::vector<AssetLabel>& labels);

} // namespace gearlog
