// The layout of a report, inspected without printing.
#include "report/ReportDocument.h"
#include "platform/TextHelpers.h"
#include "support/TestSupport.h"

namespace {

using Kind = ReportControl::Kind;

FieldDef def(const char *name, FieldType type)
{
    return {QString::fromLatin1(name), type, 0, 0};
}

ReportSettings defaults(size_t fields)
{
    ReportSettings settings;
    settings.fields.resize(fields);
    return settings;
}

// The controls of a kind in a band, by their left edges.
std::vector<double> lefts(const ReportBand &band, Kind kind)
{
    std::vector<double> xs;
    for (const ReportControl &c : band.controls) {
        if (c.kind == kind)
            xs.push_back(c.rect.left());
    }
    return xs;
}

const ReportControl *find(const ReportBand &band, Kind kind, int field)
{
    for (const ReportControl &c : band.controls) {
        if (c.kind == kind && c.field == field)
            return &c;
    }
    return nullptr;
}

TEST(ReportLayout, TheDefaultLayoutPlacesColumnsEvery25Millimetres)
{
    const std::vector<FieldDef> fields = {def("KOD", FieldType::ftString), def("NAZWA", FieldType::ftString),
                                          def("ILOSC", FieldType::ftInteger), def("KWOTA", FieldType::ftFloat)};
    const ReportLayout r = layOutReport(fields, defaults(4), "Tytuł", "  Od=01.01.2024");
    EXPECT_FALSE(r.portrait);
    for (const ReportBand *band : {&r.columnHeader, &r.detail, &r.summary}) {
        EXPECT_EQ(band->height, 4.5);
        EXPECT_EQ(band->fontPoints, 8);
    }
    EXPECT_EQ(lefts(r.columnHeader, Kind::Label), (std::vector<double>{10, 35, 60, 85}));
    EXPECT_EQ(lefts(r.detail, Kind::DataField), (std::vector<double>{10, 35, 60, 85}));
    EXPECT_EQ(lefts(r.columnHeader, Kind::VerticalRule), (std::vector<double>{33, 58, 83}));
    EXPECT_EQ(lefts(r.detail, Kind::VerticalRule), (std::vector<double>{33, 58, 83}));
    EXPECT_EQ(lefts(r.summary, Kind::Sum), (std::vector<double>{60, 85}));
    EXPECT_EQ(lefts(r.summary, Kind::VerticalRule), (std::vector<double>{58, 83}));
    EXPECT_EQ(find(r.summary, Kind::Sum, 3)->mask, QStringLiteral("### ### ##0.00"));
    EXPECT_EQ(find(r.summary, Kind::Sum, 2)->mask, QString());
    EXPECT_TRUE(lefts(r.detail, Kind::RecordNumber).empty());
    EXPECT_FALSE(r.detail.frame.bottom);
    EXPECT_TRUE(r.columnHeader.frame == (ReportBand::Frame{true, true, true, true}));
    EXPECT_TRUE(r.summary.frame == (ReportBand::Frame{true, false, false, false}));
    // Texts to the left, everything else to the right.
    EXPECT_EQ(find(r.detail, Kind::DataField, 1)->alignment, Qt::AlignLeft);
    EXPECT_EQ(find(r.detail, Kind::DataField, 2)->alignment, Qt::AlignRight);
    EXPECT_EQ(r.pageHeader.controls.front().text, QStringLiteral("Tytuł"));
    EXPECT_EQ(r.pageHeader.controls.back().text, QStringLiteral("  Od=01.01.2024"));
}

TEST(ReportLayout, SumsFollowTheStoredTextOrTheDefaultRule)
{
    struct Case {
        const char *name;
        FieldType type;
        std::optional<QString> stored;
        bool summed;
    };
    const Case cases[] = {
        {"KOD", FieldType::ftInteger, std::nullopt, false},
        {"kod", FieldType::ftInteger, std::nullopt, false},
        {"KODY", FieldType::ftInteger, std::nullopt, true},
        {"NAZWA", FieldType::ftString, std::nullopt, false},
        {"NAZWA", FieldType::ftString, QStringLiteral("T"), true},
        {"ILOSC", FieldType::ftInteger, QStringLiteral(""), false},
        {"ILOSC", FieldType::ftInteger, QStringLiteral("t"), false},
        {"DATA", FieldType::ftDate, std::nullopt, true},
        {"KWOTA", FieldType::ftCurrency, std::nullopt, true},
        {"UWAGI", FieldType::ftMemo, std::nullopt, true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(isSummed(def(c.name, c.type), {std::nullopt, c.stored}), c.summed) << c.name;
}

TEST(ReportLayout, MasksOfRatesAmountsAndCurrency)
{
    struct Case {
        const char *name;
        FieldType type;
        const char *detail;
        const char *summary;
    };
    const Case cases[] = {
        {"KURS_EUR", FieldType::ftFloat, "##0.0000", "##0.0000"},
        {"KURS", FieldType::ftString, "##0.0000", "##0.0000"},
        {"kurs_eur", FieldType::ftFloat, "### ### ##0.00", "### ### ##0.00"},
        {"CENA", FieldType::ftCurrency, "", "### ### ##0.00"},
        {"ILOSC", FieldType::ftInteger, "", ""},
        {"DATA", FieldType::ftDate, "", ""},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(detailMask(def(c.name, c.type)), QString::fromLatin1(c.detail)) << c.name;
        EXPECT_EQ(summaryMask(def(c.name, c.type)), QString::fromLatin1(c.summary)) << c.name;
    }
}

TEST(ReportLayout, StoredWidthsRowNumbersLinesAndOrientation)
{
    ReportSettings settings = defaults(3);
    settings.layout.orientation = 1;
    settings.layout.rowNumbers = true;
    settings.layout.rowLine = true;
    settings.layout.fontSize = 10;
    settings.layout.rowHeight = 6;
    settings.fields[0].width = QStringLiteral("30");
    settings.fields[1].width = QStringLiteral("x");
    settings.fields[2].width = QString();
    const ReportLayout r = layOutReport({def("A", FieldType::ftString), def("B", FieldType::ftString),
                                         def("C", FieldType::ftString)},
                                        settings, "T", QString());
    EXPECT_TRUE(r.portrait);
    EXPECT_TRUE(r.detail.frame.bottom);
    EXPECT_EQ(r.detail.height, 6);
    EXPECT_EQ(r.summary.fontPoints, 10);
    EXPECT_EQ(lefts(r.detail, Kind::DataField), (std::vector<double>{10, 45, 70}));
    EXPECT_EQ(lefts(r.columnHeader, Kind::VerticalRule), (std::vector<double>{8, 43, 68}));
    EXPECT_EQ(lefts(r.detail, Kind::VerticalRule), (std::vector<double>{8, 43, 68}));
    EXPECT_EQ(lefts(r.detail, Kind::RecordNumber), (std::vector<double>{0.26}));
    EXPECT_EQ(r.columnHeader.controls.at(1).text, QStringLiteral("Lp."));
    EXPECT_EQ(r.columnHeader.controls.at(1).rect, QRectF(1, 1, 10, 6));
    EXPECT_TRUE(r.summary.controls.empty());
    EXPECT_EQ(r.printableWidth(), 190);
    EXPECT_EQ(r.printableHeight(), 277);
}

TEST(ReportLayout, AResultWithoutFieldsHasOnlyThePage)
{
    const ReportLayout r = layOutReport({}, defaults(0), "Pusty", QString());
    EXPECT_TRUE(r.columnHeader.controls.empty());
    EXPECT_TRUE(r.detail.controls.empty());
    EXPECT_EQ(r.pageHeader.controls.size(), 4u);
}

TEST(ReportMasks, NumbersInDisplayMasks)
{
    struct Case {
        const char *mask;
        double value;
        const char *text;
    };
    const Case cases[] = {
        {"### ### ##0.00", 1234567.5, "1 234 567,50"}, {"### ### ##0.00", -1234567.5, "-1234567,50"},
        {"### ### ##0.00", 0, "0,00"},                 {"### ### ##0.00", 5.005, "5,00"},
        {"##0.0000", 4.31254, "4,3125"},               {"##0.0000", 1234.5, "1234,5000"},
        {"### ### ##0.00", 1234567890123.0, "1234567 890 123,00"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(text::formatNumber(QString::fromLatin1(c.mask), c.value), QString::fromUtf8(c.text)) << c.value;
}

} // namespace
