#include "MainWindowControls.h"

#include "gridtools/GridToolUi.h"
#include "gridtools/DBGrid.h"
#include "gridtools/DBGridPopupMenu.h"
#include "gridtools/DataSetModel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QFont sansFont(int points)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(points);
    return font;
}

// "Fixedsys": the desktop's fixed-pitch font.
QFont fixedFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(10);
    return font;
}

// Gives the control its name, so that it can be found by it (tests, accessibility tools).
template <class W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QSplitter *yellowSplitter(Qt::Orientation orientation, int width, QWidget *parent)
{
    auto *splitter = new QSplitter(orientation, parent);
    splitter->setHandleWidth(width);
    splitter->setOpaqueResize(true);
    splitter->setChildrenCollapsible(false);
    splitter->setStyleSheet(QStringLiteral("QSplitter::handle { background-color: yellow; }"));
    return splitter;
}

QPushButton *button(const char *name, const QString &caption, const QString &hint, QWidget *parent)
{
    auto *b = named(new QPushButton(caption, parent), name);
    b->setToolTip(hint);
    return b;
}

// A page of a read-only text with one button under it.
QWidget *textPage(QPlainTextEdit *&text, const char *textName, QPushButton *&button, const char *buttonName,
                  const QString &caption)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    text = named(new QPlainTextEdit(page), textName);
    text->setReadOnly(true);
    text->setFont(sansFont(10));
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(text, 1);
    button = named(new QPushButton(caption, page), buttonName);
    layout->addWidget(button, 0, Qt::AlignLeft);
    return page;
}

// The window's font of 8 points is set on the grid itself: the splitters' style sheet keeps the
// window's font from reaching their children.
DBGrid *resultGrid(const char *name, DataSetModel &model, QWidget *parent)
{
    DBGrid *grid = named(new DBGrid(model, parent), name);
    grid->setFont(sansFont(8));
    return grid;
}

} // namespace

void MainWindowControls::build(QMainWindow &window, DataSetModel &model, GridToolUi &ui)
{
    window.setWindowTitle(QStringLiteral("Drukowanie, przeglądanie i poprawianie z użyciem zapytań SQL"));
    window.setFont(sansFont(8));
    window.resize(793, 596);
    if (const QScreen *screen = QApplication::primaryScreen())
        window.move(screen->availableGeometry().center() - window.rect().center());

    pc = named(new QTabWidget(&window), "pc");
    tabWydruki = named(buildWydruki(window, model, ui), "TabSheet1");
    tabPrzygotowanie = named(buildPrzygotowanie(window, model), "TabSheet2");
    tabPomoc = named(textPage(memHelp, "Memo1", btnSqlHelp, "BitBtn4", QStringLiteral("LOCAL SQL HLP")), "TabSheet3");
    tabHistoria = named(textPage(memHistory, "Memo3", btnClearHistory, "Button1", QStringLiteral("Skasuj historię")),
                        "TabSheet4");
    memHistory->setLineWrapMode(QPlainTextEdit::NoWrap);
    pc->addTab(tabWydruki, QStringLiteral("Wydruki"));
    pc->addTab(tabPrzygotowanie, QStringLiteral("Przygotowanie"));
    pc->addTab(tabPomoc, QStringLiteral("Pomoc"));
    pc->addTab(tabHistoria, QStringLiteral("Historia"));
    btnExit = named(new QPushButton(QStringLiteral("&Wyjście"), pc), "btnExit");
    pc->setCornerWidget(btnExit, Qt::TopRightCorner);
    window.setCentralWidget(pc);
    buildStatusBar(window);
}

