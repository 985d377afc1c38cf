#pragma once

#include <QDialog>
#include <QStringList>

class QPushButton;
class QTableWidget;
class SearchOptionsBox;

// The dialog "Szukanie rekordu" of the search by index (TfmSzukajPoIndeksie): one row per field
// that orders the data set, its value typed beside it, and the two options.
class TfmSzukajPoIndeksie : public QDialog {
    Q_OBJECT
public:
    explicit TfmSzukajPoIndeksie(QWidget *parent = nullptr);

    // One row per field name, the values empty.
    void setFields(const QStringList &names);
    QString fieldAt(int row) const;
    QString valueAt(int row) const;
    int fieldRows() const;

    SearchOptionsBox *options;
    QPushButton *BitBtn1, *BitBtn2;
    QTableWidget *sgWarunek;
};
