#include "DisplayFormat.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace store {

QString formatNumber(double value, const QString& picture) {
    if (picture.isEmpty()) return QString::number(value, 'g', 15);
    if (picture == QLatin1String("currency")) return QLocale().toCurrencyString(value, QString(), 2);

    const int point = picture.indexOf(QLatin1Char('.'));
    const QString intPart = point < 0 ? picture : picture.left(point);
    const QString fracPart = point < 0 ? QString() : picture.mid(point + 1);
    const int minInt = int(intPart.count(QLatin1Char('0')));
    const bool grouped = intPart.contains(QLatin1Char(' '));
    const int minFrac = int(fracPart.count(QLatin1Char('0')));
    const int maxFrac = minFrac + int(fracPart.count(QLatin1Char('#')));

    const double scale = std::pow(10.0, maxFrac);
    // Round half away from zero on the decimal value, guarding against the binary
    // representation of values such as 2.675 falling just below the half.
    double scaled = std::fabs(value) * scale;
    scaled = std::floor(scaled + 0.5 + 1e-9 * std::max(1.0, scaled));
    const bool negative = value < 0 && scaled > 0;

    QString digits = QString::number(scaled, 'f', 0);
    while (digits.size() < maxFrac + 1) digits.prepend(QLatin1Char('0'));
    QString whole = digits.left(digits.size() - maxFrac);
    QString frac = digits.right(maxFrac);
    while (frac.size() > minFrac && frac.endsWith(QLatin1Char('0'))) frac.chop(1);
    whole.remove(QRegularExpression(QStringLiteral("^0+")));
    while (whole.size() < minInt) whole.prepend(QLatin1Char('0'));
    if (grouped) {
        for (int i = int(whole.size()) - 3; i > 0; i -= 3) whole.insert(i, QLatin1Char(' '));
    }
    QString out = whole;
    if (!frac.isEmpty()) out += QLatin1Char('.') + frac;
    if (out.isEmpty()) out = QStringLiteral("0");
    return negative ? QLatin1Char('-') + out : out;
}

}  // namespace store
