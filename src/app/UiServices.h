#pragma once

#include "Printing.h"
#include "gridtools/GridToolUi.h"

#include <QDate>
#include <QString>
#include <functional>
#include <optional>

class ReportOutput;

// Every modal interaction of the windows: message boxes, questions, the one-line input box, the
// date dialog, the standard error box and the desktop shell. The program shows real dialogs;
// tests answer them from a script and record what was shown.
class UiServices : public GridToolUi {
public:
    enum class Kind { Error, Warning, Information, Confirmation };

    virtual ~UiServices() = default;

    // A message box of the kind (caption "Błąd", "Ostrzeżenie", "Informacja" or "Potwierdzenie")
    // with an OK button.
    virtual void message(Kind kind, const QString &text) = 0;
    // A box of the kind with the buttons "&Tak" and "&Nie"; true for "&Tak".
    virtual bool ask(Kind kind, const QString &text) = 0;
    // A question box with its own caption and the buttons "&Tak" and "&Nie"; true for "&Tak".
    virtual bool question(const QString &caption, const QString &text) = 0;
    // The one-line input box; nothing when cancelled.
    virtual std::optional<QString> input(const QString &caption, const QString &prompt, const QString &value) = 0;
    // The date dialog "Wprowadź parametr"; nothing when closed without OK.
    virtual std::optional<QDate> date(const QString &description, const QDate &initial) = 0;
    // The application's standard error box with the error's text.
    virtual void error(const QString &text) = 0;
    // Hands a file to the desktop's viewer; nothing is shown when nothing opens it.
    virtual void openWithDesktop(const QString &path) = 0;
    // The file dialog for a new file: the caption, the suggested path and the filters
    // ("Dokumenty PDF (*.pdf)", several separated by ";;"); the name chosen has the extension of
    // the filter chosen; nothing when cancelled.
    virtual std::optional<QString> saveFileName(const QString &caption, const QString &suggested, const QString &filter) = 0;
    // The print preview of a report (pages, zoom, thumbnails, find, printing, saving); returns when
    // it has been closed.
    virtual void previewReport(ReportOutput &output) = 0;
    // The print dialog: printer or PDF file, pages, copies, collation, paper and orientation, the
    // proposal chosen at first; nothing when cancelled.
    virtual std::optional<PrintChoice> printDialog(const PrintRequest &request, const PrintChoice &proposed) = 0;
};

QString captionOf(UiServices::Kind kind);
