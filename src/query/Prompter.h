#pragma once

#include <QDate>
#include <QString>
#include <optional>

// Answers the three questions a run may ask before a statement runs. The window shows its
// dialogs; kwerix-batch answers from its command line.
class Prompter {
public:
    virtual ~Prompter() = default;

    // The date dialog with its description and initial date (today when not valid); nothing when
    // it was closed without OK. The parameter is empty when the marker date is asked for.
    virtual std::optional<QDate> askDate(const QString &parameter, const QString &description, const QDate &initial) = 0;
    // The text box "Podaj parametr SQL" for a text or for a number (with its default); nothing
    // when cancelled.
    virtual std::optional<QString> askText(const QString &parameter, const QString &prompt) = 0;
    virtual std::optional<QString> askNumber(const QString &parameter, const QString &prompt, const QString &value) = 0;
    // The input box "Wprowadź nazwę pliku" for an export named exactly "table"; nothing when
    // cancelled.
    virtual std::optional<QString> askExportName(const QString &name) = 0;
};

// What a parameter's name says about it: the kind of its value and of its prompt, and its label in
// the parameter summary.
struct ParameterKind {
    enum Kind { Today, Date, Text, Number } kind;
    QString label;
    QString prompt; // the description of the date dialog or the text of the text box

    static ParameterKind of(const QString &name);
};
