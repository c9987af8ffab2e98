#pragma once

#include <QString>
#include <memory>

class QFileDialog;
class QWidget;

namespace gearlog {

// A file dialog that never opens the files it lists. POSIX locks belong to
// the process, and any close() of a descriptor of the open database's file
// drops all of them: a dialog that looked inside the database to choose its
// icon or type would silently end the program's locks. So this is Qt's own
// dialog (not a platform one that may sniff files in our process), with
// icons and types told by kind and name alone.
std::unique_ptr<QFileDialog> newFileDialog(QWidget* parent, const QString& title,
                                           const QString& folder, const QString& qtFilter);

} // namespace gearlog
