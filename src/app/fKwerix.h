#pragma once

#include "catalogue/QueryCatalogue.h"
#include "db/Database.h"
#include "db/Query.h"
#include "xls/Workbook.h"

#include "query/HistoryLog.h"

#include <QMainWindow>
#include <memory>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSplitter;
class QTabWidget;
class QTableView;
class QTableWidget;
class QueryPrompts;
class QueryRunner;
class ResultModel;
class UiPrompts;
class UiServices;

// The main window "Drukowanie, przeglądanie i poprawianie z użyciem zapytań SQL": the catalogue of
// queries on "Wydruki", the editor of a query and its print layout on "Przygotowanie", the help on
// "Pomoc" and the history log on "Historia". It owns the catalogue, the database engine, the one
// result data set that every tool works on, and the workbook.
class TfrmKwerix : public QMainWindow {
    Q_OBJECT
public:
    // The catalogue file is sqls.ini in the executable's directory; every dialog goes through ui.
    TfrmKwerix(const QString &catalogueFile, UiServices &ui, QWidget *parent = nullptr);
    ~TfrmKwerix() override;

    QueryCatalogue &catalogue() { return *m_catalogue; }
    Database &database() { return *m_database; }
    Query &result() { return *m_result; }
    TXlsWorkbook &xls() { return m_xls; }
    ResultModel &resultModel() { return *m_model; }
    UiServices &ui() { return m_ui; }
    HistoryLog &history() { return *m_history; }
    QueryPrompts &prompts() { return *m_prompts; }
    QueryRunner &runner() { return *m_runner; }
    int rememberedIndex() const { return m_rememberedIndex; }
    bool editingMode() const;
    QString statusText() const;

    // Handlers of the window, named after their controls.
    void FormActivate();
    void btnExitClick();
    void TabSheet1Show();
    void TabSheet2Show();
    void updateButtons();
    void lbxSpisSQLClick();
    void lbxSpisSQLDblClick();
    void lbxSpisSQLMouseMove(const QPoint &position);
    void btnNewClick();
    void btnEditClick();
    void pokazTab2();
    // False when the save stopped at a check (the boxes keep their text and changed flags).
    bool btnSaveClick();
    void btnDelClick();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    // False when the page must not be left: the save the user asked for did not happen.
    bool TabSheet2Hide();
    void PokaUkryjinne1Click();
    void btnGetFieldsClick();
    void btnOpenSQLClick();
    void btnTestClick();
    void TabSheet3Show();
    void BitBtn4Click();
    void TabSheet4Show();
    void Button1Click();
    void czytajXls1Click();
    void appendHistory(const QString &line);
    void setStatusText(const QString &text);

    // The controls.
    QTabWidget *pc;
    QWidget *TabSheet1, *TabSheet2, *TabSheet3, *TabSheet4;
    QPushButton *btnExit;
    QLabel *statusPanel;
    QWidget *pnlBtns;
    QSplitter *Splitter1, *Splitter2;
    QListWidget *lbxSpisSQL;
    QPushButton *BitBtn1, *BitBtn2, *BitBtn3, *btnNew, *btnEdit, *btnDel, *btnOpenSQL, *btnPreview, *btnPrint, *bWykres;
    QTableView *grdQRY;
    QMenu *DBGridPopupMenu1;
    QAction *Drukuj1, *wrzplik1, *PokaUkryjinne1, *czytajXls1;
    QLineEdit *edNazwa;
    QPlainTextEdit *memTRESC;
    QPushButton *btnSave, *btnTest, *btnGetFields;
    QLabel *Label4;
    QGroupBox *rbxUklad;
    QRadioButton *rbPoziomy, *rbPionowy;
    QCheckBox *czyLP, *chLinia;
    QLineEdit *edFont, *edWys;
    QTableWidget *grdFields;
    QTableView *DBGrid1;
    QPlainTextEdit *Memo1, *Memo3;
    QPushButton *BitBtn4, *Button1;

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    QWidget *buildWydruki();
    QWidget *buildPrzygotowanie();
    QWidget *buildPomoc();
    QWidget *buildHistoria();
    void connectHandlers();
    void formCreate();
    void onPageChanged(int index);
    void reloadTitles();
    int currentEntry() const;
    void setFieldRows(const std::vector<FieldLayout> &rows);
    std::vector<FieldLayout> fieldRows() const;
    int orientation() const;
    bool anyTextChanged() const;
    void clearChangedFlags();
    void notBuiltYet();
    void useNumberText();
    class RunHost;
    void run(void (TfrmKwerix::*handler)());

    UiServices &m_ui;
    std::unique_ptr<QueryCatalogue> m_catalogue;
    std::unique_ptr<Database> m_database;
    std::unique_ptr<Query> m_result;
    std::unique_ptr<ResultModel> m_model;
    std::unique_ptr<HistoryLog> m_history;
    std::unique_ptr<UiPrompts> m_prompter;
    std::unique_ptr<QueryPrompts> m_prompts;
    std::unique_ptr<RunHost> m_runHost;
    std::unique_ptr<QueryRunner> m_runner;
    TXlsWorkbook m_xls;
    QString m_statusText;
    // The entry whose text the list's hint holds.
    int m_hintRow = -1;
    QString m_hintPath;
    int m_rememberedIndex = 0;
    int m_initialSplit = 220;
    int m_currentPage = 0;
    bool m_activated = false;
    bool m_listHints = true;
    bool m_switchingPage = false;
};
