#include "fKwerix.h"

#include "CatalogueEditing.h"
#include "DialogPrompter.h"
#include "ExportCommands.h"
#include "Guard.h"
#include "HelpAndHistory.h"
#include "ReportCommands.h"
#include "gridtools/DataSetModel.h"
#include "RunCommands.h"
#include "UChart.h"
#include "UiServices.h"
#include "WindowEvents.h"
#include "WindowToolUi.h"
#include "catalogue/QueryCatalogue.h"
#include "db/Query.h"
#include "session/Session.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QToolButton>

TfrmKwerix::TfrmKwerix(const QString &catalogueFile, UiServices &ui, QWidget *parent)
    : QMainWindow(parent),
      m_ui(ui),
      m_prompter(std::make_unique<DialogPrompter>(ui)),
      m_events(std::make_unique<WindowEvents>(m_controls, ui)),
      m_session(std::make_unique<Session>(catalogueFile, *m_prompter, *m_events)),
      m_toolUi(std::make_unique<WindowToolUi>(ui, *m_session))
{
    m_model = std::make_unique<DataSetModel>(m_session->result());
    m_controls.build(*this, *m_model, *m_toolUi);
    m_editing = std::make_unique<CatalogueEditing>(*m_session, ui, m_controls);
    m_runCommands = std::make_unique<RunCommands>(*m_session, ui, m_controls);
    m_helpAndHistory = std::make_unique<HelpAndHistory>(*m_session, ui, m_controls);
    m_reports = std::make_unique<ReportCommands>(*m_session, ui, m_controls, [this] { btnOpenSQLClick(); });
    m_exports = std::make_unique<ExportCommands>(*m_session, ui);
    connectHandlers();
    formCreate();
}

TfrmKwerix::~TfrmKwerix() = default;

int TfrmKwerix::rememberedIndex() const
{
    return m_editing->rememberedIndex();
}

bool TfrmKwerix::editingMode() const
{
    return m_editing->editingMode();
}

QString TfrmKwerix::statusText() const
{
    return m_events->statusText();
}

// ---- wiring ------------------------------------------------------------------------------------

void TfrmKwerix::run(void (TfrmKwerix::*handler)())
{
    guarded(m_ui, [this, handler] { (this->*handler)(); });
}

void TfrmKwerix::connectHandlers()
{
    const MainWindowControls &c = m_controls;
    const auto on = [this](QPushButton *b, void (TfrmKwerix::*handler)()) {
        connect(b, &QPushButton::clicked, this, [this, handler] { run(handler); });
    };
    on(c.btnExit, &TfrmKwerix::btnExitClick);
    on(c.btnNew, &TfrmKwerix::btnNewClick);
    on(c.btnEdit, &TfrmKwerix::btnEditClick);
    on(c.btnDel, &TfrmKwerix::btnDelClick);
    on(c.btnMoveUp, &TfrmKwerix::BitBtn1Click);
    on(c.btnMoveDown, &TfrmKwerix::BitBtn2Click);
    on(c.btnSaveOrder, &TfrmKwerix::BitBtn3Click);
    on(c.btnGetFields, &TfrmKwerix::btnGetFieldsClick);
    on(c.btnSqlHelp, &TfrmKwerix::BitBtn4Click);
    on(c.btnClearHistory, &TfrmKwerix::Button1Click);
    connect(c.btnSave, &QPushButton::clicked, this, [this] { guarded(m_ui, [this] { btnSaveClick(); }); });
    on(c.btnOpenSQL, &TfrmKwerix::btnOpenSQLClick);
    on(c.btnTest, &TfrmKwerix::btnTestClick);
    on(c.btnPreview, &TfrmKwerix::btnPreviewClick);
    on(c.btnPrint, &TfrmKwerix::btnPrintClick);
    on(c.bWykres, &TfrmKwerix::bWykresClick);
    connect(c.Drukuj1, &QAction::triggered, this, [this] { run(&TfrmKwerix::Drukuj1Click); });
    connect(c.wrzplik1, &QAction::triggered, this, [this] { run(&TfrmKwerix::Utwrzplik1Click); });
    connect(c.PokaUkryjinne1, &QAction::triggered, this, [this] { run(&TfrmKwerix::PokaUkryjinne1Click); });
    connect(c.czytajXls1, &QAction::triggered, this, [this] { run(&TfrmKwerix::czytajXls1Click); });
    connect(c.lbxSpisSQL, &QListWidget::itemClicked, this, [this] { run(&TfrmKwerix::lbxSpisSQLClick); });
    connect(c.lbxSpisSQL, &QListWidget::itemDoubleClicked, this, [this] { run(&TfrmKwerix::lbxSpisSQLDblClick); });
    c.lbxSpisSQL->viewport()->installEventFilter(this);
    c.lbxSpisSQL->installEventFilter(this);
    connect(c.pc, &QTabWidget::currentChanged, this, &TfrmKwerix::onPageChanged);
    connect(c.btnCancelWork, &QToolButton::clicked, m_events.get(), &WindowEvents::cancelWork);
}

