#include "fParamDlg.h"

#include "platform/RegionalSettings.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace {

// The calendar's navigation bar steps by months; a year back and a year on get buttons of their
// own at its ends.
void addYearButtons(QCalendarWidget *calendar)
{
    auto *bar = calendar->findChild<QWidget *>(QStringLiteral("qt_calendar_navigationbar"));
    auto *layout = bar ? qobject_cast<QHBoxLayout *>(bar->layout()) : nullptr;
    if (!layout)
        return;
    const auto yearButton = [bar](const char *name, const QString &text, const QString &hint) {
        auto *button = new QToolButton(bar);
        button->setObjectName(QLatin1String(name));
        button->setText(text);
        button->setToolTip(hint);
        button->setAutoRaise(true);
        return button;
    };
    QToolButton *previous = yearButton("poprzedniRok", QStringLiteral("«"), QStringLiteral("poprzedni rok"));
    QToolButton *next = yearButton("nastepnyRok", QStringLiteral("»"), QStringLiteral("następny rok"));
    QObject::connect(previous, &QToolButton::clicked, calendar, &QCalendarWidget::showPreviousYear);
    QObject::connect(next, &QToolButton::clicked, calendar, &QCalendarWidget::showNextYear);
    layout->insertWidget(0, previous);
    layout->addWidget(next);
}

} // namespace

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
    // Month and day names in Polish, as the rest of the program, whatever the system's language.
    const QLocale polish(QLocale::Polish, QLocale::Poland);
    edDate->setLocale(polish);
    QCalendarWidget *calendar = edDate->calendarWidget();
    calendar->setLocale(polish);
    calendar->setWindowTitle(QStringLiteral("Wybierz datę"));
    calendar->setFirstDayOfWeek(Qt::Monday);
    if (auto *previous = calendar->findChild<QToolButton *>(QStringLiteral("qt_calendar_prevmonth")))
        previous->setToolTip(QStringLiteral("poprzedni miesiąc"));
    if (auto *next = calendar->findChild<QToolButton *>(QStringLiteral("qt_calendar_nextmonth")))
        next->setToolTip(QStringLiteral("następny miesiąc"));
    addYearButtons(calendar);

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), this);
    BitBtn1->setGeometry(144, 32, 75, 25);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

QDate TfrmParamDlg::date() const
{
    return edDate->date();
}
