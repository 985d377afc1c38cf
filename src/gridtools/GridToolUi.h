#pragma once

#include "WaitCursor.h"

#include <QString>
#include <functional>

class QDialog;

// What the grid tools need of the program's user interface: showing a tool's modal dialog, running
// a command whose errors go to the standard error box, running work that reads the result again,
// and a note in the status bar. The program shows the dialogs; tests fill in their controls and
// close them.
class GridToolUi {
public:
    virtual ~GridToolUi() = default;
    // QDialog::Accepted or Rejected.
    virtual int runDialog(QDialog &dialog) = 0;
    virtual void runCommand(const std::function<void()> &command) = 0;
    // Work that reads the result again (a sort): the wait cursor while it runs; the window also
    // shows its progress with a way to call it off, and takes them away when it ends.
    virtual void runLongWork(const std::function<void()> &work)
    {
        WaitCursor wait;
        work();
    }
    // A note of what a tool could not do (a filter the engine refuses), where the window shows its
    // status; a program without one has nowhere to show it.
    virtual void showStatus(const QString &) {}
};
