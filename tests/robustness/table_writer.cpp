// One writer of a shared table, for the test of writers at once: runs a statement round after
// round on one engine, as the window does, and prints how many rounds changed the table and how
// many found it locked for too long. Any other failure ends it with status 2.
//
// usage: table_writer FOLDER TABLE ID ROUNDS update|insert
#include "db/Database.h"
#include "platform/Errors.h"

#include <QDir>
#include <QString>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 6)
        return 2;
    QDir::setCurrent(QString::fromLocal8Bit(argv[1]));
    const QString table = QString::fromLocal8Bit(argv[2]);
    const int id = std::atoi(argv[3]), rounds = std::atoi(argv[4]);
    const bool update = std::string(argv[5]) == "update";
    Database database;
    int changed = 0, locked = 0;
    for (int round = 0; round < rounds; ++round) {
        const QString sql = update
            ? QStringLiteral("UPDATE \"%1\" SET N = N + 1, M = M || ' w%2' WHERE ID = %2").arg(table).arg(id)
            : QStringLiteral("INSERT INTO \"%1\" (ID, N, M) VALUES (%2, %3, 'i%2')").arg(table).arg(id).arg(round);
        try {
            database.execute(sql);
            ++changed;
        } catch (const Exception &e) {
            if (!e.message().contains(QStringLiteral("zmienia teraz inny program"))) {
                std::fprintf(stderr, "%s\n", e.message().toUtf8().constData());
                return 2;
            }
            ++locked;
        }
    }
    std::printf("%d %d\n", changed, locked);
    return 0;
}
