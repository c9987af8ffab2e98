#pragma once

#include "Maintenance.h"

#include <QObject>

class QComboBox;
class QSpinBox;
class QWidget;

namespace gearlog {

class FlexGrid;
class ViewContext;

// Maintenance beside the asset form: the asset's own interval, its log
// newest first in the "Maintenance grid", and the commands that record an
// entry and open or save an entry's certificate.
class MaintenancePanel : public QObject {
    Q_OBJECT
public:
    MaintenancePanel(ViewContext& context, QWidget* assetView);

    // Shows the asset's interval and log (0: none shown).
    void showAsset(int asset);
    void Command_set_asset_interval_Click();
    void Command_open_certificate_Click();
    void Command_save_certificate_Click();
    FlexGrid* grid() const { return Grid_maintenance; }

    QSpinBox* Text_asset_interval;
    FlexGrid* Grid_maintenance;

private:
    // The entry of the grid's current row, if it has a certificate.
    const MaintenanceEntry* certifiedEntry();
    void enable(bool enabled);

    ViewContext& m_context;
    QWidget* m_view;
    int m_asset = 0;
    std::vector<MaintenanceEntry> m_log; // as the grid shows it
    std::vector<QWidget*> m_controls;
};

// An equipment type's interval and kind beside the equipment form.
class TypeIntervalBox : public QObject {
    Q_OBJECT
public:
    TypeIntervalBox(ViewContext& context, QWidget* equipmentView);

    void showEquipment(int equipment);
    void Command_set_equipment_interval_Click();

    QSpinBox* Text_equipment_interval;
    QComboBox* Combo_equipment_interval_kind;

private:
    ViewContext& m_context;
    int m_equipment = 0;
    std::vector<QWidget*> m_controls;
};

} // namespace gearlog
