#pragma once

#include <functional>

class QDialog;

// What the grid tools need of the program's user interface: showing a tool's modal dialog, and
// running a command whose errors go to the standard error box. The program shows the dialogs;
// tests fill in their controls and close them.
class GridToolUi {
public:
    virtual ~GridToolUi() = default;
    // QDialog::Accepted or Rejected.
    virtual int runDialog(QDialog &dialog) = 0;
    virtual void runCommand(const std::function<void()> &command) = 0;
};
