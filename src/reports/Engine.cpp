#include "Engine.h"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <map>

namespace reports {

Element& Band::label(const QRectF& rect, const QString& text, const QFont& font,
                     Qt::Alignment align) {
    Element e;
    e.rect = rect;
    e.text = text;
    e.font = font;
    e.align = align;
    elements.push_back(e);
    return elements.back();
}

Element& Band::value(const QRectF& rect, std::function<QString()> compute, const QFont& font,
                     Qt::Alignment align) {
    Element& e = label(rect, QString(), font, align);
    e.compute = std::move(compute);
    return e;
}

Element& Band::picture(const QRectF& rect, std::shared_ptr<QImage> image, bool stretch) {
    Element e;
    e.kind = Element::Kind::Picture;
    e.rect = rect;
    e.image = std::move(image);
    e.stretch = stretch;
    e.exported = false;
    elements.push_back(e);
    return elements.back();
}

Element& Band::line(double y, double x1, double x2) {
    Element e;
    e.kind = Element::Kind::Line;
    e.rect = QRectF(x1, y, x2 - x1, 0);
    e.exported = false;
    elements.push_back(e);
    return elements.back();
}

Band& Report::add(BandKind kind, double height) {
    Band b;
    b.kind = kind;
    b.height = height;
    bands.push_back(std::move(b));
    return bands.back();
}

const Band* Report::find(BandKind kind) const {
    for (const Band& b : bands)
        if (b.kind == kind) return &b;
    return nullptr;
}

double Report::footerTop() const {
    const Band* footer = find(BandKind::PageFooter);
    return page.size.height() - page.marginBottom - (footer ? footer->height : 0);
}

void Report::place(const Band& band, std::vector<PlacedItem>& out, double y) {
    ++bandNo_;
    for (const Element& e : band.elements) {
        PlacedItem item;
        item.kind = e.kind;
        item.rect = e.rect.translated(page.marginLeft, y);
        item.text = e.compute ? e.compute() : e.text;
        item.font = e.font;
        item.align = e.align;
        item.color = e.color;
        if (e.image) item.image = *e.image;
        item.stretch = e.stretch;
        item.exported = e.exported;
        item.wrap = e.wrap;
        item.band = bandNo_;
        out.push_back(std::move(item));
    }
}

void Report::startPage(Document& doc) {
    ++pageNo_;
    doc.pages.emplace_back();
    y_ = page.marginTop;
    for (BandKind kind : {BandKind::PageHeader, BandKind::ColumnHeader})
        if (const Band* b = find(kind)) emitBand(*b, doc);
}

void Report::finishPage(Document& doc) {
    if (const Band* footer = find(BandKind::PageFooter)) {
        if (!footer->beforePrint || footer->beforePrint()) {
            place(*footer, doc.pages.back(), footerTop());
            if (footer->afterPrint) footer->afterPrint();
        }
    }
}

void Report::emitBand(const Band& band, Document& doc) {
    if (band.beforePrint && !band.beforePrint()) return;
    const bool pageBand = band.kind == BandKind::PageHeader || band.kind == BandKind::ColumnHeader;
    // A band taller than a whole page is placed anyway rather than looping.
    const bool freshPage = y_ <= page.marginTop + 0.001;
    // A band starts a new page together with its children.
    double height = band.height;
    for (const Band& child : band.children)
        height += child.height;
    if (!pageBand && !freshPage && y_ + height > footerTop() + 0.001) {
        finishPage(doc);
        startPage(doc);
    }
    place(band, doc.pages.back(), y_);
    y_ += band.height;
    if (band.afterPrint) band.afterPrint();
    for (const Band& child : band.children)
        emitBand(child, doc);
}

Document Report::layout() {
    Document doc;
    doc.page = page;
    doc.title = title;
    pageNo_ = 0;
    bandNo_ = 0;
    if (beforeReport) beforeReport();
    startPage(doc);
    const Band* detail = find(BandKind::Detail);
    const Band* groupHeader = find(BandKind::GroupHeader);
    const Band* groupFooter = find(BandKind::GroupFooter);
    if (!data.first) {
        if (detail) emitBand(*detail, doc);
    } else {
        bool inGroup = false;
        QString key;
        for (data.first(); !data.eof(); data.next()) {
            const QString k = data.groupKey ? data.groupKey() : QString();
            if (data.groupKey && (!inGroup || k != key)) {
                if (inGroup && groupFooter) emitBand(*groupFooter, doc);
                key = k;
                inGroup = true;
                if (groupHeader) emitBand(*groupHeader, doc);
            }
            if (detail) emitBand(*detail, doc);
        }
        if (inGroup && groupFooter) emitBand(*groupFooter, doc);
    }
    if (const Band* summary = find(BandKind::Summary)) emitBand(*summary, doc);
    finishPage(doc);
    return doc;
}

std::vector<QStringList> Document::bandRows() const {
    std::vector<QStringList> rows;
    for (const auto& items : pages) {
        std::map<int, std::vector<const PlacedItem*>> byBand;
        for (const PlacedItem& item : items)
            if (item.kind == Element::Kind::Text && item.exported)
                byBand[item.band].push_back(&item);
        for (auto& [band, texts] : byBand) {
            std::stable_sort(texts.begin(), texts.end(),
                             [](const PlacedItem* a, const PlacedItem* b) {
                                 if (std::abs(a->rect.top() - b->rect.top()) > 1.5)
                                     return a->rect.top() < b->rect.top();
                                 return a->rect.left() < b->rect.left();
                             });
            // A band with several lines of labels gives one row per line.
            QStringList row;
            double top = texts.empty() ? 0 : texts.front()->rect.top();
            for (const PlacedItem* t : texts) {
                if (std::abs(t->rect.top() - top) > 1.5) {
                    rows.push_back(row);
                    row.clear();
                    top = t->rect.top();
                }
                row << t->text;
            }
            if (!row.isEmpty()) rows.push_back(row);
        }
    }
    return rows;
}

void paintPage(QPainter& p, const QPaintDevice& device, const Document& doc, int pageIndex) {
    const double sx = device.width() / doc.page.size.width();
    const double sy = device.height() / doc.page.size.height();
    auto toDevice = [&](const QRectF& r) {
        return QRectF(r.left() * sx, r.top() * sy, r.width() * sx, r.height() * sy);
    };
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const PlacedItem& item : doc.pages[size_t(pageIndex)]) {
        const QRectF r = toDevice(item.rect);
        switch (item.kind) {
        case Element::Kind::Text:
            p.setFont(item.font);
            p.setPen(item.color);
            p.drawText(r, int(item.align) | (item.wrap ? int(Qt::TextWordWrap) : 0), item.text);
            break;
        case Element::Kind::Line:
            p.setPen(QPen(Qt::black, std::max(1.0, 0.25 * sy)));
            p.drawLine(r.topLeft(), r.topRight());
            break;
        case Element::Kind::Picture: {
            if (item.image.isNull()) break;
            QRectF target = r;
            if (!item.stretch) {
                QSizeF s = QSizeF(item.image.size()).scaled(r.size(), Qt::KeepAspectRatio);
                target = QRectF(r.center() - QPointF(s.width() / 2, s.height() / 2), s);
            }
            p.drawImage(target, item.image);
            break;
        }
        }
    }
    p.restore();
}

} // namespace reports
