#pragma once

#include "UiServices.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QDialog>
#include <QStringList>
#include <deque>
#include <functional>

namespace gearlog::test {

// UI services for tests: answers come from queues the test fills, and
// every message, question and dialog is recorded. An unexpected call gets
// the cancelling answer and is recorded in `unexpected`.
class ScriptedUi : public UiServices {
public:
    ScriptedUi() { setUiServices(this); }
    ~ScriptedUi() override { setUiServices(nullptr); }

    std::deque<bool> yesNo;
    std::deque<QString> files;     // open and save dialogs; "" cancels
    std::deque<QColor> colours;    // an invalid colour cancels
    std::deque<QString> passwords; // a null string cancels
    // Each handler plays one modal dialog and returns its result.
    std::deque<std::function<int(QDialog&)>> dialogs;

    QStringList messages, questions, fileTitles, passwordPrompts, dialogNames, unexpected;
    QStringList details; // of the errors shown
    std::vector<MessageIcon> icons;
    int beeps = 0;
    // Runs while a message or question is on screen, as the user reads it.
    std::function<void(const QString&)> whileShown;

    void message(const QString& text, MessageIcon icon) override {
        messages << text;
        icons.push_back(icon);
        if (whileShown)
            whileShown(text);
    }
    void showError(const QString& text, const QString& detail) override {
        message(text, MessageIcon::Exclamation);
        details << detail;
    }
    bool askYesNo(const QString& text) override {
        questions << text;
        if (whileShown)
            whileShown(text);
        return take(yesNo, false, QStringLiteral("question: ") + text);
    }
    QString openFile(const QString& title, const QString&, const QString&) override {
        fileTitles << title;
        return take(files, QString(), QStringLiteral("open dialog: ") + title);
    }
    std::optional<QString> saveFile(const QString& title, const QString&, const QString&,
                                    const QString&, const QString&) override {
        fileTitles << title;
        const QString f = take(files, QString(), QStringLiteral("save dialog: ") + title);
        return f.isEmpty() ? std::nullopt : std::optional<QString>(f);
    }
    std::optional<QColor> chooseColour(const QColor&) override {
        const QColor c = take(colours, QColor(), QStringLiteral("colour dialog"));
        return c.isValid() ? std::optional<QColor>(c) : std::nullopt;
    }
    std::optional<QString> askPassword(const QString& prompt) override {
        passwordPrompts << prompt;
        const QString p = take(passwords, QString(), QStringLiteral("password: ") + prompt);
        return p.isNull() ? std::nullopt : std::optional<QString>(p);
    }
    void beep() override { ++beeps; }
    QStringList documents; // opened in the desktop's viewer
    bool openDocument(const QString& path) override {
        documents << path;
        return true;
    }
    int runModal(QDialog& dialog) override {
        dialogNames << dialog.objectName();
        auto handler = take(dialogs, std::function<int(QDialog&)>(),
                            QStringLiteral("dialog: ") + dialog.objectName());
        return handler ? handler(dialog) : QDialog::Rejected;
    }

private:
    template <typename T> T take(std::deque<T>& queue, T fallback, const QString& what) {
        if (queue.empty()) {
            unexpected << what;
            return fallback;
        }
        T value = std::move(queue.front());
        queue.pop_front();
        return value;
    }
};

} // namespace gearlog::test
