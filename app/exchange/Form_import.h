#pragma once

#include "ImportPlan.h"
#include "ImportPreview.h"

#include <QDialog>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class QVBoxLayout;

namespace gearlog {

class ViewContext;

// File -> Import: a workbook or CSV file chosen, what it holds, where each
// of its columns goes, and every row's verdict before anything is written
// ("Preview grid"); "Import" writes them all in one transaction, with a
// progress bar and Cancel, and says "N added, M updated".
class Form_import : public QDialog {
    Q_OBJECT
public:
    // `reload` shows the views again once an import has committed.
    Form_import(ViewContext& context, std::function<void()> reload, QWidget* parent);
    ~Form_import() override;

    void Command_import_file_Click();
    void Command_import_Click();
    // Reads the file at `path` (the dialog's file choice, or a test's).
    void openFile(const QString& path);

    QLineEdit* Text_import_file;
    QComboBox* Combo_import_kind;
    QCheckBox* Check_import_update;
    QCheckBox* Check_import_create;
    QCheckBox* Check_import_errors;
    QComboBox* Combo_import_dates;
    QComboBox* Combo_import_encoding;
    QTableView* Grid_import_preview;
    QLabel* Label_import_summary;
    QProgressBar* Progress_import;
    QPushButton* Command_import;
    QPushButton* Command_import_cancel;
    // One drop-down a column of the file: the field it fills, or left out.
    std::vector<QComboBox*> Combo_import_columns;

protected:
    void reject() override;

private:
    ImportKind kind() const;
    QString startFolder() const;
    void showColumns();
    // Checks every row again against the database and shows the verdicts.
    void check();
    void showVerdicts();
    // Runs long work with the progress bar and Cancel; false when cancelled.
    // Runs `work` with the controls off and the progress bar and Cancel on,
    // on a worker thread (for what touches no database) or on the window's
    // between steps; false when cancelled.
    enum class Where { Window, Worker };
    bool run(const QString& what, const std::function<void(const Progress&)>& work,
             Where where = Where::Window);
    void setRunning(bool running);

    ViewContext& m_context;
    std::function<void()> m_reload;
    SheetTable m_sheet;
    std::unique_ptr<ImportPlan> m_plan;
    ImportPreview m_preview;
    QWidget* m_columnsPanel;
    std::vector<QLabel*> m_columnLabels; // beside Combo_import_columns
    QVBoxLayout* m_columnsLayout;
    bool m_running = false;
    std::atomic<bool> m_cancelled = false;
};

} // namespace gearlog
