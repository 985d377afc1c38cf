#pragma once

#include <QDate>
#include <QDialog>

class QDateEdit;
class QLabel;
class QPushButton;

// The date dialog "Wprowadź parametr": a description, a date edit with a drop-down calendar, OK.
class TfrmParamDlg : public QDialog {
    Q_OBJECT
public:
    // The date edit shows the initial date, today when it is not valid.
    TfrmParamDlg(const QString &description, const QDate &initial, QWidget *parent = nullptr);
    QDate date() const;

    QLabel *lblOpis;
    QDateEdit *edDate;
    QPushButton *BitBtn1;
};
