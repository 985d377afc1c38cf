// Saves one entry of a catalogue as "Zapisz" does, with a new statement and a new layout of
// FIELDS fields: the writer that the kill test stops.
//
// usage: save_entry CATALOGUE_FILE TITLE FIELDS
#include "catalogue/QueryCatalogue.h"
#include "platform/Errors.h"
#include "platform/RegionalSettings.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 4)
        return 2;
    RegionalSettings::set(RegionalSettings::polish());
    EntryForm entry;
    entry.title = QString::fromUtf8(argv[2]);
    entry.sql = {QStringLiteral("SELECT *"), QStringLiteral("FROM \"nowa.dbf\"")};
    entry.orientation = 1;
    entry.fontSizeText = QStringLiteral("10");
    entry.rowHeightText = QStringLiteral("5,5");
    for (int i = 0, fields = std::atoi(argv[3]); i < fields; ++i)
        entry.fields.push_back({QStringLiteral("NOWE_POLE_%1").arg(i), QStringLiteral("%1").arg(30 + i % 7), QStringLiteral("T")});
    try {
        QueryCatalogue(QString::fromLocal8Bit(argv[1])).saveEntry(entry);
    } catch (const Exception &e) {
        std::fprintf(stderr, "%s\n", e.message().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
