#include "fSortujDowolnieQuery.h"

#include <QDragMoveEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionFocusRect>
#include <QVBoxLayout>

// ---- the lists -------------------------------------------------------------------------------------

SortFieldList::SortFieldList(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setDropIndicatorShown(false);
}

void SortFieldList::outline(int row)
{
    if (m_outlined == row + 1)
        return;
    m_outlined = row + 1;
    viewport()->update();
}

void SortFieldList::dragEnterEvent(QDragEnterEvent *event)
{
    event->setAccepted(qobject_cast<QListWidget *>(event->source()) != nullptr);
}

void SortFieldList::dragMoveEvent(QDragMoveEvent *event)
{
    auto *source = qobject_cast<QListWidget *>(event->source());
    const QPoint at = event->position().toPoint();
    outline(source == this && itemAt(at) ? row(itemAt(at)) : -1);
    if (TfmSortujDowolnieQuery::acceptsDrop(*this, source, at))
        event->acceptProposedAction();
    else
        event->ignore();
}

void SortFieldList::dragLeaveEvent(QDragLeaveEvent *event)
{
    outline(-1);
    QListWidget::dragLeaveEvent(event);
}

void SortFieldList::dropEvent(QDropEvent *event)
{
    outline(-1);
    auto *source = qobject_cast<QListWidget *>(event->source());
    const QPoint at = event->position().toPoint();
    if (!TfmSortujDowolnieQuery::acceptsDrop(*this, source, at)) {
        event->ignore();
        return;
    }
    // The dialog moves the entries itself; the list's own move must not remove them again.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit dropped(source, at);
}

void SortFieldList::paintEvent(QPaintEvent *event)
{
    QListWidget::paintEvent(event);
    if (m_outlined <= 0 || m_outlined > count())
        return;
    QPainter painter(viewport());
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = visualItemRect(item(m_outlined - 1));
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
}

// ---- the dialog ------------------------------------------------------------------------------------

TfmSortujDowolnieQuery::TfmSortujDowolnieQuery(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmSortujDowolnieQuery"));
    setWindowTitle(QStringLiteral("Wybór pól do sortowania"));
    lsSource = new SortFieldList(this);
    lsSource->setObjectName(QStringLiteral("lsSource"));
    lsDest = new SortFieldList(this);
    lsDest->setObjectName(QStringLiteral("lsDest"));
    QFont bold = font();
    bold.setBold(true);
    btnMoveDest = new QPushButton(QStringLiteral("->"), this);
    btnMoveDest->setObjectName(QStringLiteral("btnMoveDest"));
    btnMoveDest->setFont(bold);
    btnMoveSource = new QPushButton(QStringLiteral("<-"), this);
    btnMoveSource->setObjectName(QStringLiteral("btnMoveSource"));
    btnMoveSource->setFont(bold);
    auto *directions = new QGroupBox(QStringLiteral("Sposób sortowania"), this);
    directions->setObjectName(QStringLiteral("rgRodzajSortowania"));
    rbAsc = new QRadioButton(QStringLiteral("&ASC"), directions);
    rbDesc = new QRadioButton(QStringLiteral("&DESC"), directions);
    rbAsc->setChecked(true);
    auto *directionLayout = new QVBoxLayout(directions);
    directionLayout->addWidget(rbAsc);
    directionLayout->addWidget(rbDesc);
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Anuluj"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));

    auto *moves = new QVBoxLayout;
    moves->addStretch(1);
    moves->addWidget(btnMoveDest);
    moves->addSpacing(24);
    moves->addWidget(btnMoveSource);
    moves->addStretch(1);
    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Dostępne pola"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Sortowane pola"), this), 0, 2);
    grid->addWidget(lsSource, 1, 0);
    grid->addLayout(moves, 1, 1);
    grid->addWidget(lsDest, 1, 2);
    grid->addWidget(directions, 2, 0);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn1);
    buttons->addStretch(1);
    buttons->addWidget(BitBtn2);
    grid->addLayout(buttons, 2, 1, 1, 2, Qt::AlignBottom);
    grid->setRowStretch(1, 1);
    resize(413, 312);

    connect(btnMoveDest, &QPushButton::clicked, this, &TfmSortujDowolnieQuery::btnMoveDestClick);
    connect(btnMoveSource, &QPushButton::clicked, this, &TfmSortujDowolnieQuery::btnMoveSourceClick);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    for (SortFieldList *list : {lsSource, lsDest}) {
        list->installEventFilter(this);
        connect(list, &SortFieldList::dropped, this,
                [this, list](QListWidget *source, const QPoint &at) { dragDrop(list, source, at); });
    }
}

