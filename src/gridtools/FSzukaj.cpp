#include "FSzukaj.h"

#include "SearchOptionsBox.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TfmSzukaj::TfmSzukaj(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmSzukaj"));
    setWindowTitle(QStringLiteral("Szukanie rekordu"));
    edWartosc = new QLineEdit(this);
    edWartosc->setObjectName(QStringLiteral("edWartosc"));
    options = new SearchOptionsBox(this);
    cbPole = new QComboBox(this);
    cbPole->setObjectName(QStringLiteral("cbPole"));
    BitBtn1 = new QPushButton(QStringLiteral("&Szukaj"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Anuluj"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));

    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Wartość"), this), 0, 0);
    grid->addWidget(edWartosc, 0, 1);
    grid->addWidget(options, 1, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Pole"), this), 2, 0);
    grid->addWidget(cbPole, 2, 1);
    grid->addWidget(BitBtn1, 0, 2);
    grid->addWidget(BitBtn2, 1, 2, Qt::AlignTop);
    grid->setColumnMinimumWidth(1, 160);
    resize(342, 203);
    setTabOrder(edWartosc, cbPole);
    setTabOrder(cbPole, options);
    setTabOrder(options, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
    edWartosc->setFocus();
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}
