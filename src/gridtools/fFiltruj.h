#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The dialog "Filtrowanie" (TfmFiltruj): conditions composed from a field, an operator and a value
// into the lines of a filter expression, with the two filter options.
class TfmFiltruj : public QDialog {
    Q_OBJECT
public:
    explicit TfmFiltruj(QWidget *parent = nullptr);

    void btnDodajClick();
    void btnWyczyscClick();
    void memWarunekChange();
    QStringList lines() const;

    QComboBox *lsBooleanOperator, *lsPole, *lsOperator;
    QLineEdit *edWartosc;
    QPlainTextEdit *memWarunek;
    QPushButton *btnDodaj, *btnWyczysc, *BitBtn1, *BitBtn2;
    QCheckBox *cbCaseSensitive, *cbPartialCompare;
};

// One condition line: the field (in brackets when it holds a blank), the operator and the value
// between apostrophes (one inside it doubled); after the first line the boolean operator and a
// blank in front.
QString conditionLine(const QString &field, const QString &op, const QString &value, const QString &booleanOp,
                      bool first);
// The filter expression of the lines: a blank before each line, the empty text for none.
QString filterExpression(const QStringList &lines);
