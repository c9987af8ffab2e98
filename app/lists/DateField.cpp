#include "DateField.h"

#include "AppState.h"
#include "Form_calendar.h"
#include "UiServices.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace gearlog {

bool pick_date(AppState& state, const QDate& initial, QWidget* parent) {
    state.dialog_date = initial;
    // A picker closed without an answer must not count as one.
    state.dialog_cancelled = true;
    Form_calendar picker(state, parent);
    ui().runModal(picker);
    return !state.dialog_cancelled;
}

bool run_date_field(QLineEdit& box, AppState& state, QWidget* parent) {
    const QDate current = parse_date(box.text());
    if (!pick_date(state, current.isValid() ? current : QDate::currentDate(), parent))
        return false;
    box.setText(state.dialog_date.isValid() ? format_date(state.dialog_date) : QString());
    return true;
}

namespace {

class DatePickerOpener : public QObject {
public:
    DatePickerOpener(QLineEdit& box, AppState& state, std::function<void()> picked)
        : QObject(&box), m_box(box), m_state(state), m_picked(std::move(picked)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        bool open = false;
        if (event->type() == QEvent::MouseButtonPress)
            open = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        else if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            open = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                   key->key() == Qt::Key_Space ||
                   (key->key() == Qt::Key_Down && key->modifiers() & Qt::AltModifier);
        }
        if (!open)
            return false;
        if (run_date_field(m_box, m_state, m_box.window()) && m_picked)
            m_picked();
        return true;
    }

private:
    QLineEdit& m_box;
    AppState& m_state;
    std::function<void()> m_picked;
};

} // namespace

void attach_date_picker(QLineEdit& box, AppState& state, std::function<void()> picked) {
    box.installEventFilter(new DatePickerOpener(box, state, std::move(picked)));
}

} // namespace gearlog
