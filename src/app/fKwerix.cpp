#include "fKwerix.h"

#include "Guard.h"
#include "ResultModel.h"
#include "UiPrompts.h"
#include "UiServices.h"
#include "export/XlsToCsv.h"
#include "platform/Errors.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"
#include "query/NumberText.h"
#include "query/QueryPrompts.h"
#include "query/QueryRunner.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

enum Page { Wydruki, Przygotowanie, Pomoc, Historia };

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

QSplitter *yellowSplitter(Qt::Orientation orientation, int width, QWidget *parent)
{
    auto *splitter = new QSplitter(orientation, parent);
    splitter->setHandleWidth(width);
    splitter->setOpaqueResize(true);
    splitter->setChildrenCollapsible(false);
    splitter->setStyleSheet(QStringLiteral("QSplitter::handle { background-color: yellow; }"));
    return splitter;
}

QPushButton *button(const QString &caption, const QString &hint, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setToolTip(hint);
    return b;
}

// A page of a read-only text with one button under it.
QWidget *textPage(QPlainTextEdit *&text, QPushButton *&button, const QString &caption)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    text = new QPlainTextEdit(page);
    text->setReadOnly(true);
    text->setFont(sansFont(10));
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(text, 1);
    button = new QPushButton(caption, page);
    layout->addWidget(button, 0, Qt::AlignLeft);
    return page;
}

QTableView *resultGrid(ResultModel *model, QWidget *parent)
{
    auto *grid = new QTableView(parent);
    grid->setModel(model);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->verticalHeader()->setDefaultSectionSize(18);
    grid->setWordWrap(false);
    // Every new result gets columns as wide as its fields' display widths and its titles.
    QObject::connect(model, &QAbstractItemModel::modelReset, grid, [grid, model] {
        const QFontMetrics metrics(grid->font());
        const QFontMetrics titles(grid->horizontalHeader()->font());
        for (int c = 0; c < model->columnCount(); ++c) {
            const int data = metrics.horizontalAdvance(QString(model->displayWidth(c), QLatin1Char('0')));
            const int title = titles.horizontalAdvance(model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
            grid->setColumnWidth(c, std::max(data, title) + 12);
        }
    });
    return grid;
}

} // namespace

// What a run shows: the status bar, the history page, the message boxes and the result label.
class TfrmKwerix::RunHost : public ::RunHost {
public:
    explicit RunHost(TfrmKwerix &window) : w(window) {}

    void beginWait() override { QApplication::setOverrideCursor(Qt::WaitCursor); }
    void endWait() override { QApplication::restoreOverrideCursor(); }
    void showStatus(const QString &text) override
    {
        w.setStatusText(text);
        w.statusPanel->repaint();
    }
    void appendHistory(const QString &line) override { w.appendHistory(line); }
    void showError(const QString &text) override { w.m_ui.message(UiServices::Kind::Error, text); }
    void resultOpened(int rows) override
    {
        w.Label4->setText(QStringLiteral("Wynik zapytania (%1 poz.)").arg(rows));
    }
    void exportResult(const QString &name) override
    {
        w.m_ui.message(UiServices::Kind::Information,
                       QStringLiteral("\r\nZapis wyniku do pliku %1 nie jest jeszcze dostępny.").arg(name));
    }
    void setFieldsAvailable(bool available) override { w.btnGetFields->setEnabled(available); }

private:
    TfrmKwerix &w;
};

TfrmKwerix::TfrmKwerix(const QString &catalogueFile, UiServices &ui, QWidget *parent)
    : QMainWindow(parent), m_ui(ui)
{
    // The result data set first: every other part of the window works on it.
    m_database = std::make_unique<Database>();
    m_result = std::make_unique<Query>(*m_database);
    useNumberText();
    m_model = std::make_unique<ResultModel>(*m_result);
    m_catalogue = std::make_unique<QueryCatalogue>(catalogueFile);
    m_prompter = std::make_unique<UiPrompts>(m_ui);
    m_prompts = std::make_unique<QueryPrompts>(*m_prompter, m_catalogue->directory());
    m_runHost = std::make_unique<RunHost>(*this);
    m_runner = std::make_unique<QueryRunner>(*m_catalogue, *m_result, *m_prompts, *m_runHost);
    buildWindow();
    connectHandlers();
    formCreate();
}

TfrmKwerix::~TfrmKwerix() = default;

