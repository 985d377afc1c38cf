#pragma once

#include "platform/Progress.h"

#include <QString>

// What a session tells its front-end: the window shows it in its status bar, pages, boxes and
// cursor; kwerix-batch writes errors to standard error and stays silent otherwise.
class SessionEvents {
public:
    virtual ~SessionEvents() = default;

    // The text of the status bar's first panel, shown at once.
    virtual void statusChanged(const QString &text) = 0;
    // A line was added to the history log.
    virtual void historyAppended(const QString &line) = 0;
    // A run opened the result with this many records.
    virtual void resultOpened(int records) = 0;
    // The result data set was closed.
    virtual void resultClosed() = 0;
    // A message for the user in an error box with an OK button (not the standard error box: the
    // work ends quietly after it).
    virtual void errorMessage(const QString &text) = 0;
    // A message for the user in an information box with an OK button.
    virtual void informationMessage(const QString &text) = 0;
    // Long work began (the wait cursor) or ended.
    virtual void busyChanged(bool busy) = 0;
    // How far long work got; may throw ECancelled to call it off.
    virtual void progress(const ProgressStep &step) = 0;
};

// Events that show nothing: a front-end without a screen overrides what it reports.
class QuietEvents : public SessionEvents {
public:
    void statusChanged(const QString &) override {}
    void historyAppended(const QString &) override {}
    void resultOpened(int) override {}
    void resultClosed() override {}
    void errorMessage(const QString &) override {}
    void informationMessage(const QString &) override {}
    void busyChanged(bool) override {}
    void progress(const ProgressStep &) override {}
};
