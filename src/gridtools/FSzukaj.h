#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
class SearchOptionsBox;

// The dialog "Szukanie rekordu" (TfmSzukaj): the value sought, the field and the two options.
class TfmSzukaj : public QDialog {
    Q_OBJECT
public:
    explicit TfmSzukaj(QWidget *parent = nullptr);

    QLineEdit *edWartosc;
    SearchOptionsBox *options;
    QComboBox *cbPole;
    QPushButton *BitBtn1, *BitBtn2;
};