bool TfrmKwerix::eventFilter(QObject *watched, QEvent *e)
{
    QListWidget *list = m_controls.lbxSpisSQL;
    if (watched == list->viewport() && e->type() == QEvent::MouseMove) {
        const QPoint at = static_cast<QMouseEvent *>(e)->position().toPoint();
        guarded(m_ui, [&] { lbxSpisSQLMouseMove(at); });
    }
    // List hints show only in editing mode.
    if ((watched == list || watched == list->viewport()) && e->type() == QEvent::ToolTip && !m_editing->listHintsOn())
        return true;
    return QMainWindow::eventFilter(watched, e);
}

// ---- start-up and exit -------------------------------------------------------------------------

void TfrmKwerix::formCreate()
{
    m_editing->reloadTitles();
    const ShellSettings settings = m_session->catalogue().readSettings();
    m_editing->setRememberedIndex(settings.ostatniSql);
    if (!settings.czyTworzyc)
        PokaUkryjinne1Click();
    m_initialSplit = settings.split1;
    guarded(m_ui, [this] { m_helpAndHistory->loadHistory(); });
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
    QSplitter *split = m_controls.splitList;
    split->setSizes({m_initialSplit, std::max(100, split->width() - m_initialSplit)});
    if (m_controls.pc->currentIndex() != MainWindowControls::Wydruki)
        m_controls.pc->setCurrentIndex(MainWindowControls::Wydruki);
    else
        TabSheet1Show();
}

bool TfrmKwerix::mayLeaveEditor()
{
    return !editingMode() || m_controls.pc->currentIndex() != MainWindowControls::Przygotowanie || TabSheet2Hide();
}

void TfrmKwerix::btnExitClick()
{
    if (!mayLeaveEditor())
        return;
    ShellSettings settings;
    settings.ostatniSql = rememberedIndex();
    settings.split1 = m_controls.pnlBtns->width();
    settings.ws = isMaximized();
    settings.czyTworzyc = editingMode();
    m_session->catalogue().saveSettings(settings);
    m_session->closeResult();
    hide();
    close();
}

void TfrmKwerix::closeEvent(QCloseEvent *e)
{
    // Closing by the title bar saves no settings, but unsaved query text is not dropped silently;
    // a save that fails keeps the window open.
    bool leave = false;
    guarded(m_ui, [&] { leave = mayLeaveEditor(); });
    if (!leave) {
        e->ignore();
        return;
    }
    m_session->closeResult();
    e->accept();
}

// ---- pages -------------------------------------------------------------------------------------

