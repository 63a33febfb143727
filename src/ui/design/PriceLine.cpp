#include "PriceLine.h"

#include "calc/Pricing.h"
#include "data/DataModule.h"
#include "data/QuoteSettings.h"
#include "store/StoreError.h"
#include "widgets/DataControls.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <stdexcept>

namespace ui::design {

namespace {
// Short captions: the line sits under the grid beside nothing else.
const char* const Captions[] = {"Frame", "Glass", "Factory", "Install", "Total", "/ m\u00b2"};
}

PriceLine::PriceLine(data::TDM& dm, QWidget* parent)
    : QWidget(parent), dm_(dm), link_(new widgets::FieldLink(this)) {
    setObjectName(QStringLiteral("PriceLine")); // the settings window refreshes it by name
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    heading_ = new QLabel(QStringLiteral("<b>PRICE</b>"));
    row->addWidget(heading_);
    for (const char* caption : Captions) {
        row->addWidget(new QLabel(QString::fromUtf8(caption)));
        auto* v = new QLabel;
        v->setFrameShape(QFrame::StyledPanel);
        v->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred); // never clipped
        v->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (values_.size() == 4) v->setStyleSheet(QStringLiteral("font-weight: bold"));
        row->addWidget(v);
        values_ << v;
    }
    note_ = new QLabel;
    note_->setStyleSheet(QStringLiteral("color: #808080; font-style: italic"));
    row->addWidget(note_);
    row->addStretch();
    setToolTip(QStringLiteral("The window's price from the catalogue's rates, as of the last "
                              "calculation"));
    // The results' own field tells when they were zeroed or stored again.
    link_->bind(&dm_.DesignTable, QStringLiteral("Window_Area"));
    connect(link_, &widgets::FieldLink::refreshNeeded, this, &PriceLine::scheduleRefresh);
}

void PriceLine::scheduleRefresh() {
    // Several field events arrive for one post: the price is read once, after them.
    if (pending_) return;
    pending_ = true;
    QTimer::singleShot(0, this, [this] { refresh(); });
}

void PriceLine::refresh() {
    pending_ = false;
    auto show = [this](const QStringList& values, const QString& note, bool warn) {
        for (qsizetype i = 0; i < values_.size(); ++i) {
            values_[i]->setText(i < values.size() ? values[i] : QString());
            values_[i]->setEnabled(!values.isEmpty());
        }
        note_->setText(note);
        note_->setStyleSheet(warn ? QStringLiteral("color: #c00000")
                                  : QStringLiteral("color: #808080; font-style: italic"));
    };
    store::Table& D = dm_.DesignTable;
    if (!D.active() || D.isEmpty()) return show({}, {}, false);
    try {
        const QString currency = data::QuoteSettings::load(dm_).currency;
        // The currency once in the heading keeps the line narrow.
        heading_->setText(currency.isEmpty() ? QStringLiteral("<b>PRICE</b>")
                                             : QStringLiteral("<b>PRICE</b> (%1)").arg(currency.toHtmlEscaped()));
        const calc::DesignPrice p = calc::storedDesignPrice(dm_, D);
        if (p.state == calc::DesignPrice::State::NotCalculated)
            return show({}, QStringLiteral("not current"), false);
        if (!p.priced()) return show({}, QStringLiteral("no price: ") + p.reason, true);
        const long double parts[] = {p.unit.frame, p.unit.glazing, p.unit.factory, p.unit.install,
                                     p.unit.total(), p.rate()};
        QStringList texts;
        for (long double v : parts)
            texts << calc::moneyText(v, QString());
        show(texts, {}, false);
    } catch (const store::StoreError& e) {
        show({}, QStringLiteral("no price: ") + e.message(), true);
    } catch (const std::runtime_error& e) {
        show({}, QString::fromStdString(e.what()), true);
    }
}

QStringList PriceLine::texts() const {
    QStringList out{heading_->text()};
    for (const QLabel* v : values_)
        if (!v->text().isEmpty()) out << v->text();
    if (!note_->text().isEmpty()) out << note_->text();
    return out;
}

} // namespace ui::design