void MainWindowControls::buildStatusBar(QMainWindow &window)
{
    statusPanel = named(new QLabel(&window), "statusPanel");
    statusPanel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // One line however long the text: a statement shown there must not push the pages up.
    statusPanel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    window.statusBar()->addWidget(statusPanel, 1);
    // Long work shows how far it got and can be called off; both are hidden otherwise.
    progressBar = named(new QProgressBar(&window), "progressBar");
    progressBar->setMaximumWidth(160);
    progressBar->setTextVisible(false);
    progressBar->hide();
    btnCancelWork = named(new QToolButton(&window), "btnCancelWork");
    btnCancelWork->setText(QStringLiteral("Przerwij"));
    btnCancelWork->setToolTip(QStringLiteral("Przerywa wczytywanie (Esc)"));
    btnCancelWork->hide();
    window.statusBar()->addPermanentWidget(progressBar);
    window.statusBar()->addPermanentWidget(btnCancelWork);
    window.statusBar()->setSizeGripEnabled(true);
}

QWidget *MainWindowControls::buildWydruki(QMainWindow &window, DataSetModel &model, GridToolUi &ui)
{
    auto *page = new QWidget;
    splitList = named(yellowSplitter(Qt::Horizontal, 4, page), "Splitter1");
    pnlBtns = named(new QWidget(splitList), "pnlBtns");
    auto *left = new QVBoxLayout(pnlBtns);
    left->setContentsMargins(4, 4, 4, 4);
    left->addWidget(new QLabel(QStringLiteral("Gotowe zapytania"), pnlBtns));
    lbxSpisSQL = named(new QListWidget(pnlBtns), "lbxSpisSQL");
    lbxSpisSQL->setFont(fixedFont());
    lbxSpisSQL->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbxSpisSQL->setUniformItemSizes(true);
    lbxSpisSQL->setMouseTracking(true);
    left->addWidget(lbxSpisSQL, 1);

    const QStyle *style = window.style();
    auto *order = new QHBoxLayout;
    btnMoveUp = button("BitBtn1", QString(), QStringLiteral("Przesuń w górę"), pnlBtns);
    btnMoveUp->setIcon(style->standardIcon(QStyle::SP_ArrowUp));
    btnMoveDown = button("BitBtn2", QString(), QStringLiteral("Przesuń w dół"), pnlBtns);
    btnMoveDown->setIcon(style->standardIcon(QStyle::SP_ArrowDown));
    btnSaveOrder = button("BitBtn3", QString(), QStringLiteral("Zapamiętaj aktualną kolejność"), pnlBtns);
    btnSaveOrder->setIcon(style->standardIcon(QStyle::SP_DialogSaveButton));
    order->addWidget(btnMoveUp);
    order->addWidget(btnMoveDown);
    order->addWidget(btnSaveOrder);
    order->addStretch(1);
    left->addLayout(order);

    auto *commands = new QGridLayout;
    btnNew = button("btnNew", QStringLiteral("&Nowe"), QStringLiteral("Nowe zapytanie SQL"), pnlBtns);
    btnEdit = button("btnEdit", QStringLiteral("&Edytuj"), QStringLiteral("Edycja istniejącego zapytania SQL"), pnlBtns);
    btnDel = button("btnDel", QStringLiteral("&Usuń"), QStringLiteral("Usunięcie istniejącego zapytania SQL"), pnlBtns);
    btnOpenSQL = button("btnOpenSQL", QStringLiteral("&Wykonaj"), QStringLiteral("Otwarcie istniejącego zapytania SQL"),
                        pnlBtns);
    btnPreview = button("btnPreview", QStringLiteral("&Podgląd"),
                        QStringLiteral("Podgląd wydruku stworzonego na podstawie zapytania"), pnlBtns);
    btnPrint = button("btnPrint", QStringLiteral("&Drukuj"), QStringLiteral("Wydruk wyniku zapytania"), pnlBtns);
    bWykres = button("bWykres", QStringLiteral("Wykres"), QString(), pnlBtns);
    commands->addWidget(btnNew, 0, 0);
    commands->addWidget(btnEdit, 0, 1);
    commands->addWidget(btnDel, 0, 2);
    commands->addWidget(btnOpenSQL, 1, 0);
    commands->addWidget(btnPreview, 1, 1);
    commands->addWidget(btnPrint, 1, 2);
    commands->addWidget(bWykres, 2, 0);
    // Narrower than their text would like, so that the panel keeps the width the user gave it.
    for (QPushButton *b : {btnNew, btnEdit, btnDel, btnOpenSQL, btnPreview, btnPrint, bWykres})
        b->setMinimumWidth(40);
    left->addLayout(commands);

    grdQRY = resultGrid("grdQRY", model, splitList);
    // The window's own four items, then the tools of the grid.
    DBGridPopupMenu1 = named(new TDBGridPopupMenu(ui, grdQRY), "DBGridPopupMenu1");
    Drukuj1 = named(DBGridPopupMenu1->addAction(QStringLiteral("Drukuj")), "Drukuj1");
    wrzplik1 = named(DBGridPopupMenu1->addAction(QStringLiteral("Utwórz plik")), "wrzplik1");
    PokaUkryjinne1 = named(DBGridPopupMenu1->addAction(QStringLiteral("Pokaż / Ukryj inne")), "PokaUkryjinne1");
    czytajXls1 = named(DBGridPopupMenu1->addAction(QStringLiteral("przepisz .XLS do .CSV ")), "czytajXls1");
    DBGridPopupMenu1->setPozycjeMenu(pmFiltruj | pmFiltrujAktywnaKomorke | pmSortuj | pmSortujAktywnaKolumne | pmSzukaj
                                     | pmRozmiarCzcionki);
    DBGridPopupMenu1->setNaglowkiSortowania(TNaglowkiSortowania::nsOpisyIndeksow);
    DBGridPopupMenu1->setOpisyIndeksow({});
    DBGridPopupMenu1->setDBGrid(grdQRY);

    splitList->addWidget(pnlBtns);
    splitList->addWidget(grdQRY);
    splitList->setStretchFactor(1, 1);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitList);
    return page;
}

