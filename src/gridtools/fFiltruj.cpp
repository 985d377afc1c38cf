#include "fFiltruj.h"

#include "platform/TextFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

template <class W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

QString conditionLine(const QString &field, const QString &op, const QString &value, const QString &booleanOp,
                      bool first)
{
    const QString name = field.contains(QLatin1Char(' ')) ? QLatin1Char('[') + field + QLatin1Char(']') : field;
    // An apostrophe in the value is doubled, so that O'Brien filters instead of breaking the
    // expression.
    const QString quoted = QString(value).replace(QLatin1Char('\''), QLatin1String("''"));
    const QString condition = name + QLatin1Char(' ') + op + QStringLiteral(" '") + quoted + QLatin1Char('\'');
    return first ? condition : booleanOp + QLatin1Char(' ') + condition;
}

QString filterExpression(const QStringList &lines)
{
    QString expression;
    for (const QString &line : lines)
        expression += QLatin1Char(' ') + line;
    return expression;
}

TfmFiltruj::TfmFiltruj(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmFiltruj"));
    setWindowTitle(QStringLiteral("Filtrowanie"));
    lsBooleanOperator = named(new QComboBox(this), "lsBooleanOperator");
    lsBooleanOperator->addItems({QStringLiteral("AND"), QStringLiteral("OR")});
    lsPole = named(new QComboBox(this), "lsPole");
    lsPole->setEditable(true);
    lsOperator = named(new QComboBox(this), "lsOperator");
    lsOperator->addItems({QStringLiteral("="), QStringLiteral("<>"), QStringLiteral(">"), QStringLiteral(">="),
                          QStringLiteral("<"), QStringLiteral("<="), QStringLiteral("blank"), QStringLiteral("not blank")});
    edWartosc = named(new QLineEdit(this), "edWartosc");
    memWarunek = named(new QPlainTextEdit(this), "memWarunek");
    memWarunek->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memWarunek->setLineWrapMode(QPlainTextEdit::NoWrap);
    btnDodaj = named(new QPushButton(QStringLiteral("&Dodaj"), this), "btnDodaj");
    btnWyczysc = named(new QPushButton(QStringLiteral("&Wyczyść"), this), "btnWyczysc");
    BitBtn1 = named(new QPushButton(QStringLiteral("OK"), this), "BitBtn1");
    BitBtn1->setDefault(true);
    BitBtn2 = named(new QPushButton(QStringLiteral("Anuluj"), this), "BitBtn2");
    auto *options = named(new QGroupBox(QStringLiteral("Opcje"), this), "GroupBox1");
    cbCaseSensitive = named(new QCheckBox(QStringLiteral("Uwzględniaj wielkość liter"), options), "cbCaseSensitive");
    cbPartialCompare = named(new QCheckBox(QStringLiteral("Filtrowanie przybliżone"), options), "cbPartialCompare");
    cbPartialCompare->setChecked(true);
    auto *optionsLayout = new QVBoxLayout(options);
    optionsLayout->addWidget(cbCaseSensitive);
    optionsLayout->addWidget(cbPartialCompare);

    auto *grid = new QGridLayout;
    grid->addWidget(lsBooleanOperator, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Pole"), this), 1, 0, Qt::AlignRight);
    grid->addWidget(lsPole, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Operator"), this), 2, 0, Qt::AlignRight);
    grid->addWidget(lsOperator, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Wartość"), this), 3, 0, Qt::AlignRight);
    grid->addWidget(edWartosc, 3, 1);
    grid->addWidget(btnDodaj, 0, 2);
    grid->addWidget(btnWyczysc, 1, 2);
    grid->addWidget(BitBtn1, 0, 3);
    grid->addWidget(BitBtn2, 1, 3);
    grid->addWidget(options, 2, 2, 2, 2);
    grid->setColumnMinimumWidth(1, 160);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(memWarunek, 1);
    resize(473, 315);
    setTabOrder(lsPole, edWartosc);
    setTabOrder(edWartosc, memWarunek);
    setTabOrder(memWarunek, lsOperator);
    setTabOrder(lsOperator, btnDodaj);
    setTabOrder(btnDodaj, btnWyczysc);
    setTabOrder(btnWyczysc, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
    setTabOrder(BitBtn2, lsBooleanOperator);

    connect(btnDodaj, &QPushButton::clicked, this, &TfmFiltruj::btnDodajClick);
    connect(btnWyczysc, &QPushButton::clicked, this, &TfmFiltruj::btnWyczyscClick);
    connect(memWarunek, &QPlainTextEdit::textChanged, this, &TfmFiltruj::memWarunekChange);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

QStringList TfmFiltruj::lines() const
{
    const QString text = memWarunek->toPlainText();
    return text.isEmpty() ? QStringList() : textfile::splitLines(text);
}

void TfmFiltruj::btnDodajClick()
{
    const QString line = conditionLine(lsPole->currentText(), lsOperator->currentText(), edWartosc->text(),
                                       lsBooleanOperator->currentText(), lines().isEmpty());
    memWarunek->setPlainText(lines().isEmpty() ? line : memWarunek->toPlainText() + QLatin1Char('\n') + line);
}

void TfmFiltruj::btnWyczyscClick()
{
    memWarunek->clear();
    lsBooleanOperator->setEnabled(false);
}

void TfmFiltruj::memWarunekChange()
{
    lsBooleanOperator->setEnabled(!lines().isEmpty());
}