// ---- building --------------------------------------------------------------------------------------

void TfrmKwerix::buildWindow()
{
    setWindowTitle(QStringLiteral("Drukowanie, przeglądanie i poprawianie z użyciem zapytań SQL"));
    setFont(sansFont(8));
    resize(793, 596);
    if (const QScreen *screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    pc = new QTabWidget(this);
    TabSheet1 = buildWydruki();
    TabSheet2 = buildPrzygotowanie();
    TabSheet3 = buildPomoc();
    TabSheet4 = buildHistoria();
    pc->addTab(TabSheet1, QStringLiteral("Wydruki"));
    pc->addTab(TabSheet2, QStringLiteral("Przygotowanie"));
    pc->addTab(TabSheet3, QStringLiteral("Pomoc"));
    pc->addTab(TabSheet4, QStringLiteral("Historia"));
    btnExit = new QPushButton(QStringLiteral("&Wyjście"), pc);
    pc->setCornerWidget(btnExit, Qt::TopRightCorner);
    setCentralWidget(pc);

    statusPanel = new QLabel(this);
    statusPanel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // One line however long the text: a statement shown there must not push the pages up.
    statusPanel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusBar()->addWidget(statusPanel, 1);
    statusBar()->setSizeGripEnabled(true);
}

QWidget *TfrmKwerix::buildWydruki()
{
    auto *page = new QWidget;
    Splitter1 = yellowSplitter(Qt::Horizontal, 4, page);
    pnlBtns = new QWidget(Splitter1);
    auto *left = new QVBoxLayout(pnlBtns);
    left->setContentsMargins(4, 4, 4, 4);
    left->addWidget(new QLabel(QStringLiteral("Gotowe zapytania"), pnlBtns));
    lbxSpisSQL = new QListWidget(pnlBtns);
    lbxSpisSQL->setFont(fixedFont());
    lbxSpisSQL->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbxSpisSQL->setUniformItemSizes(true);
    lbxSpisSQL->setMouseTracking(true);
    lbxSpisSQL->viewport()->installEventFilter(this);
    lbxSpisSQL->installEventFilter(this);
    left->addWidget(lbxSpisSQL, 1);

    auto *order = new QHBoxLayout;
    BitBtn1 = button(QString(), QStringLiteral("Przesuń w górę"), pnlBtns);
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    BitBtn2 = button(QString(), QStringLiteral("Przesuń w dół"), pnlBtns);
    BitBtn2->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    BitBtn3 = button(QString(), QStringLiteral("Zapamiętaj aktualną kolejność"), pnlBtns);
    BitBtn3->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    order->addWidget(BitBtn1);
    order->addWidget(BitBtn2);
    order->addWidget(BitBtn3);
    order->addStretch(1);
    left->addLayout(order);

    auto *commands = new QGridLayout;
    btnNew = button(QStringLiteral("&Nowe"), QStringLiteral("Nowe zapytanie SQL"), pnlBtns);
    btnEdit = button(QStringLiteral("&Edytuj"), QStringLiteral("Edycja istniejącego zapytania SQL"), pnlBtns);
    btnDel = button(QStringLiteral("&Usuń"), QStringLiteral("Usunięcie istniejącego zapytania SQL"), pnlBtns);
    btnOpenSQL = button(QStringLiteral("&Wykonaj"), QStringLiteral("Otwarcie istniejącego zapytania SQL"), pnlBtns);
    btnPreview = button(QStringLiteral("&Podgląd"), QStringLiteral("Podgląd wydruku stworzonego na podstawie zapytania"),
                        pnlBtns);
    btnPrint = button(QStringLiteral("&Drukuj"), QStringLiteral("Wydruk wyniku zapytania"), pnlBtns);
    bWykres = button(QStringLiteral("Wykres"), QString(), pnlBtns);
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

    grdQRY = resultGrid(m_model.get(), Splitter1);
    grdQRY->setContextMenuPolicy(Qt::CustomContextMenu);
    DBGridPopupMenu1 = new QMenu(grdQRY);
    Drukuj1 = DBGridPopupMenu1->addAction(QStringLiteral("Drukuj"));
    wrzplik1 = DBGridPopupMenu1->addAction(QStringLiteral("Utwórz plik"));
    PokaUkryjinne1 = DBGridPopupMenu1->addAction(QStringLiteral("Pokaż / Ukryj inne"));
    czytajXls1 = DBGridPopupMenu1->addAction(QStringLiteral("przepisz .XLS do .CSV "));
    DBGridPopupMenu1->addSeparator();
    // The report and the exports come with their own work.
    Drukuj1->setEnabled(false);
    wrzplik1->setEnabled(false);
    connect(grdQRY, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { DBGridPopupMenu1->popup(grdQRY->viewport()->mapToGlobal(at)); });

    Splitter1->addWidget(pnlBtns);
    Splitter1->addWidget(grdQRY);
    Splitter1->setStretchFactor(1, 1);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Splitter1);
    return page;
}

