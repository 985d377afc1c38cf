#include "WindowTestSupport.h"

#include "platform/CodePage.h"

#include <QListWidget>

namespace testsupport {

void WindowTest::TearDown()
{
    w.reset();
    FolderTest::TearDown();
}

TfrmKwerix &WindowTest::open()
{
    w.reset();
    w = std::make_unique<TfrmKwerix>(catalogueFile(), ui);
    w->show();
    QApplication::processEvents();
    return *w;
}

void WindowTest::closeWindow()
{
    w.reset();
}

void WindowTest::addEntry(const QString &title, const QStringList &sql, std::vector<FieldLayout> fields)
{
    QueryCatalogue catalogue(catalogueFile());
    EntryForm form;
    form.title = title;
    form.sql = sql;
    form.fontSizeText = QStringLiteral("8");
    form.rowHeightText = QStringLiteral("4,5");
    form.fields = std::move(fields);
    catalogue.saveEntry(form);
}

void WindowTest::writeCatalogue(const char *utf8)
{
    writeBytes(catalogueFile(), cp(utf8));
}

QStringList WindowTest::listed() const
{
    QStringList titles;
    for (int i = 0; i < w->controls().lbxSpisSQL->count(); ++i)
        titles.append(w->controls().lbxSpisSQL->item(i)->text());
    return titles;
}

void WindowTest::screenshot(const QString &name)
{
    const QString folder = qEnvironmentVariable("KWERIX_SCREENSHOTS");
    if (folder.isEmpty() || !w)
        return;
    QApplication::processEvents();
    w->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

} // namespace testsupport
