// Kwerix: printing, browsing and correcting data with stored SQL queries.
#include "QtUiServices.h"
#include "fKwerix.h"

#include <QApplication>
#include <QDir>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kwerix"));
    QtUiServices ui;
    TfrmKwerix window(QDir(QApplication::applicationDirPath()).filePath(QStringLiteral("sqls.ini")), ui);
    ui.setParent(&window);
    window.show();
    return app.exec();
}
