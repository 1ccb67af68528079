#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace common {

// Number-to-text conversions of the results screens. None uses a thousands separator;
// decimal rounding takes a following digit of 5 or more upward in magnitude.

// At most 15 significant digits, trailing zeros and a bare separator dropped, locale separator.
QString formatGeneral(double value);
// Rounded to at most `precision` significant digits, then written with exactly `decimals`
// decimals and the locale separator (12.345 with 3 and 2 gives "12,30" in German).
QString formatFixed(double value, int precision, int decimals);
// One decimal with a full stop whatever the locale, blank-padded on the left to 3 characters.
QString formatWidth3OneDecimal(double value);

// The locale's short date, its year always with four digits.
QString formatShortDate(const QDate &date);
// Tests may fix the date the results are dated with.
inline std::optional<QDate> todayOverride;
// The system date.
QDate today();

} // namespace common