QWidget *TfrmKwerix::buildPrzygotowanie()
{
    auto *page = new QWidget;
    Splitter2 = yellowSplitter(Qt::Vertical, 3, page);

    auto *top = new QWidget(Splitter2);
    auto *topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(4, 4, 4, 4);
    auto *texts = new QVBoxLayout;
    texts->addWidget(new QLabel(QStringLiteral("Tytuł wydruku"), top));
    edNazwa = new QLineEdit(top);
    texts->addWidget(edNazwa);
    texts->addWidget(new QLabel(QStringLiteral("Treść zapytania"), top));
    memTRESC = new QPlainTextEdit(top);
    memTRESC->setFont(fixedFont());
    memTRESC->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memTRESC->setLineWrapMode(QPlainTextEdit::NoWrap);
    texts->addWidget(memTRESC, 1);
    topLayout->addLayout(texts, 1);

    auto *commands = new QVBoxLayout;
    btnSave = new QPushButton(QStringLiteral("&Zapisz"), top);
    btnTest = new QPushButton(QStringLiteral("Testuj SQL"), top);
    btnGetFields = new QPushButton(QStringLiteral("Pobierz pola"), top);
    btnGetFields->setEnabled(false);
    commands->addWidget(btnSave);
    commands->addWidget(btnTest);
    commands->addWidget(btnGetFields);
    commands->addStretch(1);
    Label4 = new QLabel(QStringLiteral("Wynik zapytania"), top);
    commands->addWidget(Label4);
    topLayout->addLayout(commands);

    auto *layoutControls = new QVBoxLayout;
    rbxUklad = new QGroupBox(QStringLiteral(" Układ Wydruku "), top);
    rbPoziomy = new QRadioButton(QStringLiteral("POZIOMY"), rbxUklad);
    rbPionowy = new QRadioButton(QStringLiteral("PIONOWY"), rbxUklad);
    rbPoziomy->setChecked(true);
    auto *radios = new QVBoxLayout(rbxUklad);
    radios->addWidget(rbPoziomy);
    radios->addWidget(rbPionowy);
    layoutControls->addWidget(rbxUklad);
    czyLP = new QCheckBox(QStringLiteral("Lp."), top);
    czyLP->setToolTip(QStringLiteral("Drukuje liczbę porządkową"));
    chLinia = new QCheckBox(QStringLiteral("Krawędź"), top);
    chLinia->setToolTip(QStringLiteral("Czy po każdym wierszu drukować podkreślenie?"));
    layoutControls->addWidget(czyLP);
    layoutControls->addWidget(chLinia);
    auto *sizes = new QGridLayout;
    sizes->addWidget(new QLabel(QStringLiteral("Czcionka"), top), 0, 0);
    sizes->addWidget(new QLabel(QStringLiteral("Wysokość"), top), 0, 1);
    edFont = new QLineEdit(QStringLiteral("8"), top);
    edFont->setToolTip(QStringLiteral("Pozwala ustalić rozmiar czcionki na wydruku"));
    edWys = new QLineEdit(top);
    edWys->setToolTip(QStringLiteral("Wysokość pojedynczego wiersza wydruku [mm]"));
    edFont->setMaximumWidth(60);
    edWys->setMaximumWidth(60);
    sizes->addWidget(edFont, 1, 0);
    sizes->addWidget(edWys, 1, 1);
    layoutControls->addLayout(sizes);
    layoutControls->addStretch(1);
    topLayout->addLayout(layoutControls);

    auto *bottom = new QWidget(Splitter2);
    auto *bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(4, 4, 4, 4);
    DBGrid1 = resultGrid(m_model.get(), bottom);
    bottomLayout->addWidget(DBGrid1, 1);
    grdFields = new QTableWidget(1, 3, bottom);
    const struct {
        const char *caption;
        const char *hint;
        int width;
    } columns[] = {
        {"Nazwa pola", "Nazwa pola pojawiająca się w wyniku zapytania", 90},
        {"Szer.", "Szerokość pola na wydruku [mm]\nGdy nie jest podana to ustawiana jest szerokość domyślna", 38},
        {"Suma", "Czy pole ma być podsumowane\nT - będzie\ninna wartość - nie będzie", 33},
    };
    QFont bold = font();
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

    Splitter2->addWidget(top);
    Splitter2->addWidget(bottom);
    Splitter2->setSizes({184, 400});
    Splitter2->setStretchFactor(1, 1);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Splitter2);
    return page;
}

