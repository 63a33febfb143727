#pragma once

#include "Engine.h"
#include "calc/Pricing.h"
#include "data/QuoteSettings.h"

#include <QDate>

namespace data {
class TDM;
}

namespace reports {

// The quotation of the current project: the company and the client, one line
// per design with its elevation drawn to one scale, its specification, size,
// quantity, unit and line price; then subtotal, markup, installation, VAT, the
// total and the terms. Designs without a price are listed as such and left
// out of the sums (the caller asks first).
Document quotationReport(data::TDM& dm, const data::QuoteSettings& settings,
                         const QDate& date = QDate::currentDate());

} // namespace reports
