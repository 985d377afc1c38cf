// The top-level handler of the window's commands: every failure ends in the standard error box,
// none escapes into the event loop, and the wait cursor goes.
#include "ScriptedUi.h"
#include "platform/Errors.h"

#include <QApplication>

#include <new>
#include <stdexcept>

TEST(Guard, EveryFailureEndsInTheErrorBox)
{
    const struct {
        const char *name;
        std::function<void()> command;
        QStringList shown;
    } cases[] = {
        {"the program's own error", [] { throw Exception(QStringLiteral("Brak tabeli")); }, {"error: Brak tabeli."}},
        {"memory running out", [] { throw std::bad_alloc(); }, {QStringLiteral("error: Za mało pamięci, aby dokończyć tę pracę.")}},
        {"a library's error", [] { throw std::runtime_error("zły stan"); }, {QStringLiteral("error: zły stan.")}},
        {"anything else", [] { throw 42; }, {QStringLiteral("error: Nieznany błąd.")}},
        {"a silent abort", [] { throw EAbort(); }, {}},
    };
    for (const auto &c : cases) {
        ScriptedUi ui;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ui.runCommand(c.command);
        EXPECT_EQ(ui.take(), c.shown) << c.name;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << c.name;
    }
}