QWidget *TfrmKwerix::buildPomoc()
{
    return textPage(Memo1, BitBtn4, QStringLiteral("LOCAL SQL HLP"));
}

QWidget *TfrmKwerix::buildHistoria()
{
    QWidget *page = textPage(Memo3, Button1, QStringLiteral("Skasuj historię"));
    Memo3->setLineWrapMode(QPlainTextEdit::NoWrap);
    return page;
}

void TfrmKwerix::run(void (TfrmKwerix::*handler)())
{
    guarded(m_ui, [this, handler] { (this->*handler)(); });
}

void TfrmKwerix::connectHandlers()
{
    const auto on = [this](QPushButton *b, void (TfrmKwerix::*handler)()) {
        connect(b, &QPushButton::clicked, this, [this, handler] { run(handler); });
    };
    on(btnExit, &TfrmKwerix::btnExitClick);
    on(btnNew, &TfrmKwerix::btnNewClick);
    on(btnEdit, &TfrmKwerix::btnEditClick);
    on(btnDel, &TfrmKwerix::btnDelClick);
    on(BitBtn1, &TfrmKwerix::BitBtn1Click);
    on(BitBtn2, &TfrmKwerix::BitBtn2Click);
    on(BitBtn3, &TfrmKwerix::BitBtn3Click);
    on(btnGetFields, &TfrmKwerix::btnGetFieldsClick);
    on(BitBtn4, &TfrmKwerix::BitBtn4Click);
    on(Button1, &TfrmKwerix::Button1Click);
    connect(btnSave, &QPushButton::clicked, this, [this] { guarded(m_ui, [this] { btnSaveClick(); }); });
    on(btnOpenSQL, &TfrmKwerix::btnOpenSQLClick);
    on(btnTest, &TfrmKwerix::btnTestClick);
    for (QPushButton *later : {btnPreview, btnPrint, bWykres})
        on(later, &TfrmKwerix::notBuiltYet);
    connect(PokaUkryjinne1, &QAction::triggered, this, [this] { run(&TfrmKwerix::PokaUkryjinne1Click); });
    connect(czytajXls1, &QAction::triggered, this, [this] { run(&TfrmKwerix::czytajXls1Click); });
    connect(lbxSpisSQL, &QListWidget::itemClicked, this, [this] { run(&TfrmKwerix::lbxSpisSQLClick); });
    connect(lbxSpisSQL, &QListWidget::itemDoubleClicked, this, [this] { run(&TfrmKwerix::lbxSpisSQLDblClick); });
    connect(pc, &QTabWidget::currentChanged, this, &TfrmKwerix::onPageChanged);
}

void TfrmKwerix::useNumberText()
{
    // Floating-point fields show their amounts in digit groups in both grids; the text is made
    // only for the cells drawn.
    connect(m_result.get(), &DataSet::resetDone, this, [this] {
        for (int i = 0; i < m_result->fieldCount(); ++i) {
            Field *field = m_result->field(i);
            if (field->dataType() == FieldType::ftFloat)
                field->setOnGetText([](const Field &f, qsizetype row) { return tekstLiczby(f, row); });
        }
    });
}

void TfrmKwerix::notBuiltYet()
{
    m_ui.message(UiServices::Kind::Information, QStringLiteral("\r\nTa funkcja nie jest jeszcze dostępna."));
}

// ---- start-up and exit -------------------------------------------------------------------------