void TfrmKwerix::onPageChanged(int index)
{
    if (m_switchingPage)
        return;
    const int previous = m_currentPage;
    m_currentPage = index;
    if (previous == MainWindowControls::Przygotowanie && index != MainWindowControls::Przygotowanie) {
        // A save that fails with an error keeps the user on the page with the text as typed.
        bool leave = false;
        guarded(m_ui, [&] { leave = TabSheet2Hide(); });
        if (!leave) {
            m_switchingPage = true;
            m_controls.pc->setCurrentIndex(MainWindowControls::Przygotowanie);
            m_switchingPage = false;
            m_currentPage = MainWindowControls::Przygotowanie;
            return;
        }
    }
    switch (index) {
    case MainWindowControls::Wydruki: run(&TfrmKwerix::TabSheet1Show); break;
    case MainWindowControls::Przygotowanie: run(&TfrmKwerix::TabSheet2Show); break;
    case MainWindowControls::Pomoc: run(&TfrmKwerix::TabSheet3Show); break;
    case MainWindowControls::Historia: run(&TfrmKwerix::TabSheet4Show); break;
    default: break;
    }
}

void TfrmKwerix::TabSheet1Show()
{
    QApplication::restoreOverrideCursor();
    m_editing->showRememberedEntry();
}

void TfrmKwerix::TabSheet2Show()
{
    QApplication::restoreOverrideCursor();
    m_editing->setRememberedIndex(m_controls.currentEntry());
    pokazTab2();
}

// ---- forwarders --------------------------------------------------------------------------------

void TfrmKwerix::updateButtons() { m_editing->updateButtons(); }
void TfrmKwerix::lbxSpisSQLClick() { m_editing->lbxSpisSQLClick(); }
void TfrmKwerix::lbxSpisSQLDblClick() { btnEditClick(); }
void TfrmKwerix::lbxSpisSQLMouseMove(const QPoint &position) { m_editing->lbxSpisSQLMouseMove(position); }
void TfrmKwerix::btnNewClick() { m_editing->btnNewClick(); }
void TfrmKwerix::btnEditClick() { m_editing->btnEditClick(); }
void TfrmKwerix::pokazTab2() { m_editing->pokazTab2(); }
bool TfrmKwerix::btnSaveClick() { return m_editing->btnSaveClick(); }
void TfrmKwerix::btnDelClick() { m_editing->btnDelClick(); }
void TfrmKwerix::BitBtn1Click() { m_editing->BitBtn1Click(); }
void TfrmKwerix::BitBtn2Click() { m_editing->BitBtn2Click(); }
void TfrmKwerix::BitBtn3Click() { m_editing->BitBtn3Click(); }
bool TfrmKwerix::TabSheet2Hide() { return m_editing->TabSheet2Hide(); }
void TfrmKwerix::PokaUkryjinne1Click() { m_editing->PokaUkryjinne1Click(); }
void TfrmKwerix::btnGetFieldsClick() { m_editing->btnGetFieldsClick(); }
void TfrmKwerix::TabSheet3Show() { m_helpAndHistory->TabSheet3Show(); }
void TfrmKwerix::BitBtn4Click() { m_helpAndHistory->BitBtn4Click(); }
void TfrmKwerix::TabSheet4Show() { m_helpAndHistory->TabSheet4Show(); }
void TfrmKwerix::Button1Click() { m_helpAndHistory->Button1Click(); }

void TfrmKwerix::btnOpenSQLClick()
{
    m_runCommands->btnOpenSQLClick();
    updateButtons();
}

void TfrmKwerix::btnTestClick()
{
    m_runCommands->btnTestClick();
}

void TfrmKwerix::btnPreviewClick() { m_reports->btnPreviewClick(); }
void TfrmKwerix::btnPrintClick() { m_reports->btnPrintClick(); }
void TfrmKwerix::Drukuj1Click() { m_reports->Drukuj1Click(); }
void TfrmKwerix::bWykresClick() { pokazWykres(m_session->result(), m_ui, this); }

void TfrmKwerix::Utwrzplik1Click() { m_exports->Utwrzplik1Click(); }
void TfrmKwerix::czytajXls1Click() { m_exports->czytajXls1Click(); }
