#include "app/fParamDlg.h"
#include "support/TestSupport.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace {

using ParamDlg = testsupport::PolishTest;

TEST_F(ParamDlg, ShowsTheDescriptionAndTheDateAndConfirmsWithOk)
{
    TfrmParamDlg dialog(QStringLiteral("dataOd"), QDate(2004, 3, 5));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Wprowadź parametr"));
    EXPECT_EQ(dialog.size(), QSize(232, 77));
    EXPECT_EQ(dialog.lblOpis->text(), QStringLiteral("dataOd"));
    EXPECT_EQ(dialog.edDate->text(), QStringLiteral("05.03.2004"));
    EXPECT_EQ(dialog.edDate->geometry(), QRect(16, 32, 113, 23));
    EXPECT_EQ(dialog.edDate->toolTip(),
              QStringLiteral("Należy wybrać datę, gdyż jest ona niezbędna do wykonania zestawienia"));
    EXPECT_EQ(dialog.BitBtn1->geometry(), QRect(144, 32, 75, 25));

    QCalendarWidget *calendar = dialog.edDate->calendarWidget();
    EXPECT_EQ(calendar->windowTitle(), QStringLiteral("Wybierz datę"));
    QStringList hints;
    for (const QToolButton *button : calendar->findChildren<QToolButton *>())
        hints.append(button->toolTip());
    for (const char *hint : {"poprzedni miesiąc", "poprzedni rok", "następny miesiąc", "następny rok"})
        EXPECT_TRUE(hints.contains(QString::fromUtf8(hint))) << hint;
    // The calendar speaks Polish whatever the system's language.
    EXPECT_EQ(calendar->locale().monthName(3), QStringLiteral("marca"));
    calendar->findChild<QToolButton *>(QStringLiteral("nastepnyRok"))->click();
    EXPECT_EQ(calendar->yearShown(), 2005);

    dialog.edDate->setDate(QDate(2024, 2, 29));
    dialog.show();
    dialog.BitBtn1->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.date(), QDate(2024, 2, 29));
}

TEST_F(ParamDlg, WithoutADefaultOffersToday)
{
    TfrmParamDlg dialog(QStringLiteral("Podaj datę"), QDate());
    EXPECT_EQ(dialog.date(), QDate::currentDate());
}

} // namespace
