#include "common/Formats.h"

#include <QLocale>

#include <cstdio>
#include <string>

namespace common {

namespace {

// A finite double as decimal digits: value = 0.d1 d2 ... x 10^integerDigits.
struct Decimal {
    bool negative = false;
    std::string digits;
    int integerDigits = 0;
};

Decimal toDecimal(double value)
{
    // 18 significant digits, as many as an extended-precision conversion yields.
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17e", value);
    Decimal d;
    const char *p = buffer;
    if (*p == '-') {
        d.negative = true;
        ++p;
    }
    for (; *p && *p != 'e'; ++p)
        if (*p != '.')
            d.digits.push_back(*p);
    d.integerDigits = std::atoi(p + 1) + 1;
    if (d.digits.find_first_not_of('0') == std::string::npos) {
        d.digits.assign(1, '0');
        d.integerDigits = 1;
        d.negative = false;
    }
    return d;
}

// Keeps at most `significant` digits and at most `decimals` fraction digits, rounding half up.
void roundDecimal(Decimal &d, int significant, int decimals)
{
    const int keep = std::min(significant, d.integerDigits + decimals);
    if (keep >= static_cast<int>(d.digits.size()))
        return;
    if (keep < 0) {
        d = Decimal{};
        d.digits.assign(1, '0');
        d.integerDigits = 1;
        return;
    }
    const bool up = d.digits[keep] >= '5';
    d.digits.resize(keep);
    if (up) {
        int i = keep - 1;
        for (; i >= 0 && d.digits[i] == '9'; --i)
            d.digits[i] = '0';
        if (i >= 0) {
            ++d.digits[i];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.integerDigits;
        }
    }
    if (d.digits.empty() || d.digits.find_first_not_of('0') == std::string::npos) {
        d.digits.assign(1, '0');
        d.integerDigits = 1;
        d.negative = false;
    }
}

// Writes the value with exactly `decimals` fraction digits, or with the significant ones
// only when `decimals` is negative.
QString render(const Decimal &d, int decimals, const QString &separator)
{
    std::string integer;
    std::string fraction;
    for (int pos = 0; pos < std::max(d.integerDigits, 0); ++pos)
        integer.push_back(pos < static_cast<int>(d.digits.size()) ? d.digits[pos] : '0');
    if (integer.empty())
        integer.push_back('0');
    for (int pos = d.integerDigits; pos < static_cast<int>(d.digits.size()); ++pos)
        fraction.push_back(pos < 0 ? '0' : d.digits[pos]);
    if (decimals < 0) {
        while (!fraction.empty() && fraction.back() == '0')
            fraction.pop_back();
    } else {
        fraction.resize(decimals, '0');
    }
    QString text = QString::fromStdString(integer);
    if (!fraction.empty())
        text += separator + QString::fromStdString(fraction);
    return d.negative ? QLatin1Char('-') + text : text;
}

QString localeSeparator()
{
    return QLocale().decimalPoint();
}

constexpr int allDigits = 1000;

} // namespace

QString formatGeneral(double value)
{
    Decimal d = toDecimal(value);
    roundDecimal(d, 15, allDigits);
    return render(d, -1, localeSeparator());
}

QString formatFixed(double value, int precision, int decimals)
{
    Decimal d = toDecimal(value);
    roundDecimal(d, precision, decimals);
    return render(d, decimals, localeSeparator());
}

QString formatWidth3OneDecimal(double value)
{
    Decimal d = toDecimal(value);
    roundDecimal(d, allDigits, 1);
    return render(d, 1, QStringLiteral(".")).rightJustified(3, QLatin1Char(' '));
}

QString formatShortDate(const QDate &date)
{
    const QLocale locale;
    QString pattern = locale.dateFormat(QLocale::ShortFormat);
    if (!pattern.contains(QLatin1String("yyyy")))
        pattern.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return locale.toString(date, pattern);
}

QDate today()
{
    return todayOverride ? *todayOverride : QDate::currentDate();
}

} // namespace common