void TfrmKwerix::formCreate()
{
    reloadTitles();
    const ShellSettings settings = m_catalogue->readSettings();
    m_rememberedIndex = settings.ostatniSql;
    if (!settings.czyTworzyc)
        PokaUkryjinne1Click();
    m_initialSplit = settings.split1;
    m_history = std::make_unique<HistoryLog>(HistoryLog::pathFor(m_catalogue->directory(), m_catalogue->prefix()));
    guarded(m_ui, [this] {
        m_history->createIfMissing();
        Memo3->setPlainText(m_history->load().join(QLatin1Char('\n')));
    });
    if (settings.ws)
        setWindowState(windowState() | Qt::WindowMaximized);
    updateButtons();
}

bool TfrmKwerix::event(QEvent *e)
{
    // The first showing or activation, whichever comes first (without a window manager a window
    // may never be activated).
    if ((e->type() == QEvent::WindowActivate || e->type() == QEvent::Show) && !m_activated) {
        m_activated = true;
        run(&TfrmKwerix::FormActivate);
    }
    return QMainWindow::event(e);
}

void TfrmKwerix::FormActivate()
{
    // Only the first activation: coming back from a dialog leaves the user where they were. The
    // remembered index read at start-up still stands, as nothing has run since. The splitter is
    // sized here because before the first showing it has no width to share.
    Splitter1->setSizes({m_initialSplit, std::max(100, Splitter1->width() - m_initialSplit)});
    if (pc->currentIndex() != Wydruki)
        pc->setCurrentIndex(Wydruki);
    else
        TabSheet1Show();
}

void TfrmKwerix::btnExitClick()
{
    const bool editing = editingMode();
    if (editing && pc->currentIndex() == Przygotowanie && !TabSheet2Hide())
        return;
    ShellSettings settings;
    settings.ostatniSql = m_rememberedIndex;
    settings.split1 = pnlBtns->width();
    settings.ws = isMaximized();
    settings.czyTworzyc = editing;
    m_catalogue->saveSettings(settings);
    m_result->close();
    hide();
    close();
}

void TfrmKwerix::closeEvent(QCloseEvent *e)
{
    // Closing by the title bar saves no settings, but unsaved query text is not dropped silently.
    bool leave = false;
    guarded(m_ui, [&] { leave = !editingMode() || pc->currentIndex() != Przygotowanie || TabSheet2Hide(); });
    if (!leave) {
        e->ignore();
        return;
    }
    m_result->close();
    e->accept();
}

// ---- pages -------------------------------------------------------------------------------------

void TfrmKwerix::onPageChanged(int index)
{
    if (m_switchingPage)
        return;
    const int previous = m_currentPage;
    m_currentPage = index;
    if (previous == Przygotowanie && index != Przygotowanie) {
        // A save that fails with an error keeps the user on the page with the text as typed.
        bool leave = false;
        guarded(m_ui, [&] { leave = TabSheet2Hide(); });
        if (!leave) {
            // The user's text stays where it is.
            m_switchingPage = true;
            pc->setCurrentIndex(Przygotowanie);
            m_switchingPage = false;
            m_currentPage = Przygotowanie;
            return;
        }
    }
    switch (index) {
    case Wydruki: run(&TfrmKwerix::TabSheet1Show); break;
    case Przygotowanie: run(&TfrmKwerix::TabSheet2Show); break;
    case Pomoc: run(&TfrmKwerix::TabSheet3Show); break;
    case Historia: run(&TfrmKwerix::TabSheet4Show); break;
    default: break;
    }
}

void TfrmKwerix::TabSheet1Show()
{
    QApplication::restoreOverrideCursor();
    lbxSpisSQL->clearSelection();
    if (m_rememberedIndex >= 0 && m_rememberedIndex < lbxSpisSQL->count()) {
        lbxSpisSQL->setCurrentRow(m_rememberedIndex, QItemSelectionModel::ClearAndSelect);
    } else {
        lbxSpisSQL->setCurrentRow(-1, QItemSelectionModel::Clear);
        lbxSpisSQL->clearSelection();
    }
}

void TfrmKwerix::TabSheet2Show()
{
    QApplication::restoreOverrideCursor();
    m_rememberedIndex = currentEntry();
    pokazTab2();
}

void TfrmKwerix::updateButtons()
{
    const bool any = lbxSpisSQL->count() > 0;
    for (QPushButton *b : {btnEdit, btnDel, btnOpenSQL, bWykres, btnPreview, btnPrint})
        b->setEnabled(any);
    btnNew->setEnabled(true);
}

// ---- the list ----------------------------------------------------------------------------------

