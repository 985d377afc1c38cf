// The INI reader on any file: every section and key read, then one value written back.
#include "FuzzSupport.h"
#include "platform/Errors.h"
#include "platform/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::write(QStringLiteral("sqls.ini"), reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    IniFile ini(fuzz::path(QStringLiteral("sqls.ini")));
    try {
        const QStringList sections = ini.sectionNames();
        for (const QString &section : sections) {
            for (const QString &key : ini.readSection(section))
                (void)ini.readString(section, key, QString());
        }
        if (!sections.isEmpty())
            ini.writeString(sections.first(), QStringLiteral("klucz"), QStringLiteral("wartość"));
    } catch (const Exception &) {
    }
    return 0;
}
