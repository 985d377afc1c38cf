#pragma once

#include "ScriptedUi.h"
#include "app/fKwerix.h"
#include "catalogue/QueryCatalogue.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDir>

namespace testsupport {

// A catalogue in a temporary folder (also the working folder) and the main window over it.
class WindowTest : public FolderTest {
protected:
    void TearDown() override;

    // Opens (again) the window over the catalogue.
    TfrmKwerix &open();
    void closeWindow();
    // A catalogue entry made through the store.
    void addEntry(const QString &title, const QStringList &sql, std::vector<FieldLayout> fields = {});
    void writeCatalogue(const char *utf8);
    QStringList listed() const;
    // Saves a picture of the window when KWERIX_SCREENSHOTS names a folder.
    void screenshot(const QString &name);

    QString catalogueFile() const { return path(QStringLiteral("sqls.ini")); }

    ScriptedUi ui;
    std::unique_ptr<TfrmKwerix> w;

};

} // namespace testsupport
