#pragma once

#include <QWidget>
#include <functional>

#if defined(FITWELL_LIBRARY)
#define FITWELL_EXPORT Q_DECL_EXPORT
#else
#define FITWELL_EXPORT Q_DECL_IMPORT
#endif

class QLabel;

namespace fitwell {

// Keeps every control of its form in proportion to the form's size. The
// form is the widget the control is placed on; it is known by the objectName
// of its window, so two open instances of one window share one record.
// Controls are the named descendants of the form that no layout manages;
// an element of a control array carries an integer "Index" property, and a
// line control has "X1", "X2", "Y1" and "Y2" properties. Geometry is kept in
// twips (15 per pixel). The records are shared by every instance in the
// process and only grow.
class FITWELL_EXPORT FitwellControl : public QWidget {
    Q_OBJECT
public:
    explicit FitwellControl(QWidget* form);

    // Scales every control to the form's current size, from the recorded
    // base; the first call for a form records it and moves nothing.
    Q_INVOKABLE void ResizeControls();
    // Takes the form's current layout as the new base.
    Q_INVOKABLE void ResetControls();
    Q_INVOKABLE void About();

    // Replaces how About shows its box (caption, text); for hosts and tests.
    static void setAboutPresenter(std::function<void(const QString&, const QString&)> presenter);

    // A control's recorded geometry in twips (left, top, width, height), for
    // inspection; false when it has no record.
    static bool recordedGeometry(const QWidget* control, int* left, int* top, int* width,
                                 int* height);

private:
    QLabel* m_image;
};

} // namespace fitwell
