#include "fitwell/FitwellControl.h"

#include <QAbstractScrollArea>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QVariant>
#include <cmath>
#include <vector>

namespace fitwell {

namespace {

constexpr int twipsPerPixel = 15;
constexpr int offView = 75000;
constexpr int offViewThreshold = -6000;

struct FormRecord {
    QString name;
    int height = 0;
    int width = 0;
    // The ratios the controls were last placed at; the recorded layout is 100.
    long long placedHorizontal = 100;
    long long placedVertical = 100;
};

struct ControlRecord {
    QString name;
    int index = 0;
    QString formName;
    int top = 0, left = 0, height = 0, width = 0;
};

// Shared by every instance, for the life of the process.
std::vector<FormRecord> forms;
std::vector<ControlRecord> controls;
bool busy = false;
std::function<void(const QString&, const QString&)> aboutPresenter;

int toTwips(int pixels) {
    return pixels * twipsPerPixel;
}
int toPixels(int twips) {
    return static_cast<int>(std::lround(twips / double(twipsPerPixel)));
}
long long roundEven(double value) {
    return std::llrint(value);
} // halves to even

QString formName(const QWidget* form) {
    return form->window()->objectName();
}

bool hasIndex(const QWidget* control, int* index) {
    const QVariant v = control->property("Index");
    if (!v.isValid())
        return false;
    *index = v.toInt();
    return true;
}

bool isLine(const QWidget* control) {
    return control->property("X1").isValid() && control->property("X2").isValid() &&
           control->property("Y1").isValid() && control->property("Y2").isValid();
}

bool managedByLayout(const QWidget* control) {
    const QWidget* parent = control->parentWidget();
    return parent && parent->layout() && parent->layout()->indexOf(control) >= 0;
}

// Frames, group boxes and plain widgets hold controls of the form; the
// parts inside any other control (a photo control's picture, a grid's
// headers) belong to that control, which places them itself.
bool holdsControls(const QWidget* w) {
    if (qobject_cast<const QAbstractScrollArea*>(w))
        return false;
    return w->metaObject() == &QWidget::staticMetaObject || qobject_cast<const QFrame*>(w) ||
           qobject_cast<const QGroupBox*>(w);
}

bool insideControl(const QWidget* w, const QWidget* form) {
    for (const QWidget* p = w->parentWidget(); p && p != form; p = p->parentWidget())
        if (!holdsControls(p))
            return true;
    return false;
}

// The form's controls in collection order: named descendants that no
// layout places (a layout would undo any move).
std::vector<QWidget*> controlsOf(QWidget* form, const QWidget* self) {
    std::vector<QWidget*> result;
    const auto children = form->findChildren<QWidget*>();
    for (QWidget* w : children) {
        const QString name = w->objectName();
        if (w == self || name.isEmpty() || name.startsWith(QLatin1String("qt_")) ||
            managedByLayout(w) || w->isWindow() || insideControl(w, form))
            continue;
        result.push_back(w);
    }
    return result;
}

int findFormRecord(const QWidget* form) {
    const QString name = formName(form);
    for (size_t i = 0; i < forms.size(); ++i)
        if (forms[i].name == name)
            return static_cast<int>(i);
    return -1;
}

int findControlRecord(const QWidget* control, const QString& form) {
    int index = 0;
    const bool indexed = hasIndex(control, &index);
    for (size_t i = 0; i < controls.size(); ++i) {
        const ControlRecord& r = controls[i];
        if (r.formName == form && r.name == control->objectName() && (!indexed || r.index == index))
            return static_cast<int>(i);
    }
    return -1;
}

void recordControl(int at, QWidget* control, const QString& form) {
    if (at == static_cast<int>(controls.size()))
        controls.emplace_back();
    ControlRecord& r = controls[static_cast<size_t>(at)];
    r.name = control->objectName();
    hasIndex(control, &r.index);
    r.formName = form;
    if (isLine(control)) {
        r.left = control->property("X1").toInt();
        r.width = control->property("X2").toInt();
        if (r.left < offViewThreshold) {
            r.left += offView;
            r.width += offView;
        }
        r.top = control->property("Y1").toInt();
        r.height = control->property("Y2").toInt();
    } else {
        const QRect g = control->geometry();
        r.left = toTwips(g.x());
        if (r.left < offViewThreshold)
            r.left += offView;
        r.top = toTwips(g.y());
        r.width = toTwips(g.width());
        r.height = toTwips(g.height());
    }
    // List boxes then accept any height; other controls lack the property.
    if (control->metaObject()->indexOfProperty("IntegralHeight") >= 0 ||
        control->property("IntegralHeight").isValid())
        control->setProperty("IntegralHeight", false);
}

int recordForm(int at, QWidget* form, const QWidget* self) {
    const bool append = at == static_cast<int>(forms.size());
    if (append)
        forms.emplace_back();
    FormRecord& r = forms[static_cast<size_t>(at)];
    r.name = formName(form);
    r.height = toTwips(form->height());
    r.width = toTwips(form->width());
    r.placedHorizontal = r.placedVertical = 100;
    if (append)
        for (QWidget* control : controlsOf(form, self))
            if (findControlRecord(control, r.name) < 0)
                recordControl(static_cast<int>(controls.size()), control, r.name);
    return at;
}

// Whole per cent; a recorded size of 0 gives 100 (nothing to scale from).
void scaleRatios(QWidget* form, const QWidget* self, long long* horizontal, long long* vertical) {
    int at = findFormRecord(form);
    if (at < 0)
        at = recordForm(static_cast<int>(forms.size()), form, self);
    const FormRecord& r = forms[static_cast<size_t>(at)];
    *horizontal = r.width == 0 ? 100 : roundEven(toTwips(form->width()) * 100.0) / r.width;
    *vertical = r.height == 0 ? 100 : roundEven(toTwips(form->height()) * 100.0) / r.height;
}

void repositionControl(QWidget* control, const QWidget* form, long long horizontal,
                       long long vertical) {
    const int at = findControlRecord(control, formName(form));
    if (at < 0)
        return;
    const ControlRecord& r = controls[static_cast<size_t>(at)];
    long long left = roundEven(double(horizontal) * r.left) / 100;
    const long long width = roundEven(double(horizontal) * r.width) / 100;
    const long long top = roundEven(double(vertical) * r.top) / 100;
    const long long height = roundEven(double(vertical) * r.height) / 100;
    if (isLine(control)) {
        const bool inView = control->property("X1").toInt() > offViewThreshold;
        control->setProperty("X1", static_cast<int>(inView ? left : left - offView));
        control->setProperty("X2", static_cast<int>(inView ? width : width - offView));
        control->setProperty("Y1", static_cast<int>(top));
        control->setProperty("Y2", static_cast<int>(height));
        return;
    }
    if (toTwips(control->x()) < offViewThreshold)
        left -= offView;
    // Three attempts: a control that refuses a size still takes the place
    // and whatever size it accepts (its size limits clamp the rest).
    const int l = toPixels(static_cast<int>(left)), t = toPixels(static_cast<int>(top));
    control->setGeometry(l, t, toPixels(static_cast<int>(width)),
                         toPixels(static_cast<int>(height)));
    control->resize(toPixels(static_cast<int>(width)), control->height());
    control->move(l, t);
}

// The extents step applies to forms inside a sizable MDI sub-window.
bool isSizableMdiChild(const QWidget* form) {
    for (const QWidget* w = form; w; w = w->parentWidget())
        if (const auto* sub = qobject_cast<const QMdiSubWindow*>(w))
            return !(sub->windowFlags() & Qt::MSWindowsFixedSizeDialogHint);
    return false;
}

struct Guard {
    Guard() { busy = true; }
    ~Guard() { busy = false; }
};

} // namespace

FitwellControl::FitwellControl(QWidget* form) : QWidget(form), m_image(new QLabel(this)) {
    setObjectName(QStringLiteral("Fitwell"));
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setText(QStringLiteral("\u2922")); // the resize icon
    m_image->adjustSize();
    // The control always keeps the size of its icon.
    setFixedSize(m_image->size());
    setAccessibleName(QStringLiteral("Control resizer"));
    hide(); // it only ever shows its icon; the forms do not show it
}

namespace {

// A form parked far below the screen (how a minimised child was hidden) is
// left alone.
bool parkedOffScreen(const QWidget* form) {
    return toTwips(form->window()->y()) >= 30000;
}

// The form to work on; none while a call is running or the form is parked.
QWidget* workableForm(QWidget* form) {
    return busy || !form || parkedOffScreen(form) ? nullptr : form;
}

// The horizontal and vertical extents of a form's controls, in twips.
std::pair<long long, long long> extentsOf(QWidget* form, const QWidget* self) {
    long long horizontal = 0, vertical = 0;
    for (const QWidget* c : controlsOf(form, self)) {
        const QRect g = c->geometry();
        horizontal = std::max<long long>(horizontal, toTwips(g.x() + g.width()) + 100);
        vertical = std::max<long long>(vertical, toTwips(g.y() + g.height()) + 300);
        if (isLine(c)) {
            horizontal = std::max<long long>({horizontal, c->property("X1").toLongLong() + 100,
                                              c->property("X2").toLongLong() + 100});
            vertical = std::max<long long>({vertical, c->property("Y1").toLongLong() + 300,
                                            c->property("Y2").toLongLong() + 300});
        }
    }
    return {horizontal, vertical};
}

// Rescales a new sizable child form's records to its outer size; the
// controls follow at the next resize.
void rescaleRecords(QWidget* form, std::pair<long long, long long> extents) {
    if (extents.first <= 0 || extents.second <= 0)
        return;
    const QWidget* outer = form->window();
    const double h = toTwips(outer->frameGeometry().width()) / double(extents.first);
    const double v = toTwips(outer->frameGeometry().height()) / double(extents.second);
    const QString name = formName(form);
    for (ControlRecord& r : controls)
        if (r.formName == name) {
            r.left = static_cast<int>(roundEven(h * r.left));
            r.width = static_cast<int>(roundEven(h * r.width));
            r.top = static_cast<int>(roundEven(v * r.top));
            r.height = static_cast<int>(roundEven(v * r.height));
        }
}

} // namespace

void FitwellControl::ResizeControls() {
    QWidget* form = workableForm(parentWidget());
    if (!form)
        return;
    Guard guard;
    const bool extents = findFormRecord(form) < 0 && isSizableMdiChild(form);
    const auto extent = extents ? extentsOf(form, this) : std::pair<long long, long long>{};
    long long horizontal = 100, vertical = 100;
    scaleRatios(form, this, &horizontal, &vertical);
    // Nothing moves when the controls already stand at these ratios; a form
    // brought back to its recorded size is put back to its recorded layout.
    FormRecord& record = forms[static_cast<size_t>(findFormRecord(form))];
    if (horizontal != record.placedHorizontal || vertical != record.placedVertical) {
        for (QWidget* control : controlsOf(form, this))
            repositionControl(control, form, horizontal, vertical);
        record.placedHorizontal = horizontal;
        record.placedVertical = vertical;
    }
    if (extents)
        rescaleRecords(form, extent);
}

void FitwellControl::ResetControls() {
    QWidget* form = workableForm(parentWidget());
    if (!form)
        return;
    {
        Guard guard;
        const int at = findFormRecord(form);
        if (at >= 0) {
            recordForm(at, form, this);
            const QString name = formName(form);
            for (QWidget* control : controlsOf(form, this)) {
                const int existing = findControlRecord(control, name);
                recordControl(existing >= 0 ? existing : static_cast<int>(controls.size()), control,
                              name);
            }
            return;
        }
    }
    ResizeControls();
}

void FitwellControl::About() {
    const QString caption = QStringLiteral("Fitwell - keeps every control in proportion");
    const QString text = QStringLiteral("Fitwell\nby the Gearlog developers");
    if (aboutPresenter)
        aboutPresenter(caption, text);
    else
        QMessageBox::information(window(), caption, text);
}

void FitwellControl::setAboutPresenter(
    std::function<void(const QString&, const QString&)> presenter) {
    aboutPresenter = std::move(presenter);
}

bool FitwellControl::recordedGeometry(const QWidget* control, int* left, int* top, int* width,
                                      int* height) {
    const int at = findControlRecord(control, control->window()->objectName());
    if (at < 0)
        return false;
    const ControlRecord& r = controls[static_cast<size_t>(at)];
    *left = r.left;
    *top = r.top;
    *width = r.width;
    *height = r.height;
    return true;
}

} // namespace fitwell