int TfrmKwerix::currentEntry() const
{
    return lbxSpisSQL->currentItem() ? lbxSpisSQL->currentRow() : -1;
}

bool TfrmKwerix::editingMode() const
{
    return pc->isTabVisible(Przygotowanie);
}

void TfrmKwerix::reloadTitles()
{
    lbxSpisSQL->clear();
    lbxSpisSQL->addItems(m_catalogue->loadTitles());
    m_hintRow = -1;
}

void TfrmKwerix::lbxSpisSQLClick()
{
    m_rememberedIndex = currentEntry();
}

void TfrmKwerix::lbxSpisSQLDblClick()
{
    btnEditClick();
}

void TfrmKwerix::lbxSpisSQLMouseMove(const QPoint &position)
{
    QListWidgetItem *item = lbxSpisSQL->itemAt(position);
    if (!item)
        return;
    const QString path = m_catalogue->resolveTextFile(item->text());
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    setStatusText(path);
    statusBar()->repaint();
    // The mouse moves many times over one entry: its text is read once.
    const int row = lbxSpisSQL->row(item);
    if (row == m_hintRow && path == m_hintPath)
        return;
    QString hint = QString::number(row) + QStringLiteral(": ");
    for (const QString &line : textfile::readLines(path))
        hint += line + QLatin1Char('\n');
    lbxSpisSQL->setToolTip(hint);
    m_hintRow = row;
    m_hintPath = path;
}

bool TfrmKwerix::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == lbxSpisSQL->viewport() && e->type() == QEvent::MouseMove) {
        const QPoint at = static_cast<QMouseEvent *>(e)->position().toPoint();
        guarded(m_ui, [&] { lbxSpisSQLMouseMove(at); });
    }
    // List hints show only in editing mode.
    if ((watched == lbxSpisSQL || watched == lbxSpisSQL->viewport()) && e->type() == QEvent::ToolTip && !m_listHints)
        return true;
    return QMainWindow::eventFilter(watched, e);
}

void TfrmKwerix::setStatusText(const QString &text)
{
    m_statusText = text;
    statusPanel->setText(QString(text).replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), QLatin1Char(' ')));
}

QString TfrmKwerix::statusText() const
{
    return m_statusText;
}

void TfrmKwerix::BitBtn1Click()
{
    const int row = currentEntry();
    if (row <= 0)
        return;
    QListWidgetItem *item = lbxSpisSQL->takeItem(row);
    lbxSpisSQL->insertItem(row - 1, item);
    lbxSpisSQL->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
    m_rememberedIndex = row - 1;
}

void TfrmKwerix::BitBtn2Click()
{
    const int row = currentEntry();
    if (row < 0 || row >= lbxSpisSQL->count() - 1)
        return;
    QListWidgetItem *item = lbxSpisSQL->takeItem(row);
    lbxSpisSQL->insertItem(row + 1, item);
    lbxSpisSQL->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
    m_rememberedIndex = row + 1;
}

void TfrmKwerix::BitBtn3Click()
{
    QStringList titles;
    for (int i = 0; i < lbxSpisSQL->count(); ++i)
        titles.append(lbxSpisSQL->item(i)->text());
    m_catalogue->saveOrder(titles);
}

void TfrmKwerix::PokaUkryjinne1Click()
{
    const bool editing = !editingMode();
    pc->setTabVisible(Przygotowanie, editing);
    btnNew->setVisible(editing);
    btnDel->setVisible(editing);
    btnEdit->setVisible(editing);
    m_listHints = editing;
    BitBtn3->setEnabled(editing);
    if (editing) {
        reloadTitles();
        return;
    }
    lbxSpisSQL->setToolTip(QString());
    for (int i = lbxSpisSQL->count() - 1; i >= 0; --i) {
        if (lbxSpisSQL->item(i)->text().startsWith(QLatin1Char('_')))
            delete lbxSpisSQL->takeItem(i);
    }
}

// ---- editing -----------------------------------------------------------------------------------

void TfrmKwerix::btnEditClick()
{
    m_rememberedIndex = currentEntry();
    pc->setCurrentIndex(Przygotowanie);
}

void TfrmKwerix::setFieldRows(const std::vector<FieldLayout> &rows)
{
    grdFields->setRowCount(std::max<int>(1, static_cast<int>(rows.size())));
    for (int r = 0; r < grdFields->rowCount(); ++r) {
        const FieldLayout row = r < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(r)] : FieldLayout{};
        grdFields->setItem(r, 0, new QTableWidgetItem(row.name));
        grdFields->setItem(r, 1, new QTableWidgetItem(row.width));
        grdFields->setItem(r, 2, new QTableWidgetItem(row.sum));
    }
}

