#pragma once

#include <QString>
#include <optional>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMainWindow;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSplitter;
class QTabWidget;
class QTableView;
class QTableWidget;
class QToolButton;
class QWidget;
class DBGrid;
class DataSetModel;
class TDBGridPopupMenu;
class GridToolUi;

// The controls of the main window, built once and shared by the window and its controllers.
// Names are those of the window's description where they carry meaning; the others are named
// after their role, the description's name beside them.
struct MainWindowControls {
    enum Page { Wydruki, Przygotowanie, Pomoc, Historia };

    // Builds every control into the window; both result grids show the model.
    // The grid popup's tools show their dialogs through ui.
    void build(QMainWindow &window, DataSetModel &model, GridToolUi &ui);

    // The title of the list's current entry; nothing when there is none.
    std::optional<QString> currentTitle() const;
    // The position of the list's current entry; -1 when there is none.
    int currentEntry() const;

    QTabWidget *pc = nullptr;
    QWidget *tabWydruki = nullptr, *tabPrzygotowanie = nullptr, *tabPomoc = nullptr, *tabHistoria = nullptr; // TabSheet1-4
    QPushButton *btnExit = nullptr;
    QLabel *statusPanel = nullptr;
    QProgressBar *progressBar = nullptr;
    QToolButton *btnCancelWork = nullptr;

    // "Wydruki"
    QSplitter *splitList = nullptr; // Splitter1
    QWidget *pnlBtns = nullptr;
    QListWidget *lbxSpisSQL = nullptr;
    QPushButton *btnMoveUp = nullptr;    // BitBtn1
    QPushButton *btnMoveDown = nullptr;  // BitBtn2
    QPushButton *btnSaveOrder = nullptr; // BitBtn3
    QPushButton *btnNew = nullptr, *btnEdit = nullptr, *btnDel = nullptr;
    QPushButton *btnOpenSQL = nullptr, *btnPreview = nullptr, *btnPrint = nullptr, *bWykres = nullptr;
    DBGrid *grdQRY = nullptr;
    TDBGridPopupMenu *DBGridPopupMenu1 = nullptr;
    QAction *Drukuj1 = nullptr, *wrzplik1 = nullptr, *PokaUkryjinne1 = nullptr, *czytajXls1 = nullptr;

    // "Przygotowanie"
    QSplitter *splitEditor = nullptr; // Splitter2
    QLineEdit *edNazwa = nullptr;
    QPlainTextEdit *memTRESC = nullptr;
    QPushButton *btnSave = nullptr, *btnTest = nullptr, *btnGetFields = nullptr;
    QLabel *lblResult = nullptr; // Label4
    QGroupBox *rbxUklad = nullptr;
    QRadioButton *rbPoziomy = nullptr, *rbPionowy = nullptr;
    QCheckBox *czyLP = nullptr, *chLinia = nullptr;
    QLineEdit *edFont = nullptr, *edWys = nullptr;
    QTableWidget *grdFields = nullptr;
    DBGrid *grdTestResult = nullptr; // DBGrid1

    // "Pomoc" and "Historia"
    QPlainTextEdit *memHelp = nullptr;    // Memo1
    QPushButton *btnSqlHelp = nullptr;    // BitBtn4
    QPlainTextEdit *memHistory = nullptr; // Memo3
    QPushButton *btnClearHistory = nullptr; // Button1

private:
    QWidget *buildWydruki(QMainWindow &window, DataSetModel &model, GridToolUi &ui);
    QWidget *buildPrzygotowanie(QMainWindow &window, DataSetModel &model);
    void buildStatusBar(QMainWindow &window);
};
