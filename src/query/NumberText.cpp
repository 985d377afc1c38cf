#include "NumberText.h"

#include "db/Field.h"
#include "platform/Numbers.h"
#include "platform/TextHelpers.h"

#include <cmath>

namespace {

const QString kPicture = QStringLiteral(" ### ### ##0.00");

// The picture with as many more groups of three as the amount needs: a large amount is shown
// whole, every digit in its group.
QString pictureFor(double value)
{
    QString picture = kPicture;
    for (int digits = numbers::Decimal::of(value).rounded(2).integerDigits(); digits > 9; digits -= 3)
        picture.prepend(QStringLiteral(" ###"));
    return picture;
}

// From this magnitude on a double holds no cents: the grid shows the general text instead.
constexpr double kLargestAmount = 1e15;

} // namespace

QString tekstLiczby(double value)
{
    if (value == 0)
        return QString();
    if (!std::isfinite(value) || std::fabs(value) >= kLargestAmount)
        return numbers::formatFloat(value).rightJustified(kPicture.size());
    return text::formatNumber(pictureFor(value), value).rightJustified(kPicture.size());
}

QString amountText(double value)
{
    return value == 0 ? text::formatNumber(kPicture, 0).trimmed() : tekstLiczby(value).trimmed();
}

QString tekstLiczby(const Field &field, qsizetype row)
{
    return field.isNullAt(row) ? QString() : tekstLiczby(field.asFloatAt(row));
}