std::vector<FieldLayout> TfrmKwerix::fieldRows() const
{
    std::vector<FieldLayout> rows;
    const auto text = [this](int r, int c) {
        const QTableWidgetItem *item = grdFields->item(r, c);
        return item ? item->text() : QString();
    };
    for (int r = 0; r < grdFields->rowCount(); ++r)
        rows.push_back({text(r, 0), text(r, 1), text(r, 2)});
    return rows;
}

int TfrmKwerix::orientation() const
{
    return rbPionowy->isChecked() ? 1 : 0;
}

bool TfrmKwerix::anyTextChanged() const
{
    return edNazwa->isModified() || memTRESC->document()->isModified();
}

void TfrmKwerix::clearChangedFlags()
{
    edNazwa->setModified(false);
    memTRESC->document()->setModified(false);
}

void TfrmKwerix::pokazTab2()
{
    if (lbxSpisSQL->count() == 0)
        return;
    if (currentEntry() < 0) {
        m_ui.message(UiServices::Kind::Error, QStringLiteral("\r\nMusisz najpierw wybrać zapytanie"));
        return;
    }
    m_result->close();
    btnGetFields->setEnabled(false);
    const QString title = lbxSpisSQL->currentItem()->text();
    bool found = false;
    const QueryEntry entry = m_catalogue->readEntry(title, &found);
    edNazwa->setText(title);
    (entry.layout.orientation == 1 ? rbPionowy : rbPoziomy)->setChecked(true);
    memTRESC->setPlainText(found ? entry.sql.join(QLatin1Char('\n')) : QString());
    clearChangedFlags();
    if (!found)
        m_ui.message(UiServices::Kind::Error, QStringLiteral("\r\nBrak pliku z treścią SQL ") + title);
    czyLP->setChecked(entry.layout.rowNumbers);
    chLinia->setChecked(entry.layout.rowLine);
    edFont->setText(QString::number(entry.layout.fontSize));
    edWys->setText(numbers::formatFloat(entry.layout.rowHeight));
    setFieldRows(entry.layout.fields);
}

void TfrmKwerix::btnNewClick()
{
    if (pc->currentIndex() == Przygotowanie)
        pokazTab2();
    else
        pc->setCurrentIndex(Przygotowanie);
    m_result->close();
    btnGetFields->setEnabled(false);
    setFieldRows({});
    edNazwa->clear();
    memTRESC->clear();
    rbPoziomy->setChecked(true);
    clearChangedFlags();
}

bool TfrmKwerix::btnSaveClick()
{
    const QString title = edNazwa->text();
    if (title.isEmpty()) {
        m_ui.message(UiServices::Kind::Error, QStringLiteral("\r\nTytuł wydruku nie może być pusty"));
        return false;
    }
    const std::vector<FieldLayout> rows = fieldRows();
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const FieldLayout &row = rows[static_cast<size_t>(r)];
        if (!row.name.isEmpty() && !row.width.isEmpty() && !numbers::tryParseInt(row.width)) {
            grdFields->setCurrentCell(r, 1);
            m_ui.message(UiServices::Kind::Error, QLatin1Char('"') + row.width + QStringLiteral("\" nie jest liczbą całkowitą"));
            return false;
        }
    }
    // The changed flags stay set until the save has succeeded: a save that fails leaves the text
    // as unsaved as it was.
    EntryForm form;
    form.title = title;
    form.sql = textfile::splitLines(memTRESC->toPlainText());
    form.orientation = orientation();
    form.rowNumbers = czyLP->isChecked();
    form.rowLine = chLinia->isChecked();
    form.fontSizeText = edFont->text();
    form.rowHeightText = edWys->text();
    form.fields = rows;
    // The list shows the title once the catalogue holds it, even when a later step fails.
    const auto reload = [this, &title] {
        reloadTitles();
        const QStringList titles = m_catalogue->loadTitles();
        for (int i = 0; i < titles.size(); ++i) {
            if (titles[i].compare(title, Qt::CaseInsensitive) == 0) {
                m_rememberedIndex = i;
                break;
            }
        }
    };
    try {
        m_catalogue->saveEntry(form);
    } catch (...) {
        if (m_catalogue->ini().valueExists(QStringLiteral("NAZWA_SQL"), title))
            reload();
        throw;
    }
    reload();
    m_result->close();
    clearChangedFlags();
    updateButtons();
    if (m_rememberedIndex >= 0 && m_rememberedIndex < lbxSpisSQL->count())
        lbxSpisSQL->setCurrentRow(m_rememberedIndex, QItemSelectionModel::ClearAndSelect);
    return true;
}

