#include "fSzukajPoIndeksie.h"

#include "SearchOptionsBox.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>

TfmSzukajPoIndeksie::TfmSzukajPoIndeksie(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmSzukajPoIndeksie"));
    setWindowTitle(QStringLiteral("Szukanie rekordu"));
    options = new SearchOptionsBox(this);
    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_FileDialogContentsView), QStringLiteral("&Szukaj"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Anuluj"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    sgWarunek = new QTableWidget(0, 2, this);
    sgWarunek->setObjectName(QStringLiteral("sgWarunek"));
    sgWarunek->setHorizontalHeaderLabels({QStringLiteral("Pole"), QStringLiteral("Wartość")});
    sgWarunek->verticalHeader()->setVisible(false);
    sgWarunek->verticalHeader()->setDefaultSectionSize(20);
    sgWarunek->horizontalHeader()->setDefaultSectionSize(170);
    sgWarunek->horizontalHeader()->setStretchLastSection(true);
    sgWarunek->setEditTriggers(QAbstractItemView::AllEditTriggers);

    auto *grid = new QGridLayout(this);
    grid->addWidget(options, 0, 0, 2, 1);
    grid->addWidget(BitBtn1, 0, 1);
    grid->addWidget(BitBtn2, 1, 1, Qt::AlignTop);
    grid->addWidget(sgWarunek, 2, 0, 1, 2);
    grid->setRowStretch(2, 1);
    resize(368, 361);
    setTabOrder(sgWarunek, options);
    setTabOrder(options, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
    sgWarunek->setFocus();
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TfmSzukajPoIndeksie::setFields(const QStringList &names)
{
    // The names stand in a fixed first column, the values are typed beside them.
    sgWarunek->setRowCount(static_cast<int>(names.size()));
    for (int r = 0; r < sgWarunek->rowCount(); ++r) {
        auto *name = new QTableWidgetItem(names[r]);
        name->setFlags(Qt::ItemIsEnabled);
        name->setBackground(palette().button());
        sgWarunek->setItem(r, 0, name);
        sgWarunek->setItem(r, 1, new QTableWidgetItem(QString()));
    }
    if (!names.isEmpty())
        sgWarunek->setCurrentCell(0, 1);
}

int TfmSzukajPoIndeksie::fieldRows() const
{
    return sgWarunek->rowCount();
}

QString TfmSzukajPoIndeksie::fieldAt(int row) const
{
    const QTableWidgetItem *item = sgWarunek->item(row, 0);
    return item ? item->text() : QString();
}

QString TfmSzukajPoIndeksie::valueAt(int row) const
{
    const QTableWidgetItem *item = sgWarunek->item(row, 1);
    return item ? item->text() : QString();
}
