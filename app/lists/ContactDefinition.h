#pragma once

#include <functional>

class QWidget;

namespace gearlog {

class ViewContext;

// Creating or changing a contact or an address through its dialog, for
// every view that offers it. The key names the record to change (0 for a
// new one, or a key no longer stored, which starts empty); the dialog's
// "Save" then replaces that record and "Save New" adds one. Engine errors
// are reported with the command's prefix; `reload` runs after a commit.
// Returns true when something was written.
bool define_contact(ViewContext& context, int key, QWidget* parent,
                    const std::function<void()>& reload);
bool define_address(ViewContext& context, int key, QWidget* parent,
                    const std::function<void()>& reload);

} // namespace gearlog
