#include "NumberText.h"

#include "db/Field.h"
#include "platform/Numbers.h"
#include "platform/TextHelpers.h"

#include <cmath>

namespace {

const QString kPicture = QStringLiteral(" ### ### ##0.00");

// The picture with as many more groups of three as the amount needs: a large amount is shown
// whole, every digit in its group.
QString pictureFor(double magnitude)
{
    QString picture = kPicture;
    for (double limit = 1e9; magnitude >= limit; limit *= 1000)
        picture.prepend(QStringLiteral(" ###"));
    return picture;
}

// Beyond this magnitude the value has no count of ten-thousandths in 64 bits.
constexpr double kLargestAmount = 9.0e14;

} // namespace

QString tekstLiczby(double value)
{
    if (value == 0 || std::isnan(value))
        return QString();
    // The value as its text shows it (15 significant digits), then to two decimals.
    const double rounded = text::roundTo(numbers::tryParseFloat(numbers::formatFloat(value)).value_or(value), 2);
    if (std::fabs(rounded) >= kLargestAmount)
        return numbers::formatFloat(rounded).rightJustified(kPicture.size());
    return text::formatAmount(pictureFor(std::fabs(rounded)), false, text::toTenThousandths(rounded))
        .trimmed()
        .rightJustified(kPicture.size());
}

QString tekstLiczby(const Field &field, qsizetype row)
{
    return field.isNullAt(row) ? QString() : tekstLiczby(field.asFloatAt(row));
}
