#include "windows/Controls.h"

#include "link/FixedPoint.h"
#include "link/NumberText.h"

#include <QLineEdit>
#include <QLocale>

#include <algorithm>

namespace windows
{

char16_t decimalSeparator()
{
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? u'.' : point.front().unicode();
}

long double decimalOf(const QLineEdit* edit)
{
    return vms::link::parseDecimal(edit->text().toStdU16String(), decimalSeparator());
}

std::int32_t integerOf(const QLineEdit* edit)
{
    return vms::link::parseInteger(edit->text().toStdU16String());
}

std::int32_t fixedPointOf(const QLineEdit* edit)
{
    return vms::link::toFixedPoint(decimalOf(edit));
}

QString fixedPointText(std::int32_t scaled)
{
    return toQString(vms::link::formatFixedPoint(scaled, decimalSeparator()));
}

QString toQString(const std::u16string& text)
{
    return QString::fromStdU16String(text);
}

QChar firstUnsendable(const QString& text)
{
    const auto it =
        std::find_if(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > 0xFF; });
    return it == text.cend() ? QChar() : *it;
}

} // namespace windows