void TfrmKwerix::btnDelClick()
{
    if (currentEntry() < 0) {
        m_ui.message(UiServices::Kind::Error, QStringLiteral("\r\nMusisz najpierw wybrać zapytanie"));
        return;
    }
    const QString title = lbxSpisSQL->currentItem()->text();
    if (!m_ui.ask(UiServices::Kind::Warning, QStringLiteral("Czy na pewno usunąć zapytanie SQL:") + title))
        return;
    m_catalogue->deleteEntry(title);
    m_result->close();
    reloadTitles();
    updateButtons();
}

bool TfrmKwerix::TabSheet2Hide()
{
    if (!anyTextChanged())
        return true;
    if (m_ui.question(QStringLiteral("Tekst został zmieniony"), QStringLiteral("Czy zapamiętać")) && !btnSaveClick())
        return false;
    clearChangedFlags();
    return true;
}

// ---- print layout ------------------------------------------------------------------------------

void TfrmKwerix::btnGetFieldsClick()
{
    const QString title = edNazwa->text();
    if (title.isEmpty())
        m_ui.message(UiServices::Kind::Warning, QStringLiteral("\r\nTytuł wydruku nie powinien być pusty"));
    std::vector<FieldLayout> rows;
    const IniFile &ini = m_catalogue->ini();
    for (int i = 0; i < m_result->fieldCount(); ++i) {
        const Field *field = m_result->field(i);
        FieldLayout row{field->fieldName(), QString(), QString()};
        if (!title.isEmpty()) {
            const QString widths = title + QStringLiteral("_SZER"), sums = title + QStringLiteral("_SUMA");
            row.width = ini.readString(widths, row.name, QStringLiteral("20"));
            row.sum = ini.valueExists(sums, row.name)
                ? ini.readString(sums, row.name, QString())
                : (field->dataType() == FieldType::ftString ? QString() : QStringLiteral("T"));
        }
        rows.push_back(row);
    }
    setFieldRows(rows);
}

// ---- help and history --------------------------------------------------------------------------

void TfrmKwerix::TabSheet3Show()
{
    const QString path = paths::join(m_catalogue->directory(), QStringLiteral("vSql.hlp"));
    if (QFileInfo(path).isFile())
        Memo1->setPlainText(textfile::readLines(path).join(QLatin1Char('\n')));
}

void TfrmKwerix::BitBtn4Click()
{
    m_ui.openWithDesktop(paths::join(m_catalogue->directory(), QStringLiteral("localSql.hlp")));
}

void TfrmKwerix::TabSheet4Show()
{
    if (m_history->exists())
        Memo3->setPlainText(m_history->load().join(QLatin1Char('\n')));
}

void TfrmKwerix::Button1Click()
{
    Memo3->clear();
    m_history->clear();
}

// ---- running queries ---------------------------------------------------------------------------

void TfrmKwerix::btnOpenSQLClick()
{
    const int entry = currentEntry();
    if (entry < 0) {
        m_ui.message(UiServices::Kind::Error, QStringLiteral("\r\nMusisz najpierw wybrać zapytanie"));
        return;
    }
    m_runner->runTitle(lbxSpisSQL->item(entry)->text());
    updateButtons();
}

void TfrmKwerix::btnTestClick()
{
    m_runner->testSql(textfile::splitLines(memTRESC->toPlainText()));
}

void TfrmKwerix::appendHistory(const QString &line)
{
    Memo3->appendPlainText(line);
    m_history->append(line);
}

// ---- conversion --------------------------------------------------------------------------------

void TfrmKwerix::czytajXls1Click()
{
    const auto name = m_ui.input(QStringLiteral("Wprowadź nazwę pliku"), QStringLiteral(".XLS"), QStringLiteral(".xls"));
    if (!name)
        return;
    WaitCursor wait;
    przepiszXlsDoCsv(m_xls, m_catalogue->directory(), *name);
}