QStringList TfmSortujDowolnieQuery::chosen() const
{
    QStringList entries;
    for (int i = 0; i < lsDest->count(); ++i)
        entries.append(lsDest->item(i)->text());
    return entries;
}

void TfmSortujDowolnieQuery::btnMoveDestClick()
{
    moveToChosen();
}

void TfmSortujDowolnieQuery::btnMoveSourceClick()
{
    moveBack();
}

void TfmSortujDowolnieQuery::lsSourceKeyDown(int key)
{
    if (key == Qt::Key_Right)
        moveToChosen();
}

void TfmSortujDowolnieQuery::lsDestKeyDown(int key)
{
    if (key == Qt::Key_Left)
        moveBack();
}

bool TfmSortujDowolnieQuery::eventFilter(QObject *watched, QEvent *event)
{
    // The arrow keys move entries between the lists and are still the lists' own keys.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (watched == lsSource)
            lsSourceKeyDown(key);
        else if (watched == lsDest)
            lsDestKeyDown(key);
    }
    return QDialog::eventFilter(watched, event);
}

void TfmSortujDowolnieQuery::selectNear(QListWidget &list, int row)
{
    list.setFocus();
    if (list.count() == 0)
        return;
    list.setCurrentRow(std::min(row, list.count() - 1), QItemSelectionModel::ClearAndSelect);
}

// The selected entries in list order, with the position of the first; -1 when none is selected.
// They are taken before any moves, as removing an entry selects its neighbour.
std::pair<QList<QListWidgetItem *>, int> TfmSortujDowolnieQuery::takeSelected(QListWidget &list)
{
    QList<QListWidgetItem *> selected;
    int first = -1;
    for (int row = 0; row < list.count(); ++row) {
        if (!list.item(row)->isSelected())
            continue;
        if (first < 0)
            first = row;
        selected.append(list.item(row));
    }
    for (QListWidgetItem *item : selected)
        list.takeItem(list.row(item));
    return {selected, first};
}

void TfmSortujDowolnieQuery::moveToChosen()
{
    const QString direction = rbDesc->isChecked() ? QStringLiteral("DESC") : QStringLiteral("ASC");
    const auto [selected, first] = takeSelected(*lsSource);
    if (first < 0)
        return;
    for (QListWidgetItem *item : selected) {
        item->setText(item->text() + QLatin1Char(' ') + direction);
        item->setSelected(false);
        lsDest->addItem(item);
    }
    selectNear(*lsSource, first);
}

void TfmSortujDowolnieQuery::moveBack()
{
    const auto [selected, first] = takeSelected(*lsDest);
    if (first < 0)
        return;
    for (QListWidgetItem *item : selected) {
        QString name = item->text();
        const qsizetype asc = name.indexOf(QLatin1String(" ASC"));
        name.truncate(asc >= 0 ? asc : name.indexOf(QLatin1String(" DESC")));
        item->setText(name);
        item->setSelected(false);
        lsSource->addItem(item);
    }
    selectNear(*lsDest, first);
}

void TfmSortujDowolnieQuery::reorder(const QPoint &at)
{
    QListWidgetItem *target = lsDest->itemAt(at);
    QListWidgetItem *focused = lsDest->currentItem();
    if (!target || !focused || target == focused)
        return;
    const int to = lsDest->row(target);
    QListWidgetItem *moving = lsDest->takeItem(lsDest->row(focused));
    lsDest->insertItem(to, moving);
    selectNear(*lsDest, to);
}

bool TfmSortujDowolnieQuery::acceptsDrop(const QListWidget &target, const QListWidget *source, const QPoint &at)
{
    if (!source)
        return false;
    if (source != &target)
        return true;
    if (target.isSortingEnabled() || target.selectedItems().size() != 1 || !target.currentItem())
        return false;
    const QListWidgetItem *under = target.itemAt(at);
    return under && under != target.currentItem();
}

void TfmSortujDowolnieQuery::dragDrop(QListWidget *target, QListWidget *source, const QPoint &at)
{
    if (target == lsDest && source == lsSource)
        moveToChosen();
    else if (target == lsSource && source == lsDest)
        moveBack();
    else if (target == lsDest && source == lsDest)
        reorder(at);
}
