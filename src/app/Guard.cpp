#include "Guard.h"

#include "UiServices.h"
#include "platform/Errors.h"

#include <QApplication>
#include <QCursor>

void guarded(UiServices &ui, const std::function<void()> &handler)
{
    QString failure;
    try {
        handler();
    } catch (const EAbort &) {
    } catch (const Exception &e) {
        failure = e.message();
    } catch (const std::exception &e) {
        failure = foreignErrorText(e);
    } catch (...) {
        failure = QStringLiteral("Nieznany błąd");
    }
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    if (!failure.isNull())
        ui.error(standardErrorText(failure));
}