QWidget *MainWindowControls::buildPrzygotowanie(QMainWindow &window, DataSetModel &model)
{
    auto *page = new QWidget;
    splitEditor = named(yellowSplitter(Qt::Vertical, 3, page), "Splitter2");

    auto *top = new QWidget(splitEditor);
    auto *topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(4, 4, 4, 4);
    auto *texts = new QVBoxLayout;
    texts->addWidget(new QLabel(QStringLiteral("Tytuł wydruku"), top));
    edNazwa = named(new QLineEdit(top), "edNazwa");
    texts->addWidget(edNazwa);
    texts->addWidget(new QLabel(QStringLiteral("Treść zapytania"), top));
    memTRESC = named(new QPlainTextEdit(top), "memTRESC");
    memTRESC->setFont(fixedFont());
    memTRESC->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memTRESC->setLineWrapMode(QPlainTextEdit::NoWrap);
    texts->addWidget(memTRESC, 1);
    topLayout->addLayout(texts, 1);

    auto *commands = new QVBoxLayout;
    btnSave = named(new QPushButton(QStringLiteral("&Zapisz"), top), "btnSave");
    btnTest = named(new QPushButton(QStringLiteral("Testuj SQL"), top), "btnTest");
    btnGetFields = named(new QPushButton(QStringLiteral("Pobierz pola"), top), "btnGetFields");
    btnGetFields->setEnabled(false);
    commands->addWidget(btnSave);
    commands->addWidget(btnTest);
    commands->addWidget(btnGetFields);
    commands->addStretch(1);
    lblResult = named(new QLabel(QStringLiteral("Wynik zapytania"), top), "Label4");
    commands->addWidget(lblResult);
    topLayout->addLayout(commands);

    auto *layoutControls = new QVBoxLayout;
    rbxUklad = named(new QGroupBox(QStringLiteral(" Układ Wydruku "), top), "rbxUklad");
    rbPoziomy = named(new QRadioButton(QStringLiteral("POZIOMY"), rbxUklad), "rbPoziomy");
    rbPionowy = named(new QRadioButton(QStringLiteral("PIONOWY"), rbxUklad), "rbPionowy");
    rbPoziomy->setChecked(true);
    auto *radios = new QVBoxLayout(rbxUklad);
    radios->addWidget(rbPoziomy);
    radios->addWidget(rbPionowy);
    layoutControls->addWidget(rbxUklad);
    czyLP = named(new QCheckBox(QStringLiteral("Lp."), top), "czyLP");
    czyLP->setToolTip(QStringLiteral("Drukuje liczbę porządkową"));
    chLinia = named(new QCheckBox(QStringLiteral("Krawędź"), top), "chLinia");
    chLinia->setToolTip(QStringLiteral("Czy po każdym wierszu drukować podkreślenie?"));
    layoutControls->addWidget(czyLP);
    layoutControls->addWidget(chLinia);
    auto *sizes = new QGridLayout;
    sizes->addWidget(new QLabel(QStringLiteral("Czcionka"), top), 0, 0);
    sizes->addWidget(new QLabel(QStringLiteral("Wysokość"), top), 0, 1);
    edFont = named(new QLineEdit(QStringLiteral("8"), top), "edFont");
    edFont->setToolTip(QStringLiteral("Pozwala ustalić rozmiar czcionki na wydruku"));
    edWys = named(new QLineEdit(top), "edWys");
    edWys->setToolTip(QStringLiteral("Wysokość pojedynczego wiersza wydruku [mm]"));
    edFont->setMaximumWidth(60);
    edWys->setMaximumWidth(60);
    sizes->addWidget(edFont, 1, 0);
    sizes->addWidget(edWys, 1, 1);
    layoutControls->addLayout(sizes);
    layoutControls->addStretch(1);
    topLayout->addLayout(layoutControls);

    auto *bottom = new QWidget(splitEditor);
    auto *bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(4, 4, 4, 4);
    grdTestResult = resultGrid("DBGrid1", model, bottom);
    bottomLayout->addWidget(grdTestResult, 1);
    grdFields = named(new QTableWidget(1, 3, bottom), "grdFields");
    const struct {
        const char *caption;
        const char *hint;
        int width;
    } columns[] = {
        {"Nazwa pola", "Nazwa pola pojawiająca się w wyniku zapytania", 90},
        {"Szer.", "Szerokość pola na wydruku [mm]\nGdy nie jest podana to ustawiana jest szerokość domyślna", 38},
        {"Suma", "Czy pole ma być podsumowane\nT - będzie\ninna wartość - nie będzie", 33},
    };
    QFont bold = window.font();
    bold.setBold(true);
    for (int c = 0; c < 3; ++c) {
        auto *header = new QTableWidgetItem(QString::fromUtf8(columns[c].caption));
        header->setToolTip(QString::fromUtf8(columns[c].hint));
        header->setFont(bold);
        grdFields->setHorizontalHeaderItem(c, header);
        // At least as wide as the bold title in the desktop's font.
        grdFields->setColumnWidth(c, std::max(columns[c].width, QFontMetrics(bold).horizontalAdvance(header->text()) + 10));
    }
    grdFields->verticalHeader()->setVisible(false);
    grdFields->verticalHeader()->setDefaultSectionSize(18);
    grdFields->setFixedWidth(grdFields->columnWidth(0) + grdFields->columnWidth(1) + grdFields->columnWidth(2) + 24);
    bottomLayout->addWidget(grdFields);

    splitEditor->addWidget(top);
    splitEditor->addWidget(bottom);
    splitEditor->setSizes({184, 400});
    splitEditor->setStretchFactor(1, 1);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitEditor);
    return page;
}

int MainWindowControls::currentEntry() const
{
    return lbxSpisSQL->currentItem() ? lbxSpisSQL->currentRow() : -1;
}

std::optional<QString> MainWindowControls::currentTitle() const
{
    const QListWidgetItem *item = lbxSpisSQL->currentItem();
    return item ? std::optional<QString>(item->text()) : std::nullopt;
}
