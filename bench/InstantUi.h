#pragma once

#include "Form_calendar.h"
#include "UiServices.h"

#include <QDialog>

namespace gearlog::bench {

// Answers the date picker with its date and lets every message pass, so
// the commands run as a user who clicks "Done" and "OK" at once would.
class InstantUi : public UiServices {
public:
    void message(const QString&, MessageIcon) override {}
    void showError(const QString& text, const QString&) override { qFatal("%s", qPrintable(text)); }
    bool askYesNo(const QString&) override { return true; }
    QString openFile(const QString&, const QString&, const QString&) override { return {}; }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&, const QString&,
                                    const QString&) override {
        return {};
    }
    std::optional<QColor> chooseColour(const QColor&) override { return {}; }
    std::optional<QString> askPassword(const QString&) override { return {}; }
    void beep() override {}
    bool openDocument(const QString&) override { return true; }
    int runModal(QDialog& dialog) override {
        if (auto* picker = qobject_cast<Form_calendar*>(&dialog))
            picker->Command_done_Click();
        return dialog.result();
    }
};

} // namespace gearlog::bench
