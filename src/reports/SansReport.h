#pragma once

#include "Engine.h"

#include <QString>
#include <QVariant>

namespace data {
class TDM;
} // namespace data

namespace reports {

// "Energy Efficiency Calculations: SANS 204 Certification Report" of the
// current project: per storey its areas, allowances, totals and verdicts from
// its ProjectResults row, then the table of its windows and doors.
Document sansReport(data::TDM& dm);

// The report's figures: fixed-point with `digits` decimals in the user's
// locale, switching to exponent form beyond `precision` integer digits;
// empty for an empty field.
QString fixedText(const QVariant& value, int precision = 10, int digits = 1);

// What a storey without a result row prints instead of figures and verdicts.
inline const QString NoStoreyResults = QStringLiteral("No results \u2014 run the analysis");

// `text` as it fits `widthMm` in `font`: whole, or cut after a word with an
// ellipsis (a single word too wide is cut where it must be).
QString shortenedToFit(const QString& text, const QFont& font, double widthMm);

// The sentences of a storey.
QString netFloorSentence(const QVariant& floorArea, const QVariant& windowArea);
// Window area as a percentage of the net floor area; 0 without floor area.
double windowFloorPercent(double windowArea, double floorArea);
QString ratioSentence(double percent);
QString conductanceAllowanceSentence(const QVariant& uAllow);
QString conductanceSentence(const QVariant& uTotal);
QString shgcAllowanceSentence(const QVariant& shgcAllow);
QString shgcSentence(const QVariant& shgcTotal);
// "DOES NOT COMPLY" for "FAIL", "COMPLIES" for anything else.
QString verdictText(const QString& result);

} // namespace reports
