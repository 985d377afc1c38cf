#include "fParamDlg.h"

#include "platform/RegionalSettings.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>

TfrmParamDlg::TfrmParamDlg(const QString &description, const QDate &initial, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Wprowadź parametr"));
    setFixedSize(232, 77);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    lblOpis = new QLabel(description, this);
    lblOpis->move(16, 16);
    lblOpis->adjustSize();

    edDate = new QDateEdit(initial.isValid() ? initial : QDate::currentDate(), this);
    edDate->setGeometry(16, 32, 113, 23);
    QFont font = edDate->font();
    font.setPointSize(10);
    edDate->setFont(font);
    edDate->setDisplayFormat(RegionalSettings::current().shortDateFormat);
    edDate->setCalendarPopup(true);
    edDate->setToolTip(QStringLiteral("Należy wybrać datę, gdyż jest ona niezbędna do wykonania zestawienia"));
    QCalendarWidget *calendar = edDate->calendarWidget();
    calendar->setWindowTitle(QStringLiteral("Wybierz datę"));
    calendar->setFirstDayOfWeek(Qt::Monday);
    if (auto *previous = calendar->findChild<QToolButton *>(QStringLiteral("qt_calendar_prevmonth")))
        previous->setToolTip(QStringLiteral("poprzedni miesiąc"));
    if (auto *next = calendar->findChild<QToolButton *>(QStringLiteral("qt_calendar_nextmonth")))
        next->setToolTip(QStringLiteral("następny miesiąc"));
    if (auto *year = calendar->findChild<QSpinBox *>(QStringLiteral("qt_calendar_yearedit")))
        year->setToolTip(QStringLiteral("poprzedni rok / następny rok"));

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), this);
    BitBtn1->setGeometry(144, 32, 75, 25);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

QDate TfrmParamDlg::date() const
{
    return edDate->date();
}
