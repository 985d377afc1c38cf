#pragma once

#include "UiServices.h"

class QWidget;

// The dialogs as the desktop shows them.
class QtUiServices : public UiServices {
public:
    explicit QtUiServices(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }

    void message(Kind kind, const QString &text) override;
    bool ask(Kind kind, const QString &text) override;
    bool question(const QString &caption, const QString &text) override;
    std::optional<QString> input(const QString &caption, const QString &prompt, const QString &value) override;
    std::optional<QDate> date(const QString &description, const QDate &initial) override;
    void error(const QString &text) override;
    void openWithDesktop(const QString &path) override;
    std::optional<QString> saveFileName(const QString &caption, const QString &suggested, const QString &filter) override;
    void previewReport(ReportOutput &output) override;
    std::optional<PrintChoice> printDialog(const PrintRequest &request, const PrintChoice &proposed) override;
    int runDialog(QDialog &dialog) override;
    void runCommand(const std::function<void()> &command) override;

private:
    QWidget *m_parent;
};
