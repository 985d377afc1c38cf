#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Drukowanie, przeglądanie i poprawianie z użyciem zapytań SQL"));
    window.resize(793, 596);
    window.show();
    return app.exec();
}
