#pragma once

#include "DialogScript.h"
#include "db/Database.h"
#include "db/Query.h"
#include "gridtools/DBGrid.h"
#include "gridtools/DataSetModel.h"
#include "gridtools/GridToolUi.h"
#include "platform/Errors.h"
#include "support/TestSupport.h"

// The tools' user interface in a test: dialogs closed by the script, a command's error recorded as
// the standard error box would show it, the notes for the status bar recorded.
class ScriptedToolUi : public GridToolUi {
public:
    DialogScript dialogs;
    QStringList errors;
    QStringList statuses;

    int runDialog(QDialog &dialog) override { return dialogs.run(dialog); }
    void runCommand(const std::function<void()> &command) override
    {
        try {
            command();
        } catch (const Exception &e) {
            errors.append(e.message());
        }
    }
    void showStatus(const QString &text) override { statuses.append(text); }
};

// The sum of two doubles as the grid shows an amount, by Python's decimal arithmetic: the sum's
// shortest decimal rounded to two places, ties to even, with the regional comma ("45284,76").
QString shownSum(double a, double b);

// A result grid over a query of customers (KOD, NAZWA, MIASTO, CENA, OPIS a memo) in a temporary
// working folder.
class GridTest : public testsupport::FolderTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Opens the query over the customers, ordered as given.
    void openCustomers(const QString &orderBy = QString());
    // Opens a query over invoices with values the engine computes: BRUTTO = NETTO + VAT (the
    // first is 45284.759999999995, shown as 45284,76), the date-time ODEBRANO an hour after
    // WYSLANO; the last invoice has no VAT, so neither BRUTTO nor dates.
    void openInvoices();
    // The values of a field over the visible records.
    QStringList column(const QString &field) const;
    void selectCell(int record, int column);

    Database database;
    Query query{database};
    DataSetModel model{query};
    std::unique_ptr<DBGrid> grid;
    ScriptedToolUi ui;
};
