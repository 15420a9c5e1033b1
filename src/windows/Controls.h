#pragma once

// Small helpers every window builds its controls and reads its fields with.

#include <QChar>
#include <QString>

#include <cstdint>
#include <string>

class QLineEdit;
class QWidget;

namespace windows
{

// Gives a control its name, which tests and the reply handler find it by.
template <typename W> W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// The decimal separator of the user's locale.
char16_t decimalSeparator();

// The field as a number; throws vms::link::ConvertError with the user's text.
long double decimalOf(const QLineEdit* edit);
std::int32_t integerOf(const QLineEdit* edit);
// value × 10000 as the device takes it.
std::int32_t fixedPointOf(const QLineEdit* edit);

// A fixed-point value from the device as "0.0000" with the locale's separator.
QString fixedPointText(std::int32_t scaled);

QString toQString(const std::u16string& text);

// The first character the device cannot take (it keeps one byte per
// character), or a null QChar when every one fits.
QChar firstUnsendable(const QString& text);

} // namespace windows
