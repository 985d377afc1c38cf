#pragma once

#include <QDialog>
#include <QStringList>
#include <deque>
#include <functional>
#include <gtest/gtest.h>

// Closes the tools' dialogs as a test says: each step fills in the dialog's controls and returns
// QDialog::Accepted or Rejected. The dialogs shown are recorded by their captions.
struct DialogScript {
    std::deque<std::function<int(QDialog &)>> steps;
    QStringList shown;

    int run(QDialog &dialog)
    {
        shown.append(dialog.windowTitle());
        if (steps.empty()) {
            ADD_FAILURE() << "a dialog the script does not close: " << dialog.windowTitle().toStdString();
            return QDialog::Rejected;
        }
        const std::function<int(QDialog &)> step = std::move(steps.front());
        steps.pop_front();
        return step(dialog);
    }
};
