#pragma once

#include <QMainWindow>

namespace gearlog {

// The main window: for now its caption and File menu frame; the views,
// tool bar and session commands come with the shell's own work.
class Form_main : public QMainWindow {
    Q_OBJECT
public:
    explicit Form_main(QWidget* parent = nullptr);
};

} // namespace gearlog
