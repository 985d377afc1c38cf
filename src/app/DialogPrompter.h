#pragma once

#include "UiServices.h"
#include "query/Prompter.h"

// The parameter questions of a run as the window asks them: the date dialog and the text box
// "Podaj parametr SQL".
class DialogPrompter : public Prompter {
public:
    explicit DialogPrompter(UiServices &ui) : m_ui(ui) {}

    std::optional<QDate> askDate(const QString &, const QString &description, const QDate &initial) override
    {
        return m_ui.date(description, initial);
    }
    std::optional<QString> askText(const QString &, const QString &prompt) override
    {
        return m_ui.input(caption(), prompt, QString());
    }
    std::optional<QString> askNumber(const QString &, const QString &prompt, const QString &value) override
    {
        return m_ui.input(caption(), prompt, value);
    }

    std::optional<QString> askExportName(const QString &name) override
    {
        return m_ui.input(QStringLiteral("Wprowadź nazwę pliku"), QStringLiteral(".XLS, .DB, .DBF, .TXT, .CSV"), name);
    }

private:
    static QString caption() { return QStringLiteral("Podaj parametr SQL"); }
    UiServices &m_ui;
};
