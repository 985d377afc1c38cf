// Writes Paradox fixtures with pxlib's own record encoding (PX_insert_record), independent of the
// program's encoder. usage: make_px_fixture DIRECTORY
#include <cstdio>
#include <cstring>
#include <string>

extern "C" {
#include <paradox.h>
}

namespace {

pxval_t *value(pxdoc_t *px, int type)
{
    pxval_t *v;
    MAKE_PXVAL(px, v);
    v->type = type;
    v->isnull = 0;
    return v;
}

pxval_t *null(pxdoc_t *px, int type)
{
    pxval_t *v = value(px, type);
    v->isnull = 1;
    return v;
}

pxval_t *text(pxdoc_t *px, const char *bytes)
{
    pxval_t *v = value(px, pxfAlpha);
    v->value.str.val = strdup(bytes);
    v->value.str.len = static_cast<int>(strlen(bytes));
    return v;
}

pxval_t *number(pxdoc_t *px, int type, double d)
{
    pxval_t *v = value(px, type);
    v->value.dval = d;
    return v;
}

pxval_t *integer(pxdoc_t *px, int type, long l)
{
    pxval_t *v = value(px, type);
    v->value.lval = l;
    return v;
}

bool make(const std::string &path, int keys)
{
    pxdoc_t *px = PX_new();
    const char *names[] = {"Kod", "Nazwa", "Ilosc", "Cena", "Kwota", "Data", "Godz", "Aktywny", "Znacznik"};
    const int types[] = {pxfLong, pxfAlpha, pxfShort, pxfNumber, pxfCurrency, pxfDate, pxfTime, pxfLogical, pxfTimestamp};
    const int sizes[] = {4, 20, 2, 8, 8, 4, 4, 1, 8};
    const int n = 9;
    auto *fields = static_cast<pxfield_t *>(px->malloc(px, n * sizeof(pxfield_t), "fields"));
    for (int i = 0; i < n; ++i) {
        fields[i].px_fname = PX_strdup(px, names[i]);
        fields[i].px_ftype = static_cast<char>(types[i]);
        fields[i].px_flen = sizes[i];
        fields[i].px_fdc = 0;
    }
    if (PX_create_file(px, fields, n, path.c_str(), keys ? pxfFileTypIndexDB : pxfFileTypNonIndexDB) < 0)
        return false;
    PX_set_value(px, "codepage", 1250);
    if (keys)
        PX_set_value(px, "numprimkeys", keys);
    // Windows-1250 bytes: "Żółw", "Łódka".
    const char *names1[] = {"\xAF\xF3\xB3w", "\xA3\xF3" "dka", "Zwykly", "Pusty"};
    for (int r = 0; r < 4; ++r) {
        pxval_t *values[9];
        values[0] = integer(px, pxfLong, 10 + r);
        values[1] = text(px, names1[r]);
        if (r == 3) {
            for (int i = 2; i < n; ++i)
                values[i] = null(px, types[i]);
        } else {
            values[2] = integer(px, pxfShort, r == 2 ? -5 : 3 * r);
            values[3] = number(px, pxfNumber, r == 1 ? -1234.5 : 0.25 * r);
            values[4] = number(px, pxfCurrency, 100.0 + r);
            values[5] = integer(px, pxfDate, PX_GregorianToSdn(2024, 3, 5 + r) - PX_GregorianToSdn(1, 1, 1) + 1);
            values[6] = integer(px, pxfTime, (8 * 3600 + 30 * 60 + r) * 1000L);
            values[7] = integer(px, pxfLogical, r % 2);
            values[8] = number(px, pxfTimestamp,
                               (PX_GregorianToSdn(2024, 3, 5) - PX_GregorianToSdn(1, 1, 1) + 1) * 86400000.0 + 3600000.0 * r);
        }
        if (PX_insert_record(px, values) < 0)
            return false;
    }
    PX_close(px);
    PX_delete(px);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    const std::string dir = argv[1];
    return make(dir + "/towary.db", 0) && make(dir + "/cennik.db", 1) ? 0 : 1;
}
