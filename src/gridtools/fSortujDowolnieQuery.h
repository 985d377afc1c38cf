#pragma once

#include <QDialog>
#include <QListWidget>

class QPushButton;
class QRadioButton;

// A list of the free sort dialog: entries are dragged out of it and dropped onto it; while an
// entry of its own is dragged over it, the entry under the point is outlined with dots.
class SortFieldList : public QListWidget {
    Q_OBJECT
public:
    explicit SortFieldList(QWidget *parent = nullptr);
    // The outlined entry's position + 1; 0 when none is outlined (the list's tag).
    int outlined() const { return m_outlined; }

signals:
    // An entry of the source list was dropped at the point.
    void dropped(QListWidget *source, const QPoint &at);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void outline(int row);
    int m_outlined = 0;
};

// The dialog "Wybór pól do sortowania" (TfmSortujDowolnieQuery): fields moved from "Dostępne pola"
// to "Sortowane pola" in the order of the sort, each with its direction.
class TfmSortujDowolnieQuery : public QDialog {
    Q_OBJECT
public:
    explicit TfmSortujDowolnieQuery(QWidget *parent = nullptr);

    // The chosen entries in their order ("NAZWA ASC", "DATA DESC").
    QStringList chosen() const;

    void btnMoveDestClick();   // "->": move to chosen
    void btnMoveSourceClick(); // "<-": move back
    void lsSourceKeyDown(int key);
    void lsDestKeyDown(int key);
    // Whether an entry dragged from source may be dropped on target at the point.
    static bool acceptsDrop(const QListWidget &target, const QListWidget *source, const QPoint &at);
    // A drop of an entry dragged from source onto target at the point.
    void dragDrop(QListWidget *target, QListWidget *source, const QPoint &at);

    SortFieldList *lsSource, *lsDest;
    QPushButton *btnMoveDest, *btnMoveSource, *BitBtn1, *BitBtn2;
    QRadioButton *rbAsc, *rbDesc; // rgRodzajSortowania

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void moveToChosen();
    void moveBack();
    void reorder(const QPoint &at);
    static std::pair<QList<QListWidgetItem *>, int> takeSelected(QListWidget &list);
    // Focus on the list and its entry at the position selected, or its last when beyond the end.
    static void selectNear(QListWidget &list, int row);
};
