#pragma once

#include <QString>

namespace store {

// Formats a number with a picture such as "##0.00", "### 000" or "0.000":
// '0' is a digit always shown, '#' a digit shown only when significant, '.'
// the decimal point and a space in the integer part a thousands gap. An empty
// picture gives the general format (up to 15 significant digits); "currency"
// the locale's currency format. Halves round away from zero.
QString formatNumber(double value, const QString& picture);

}  // namespace store
