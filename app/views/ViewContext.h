#pragma once

#include "AppState.h"

class QPoint;

namespace gearlog {

class Session;
class ViewRequests;

// What a view needs of the main window: the open session, the shared
// state, the requests to other views, and the grids' pop-up menu.
class ViewContext {
public:
    virtual ~ViewContext() = default;
    virtual Session& session() = 0;
    virtual AppState& state() = 0;
    virtual ViewRequests& requests() = 0;
    virtual void popupMenu(const QPoint& globalPos) = 0;
};

} // namespace gearlog
