#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class QPaintDevice;
class QPainter;

namespace reports {

// Layout units are millimetres; picture boxes are given in screen pixels
// (96 to the inch) as the layouts were drawn.
constexpr double pxToMm(double px) {
    return px * 25.4 / 96.0;
}

// One printable thing on a band: a label (fixed, data-bound or computed
// text), a picture or a rule. Positions are relative to the band's top left.
struct Element {
    enum class Kind { Text, Picture, Line };
    Kind kind = Kind::Text;
    QRectF rect; // mm
    QString text;
    std::function<QString()> compute; // bound or computed labels
    QFont font;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    QColor color = Qt::black;
    // Pictures: shared so that a hook can load the picture before the band prints.
    std::shared_ptr<QImage> image;
    bool stretch = false; // fill the box; otherwise scaled to fit and centred
    bool exported = true; // written by the text, CSV and spreadsheet exports
    bool wrap = false;    // break a text too long for its box onto further lines
};

enum class BandKind {
    PageHeader,
    ColumnHeader,
    GroupHeader,
    Detail,
    GroupFooter,
    Summary,
    PageFooter
};

struct Band {
    BandKind kind = BandKind::Detail;
    double height = 5; // mm
    std::vector<Element> elements;
    // Runs before the band is laid out; false leaves the band (and its children) out.
    std::function<bool()> beforePrint;
    std::function<void()> afterPrint;
    // Bands printed right after this one, in order (child bands).
    std::vector<Band> children;

    Element& label(const QRectF& rect, const QString& text, const QFont& font,
                   Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
    Element& value(const QRectF& rect, std::function<QString()> compute, const QFont& font,
                   Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
    Element& picture(const QRectF& rect, std::shared_ptr<QImage> image, bool stretch = false);
    Element& line(double y, double x1, double x2);
};

// The rows a report runs over.
struct DataSource {
    std::function<void()> first;
    std::function<bool()> eof;
    std::function<void()> next;
    // The value the group breaks on; empty: no groups.
    std::function<QString()> groupKey;
};

// What a page shows after layout: every element placed in page millimetres
// with its text evaluated. Painting, printing and the exports read only this.
struct PlacedItem {
    Element::Kind kind;
    QRectF rect; // mm from the page's top left
    QString text;
    QFont font;
    Qt::Alignment align;
    QColor color;
    QImage image;
    bool stretch = false;
    bool exported = true;
    bool wrap = false;
    int band = 0; // the running number of the band it came from
};

struct PageSetup {
    QSizeF size{210, 297}; // A4 portrait
    double marginLeft = 10, marginTop = 10, marginRight = 10, marginBottom = 10;
    double contentWidth() const { return size.width() - marginLeft - marginRight; }
};

struct Document {
    PageSetup page;
    QString title;
    std::vector<std::vector<PlacedItem>> pages;
    // Pages drawn after the band pages on the same paper (a drawing, say):
    // each is given a painter on a fresh page and the device units per mm.
    // The text exports leave them out.
    std::vector<std::function<void(QPainter&, double unit)>> drawnPages;
    // The texts of the bands in print order, each band's texts left to right.
    std::vector<QStringList> bandRows() const;
};

class Report {
public:
    Report() = default;
    Report(const Report&) = delete; // hooks refer to the report
    Report& operator=(const Report&) = delete;
    PageSetup page;
    QString title;
    std::deque<Band> bands; // references stay valid as bands are added
    DataSource data;        // no `first`: the detail prints once
    std::function<void()> beforeReport;

    Band& add(BandKind kind, double height);
    // Lays the report out on pages. Bands are never split: a band that does not
    // fit above the page footer starts a new page.
    Document layout();
    // The page being laid out, from 1 (for "Page :" labels).
    int pageNumber() const { return pageNo_; }

private:
    const Band* find(BandKind kind) const;
    void place(const Band& band, std::vector<PlacedItem>& out, double y);
    void emitBand(const Band& band, Document& doc);
    void startPage(Document& doc);
    void finishPage(Document& doc);
    double footerTop() const;
    int pageNo_ = 0;
    double y_ = 0;
    int bandNo_ = 0;
};

// Paints one laid-out page onto a device of any resolution; the page fills
// the device's page rectangle.
void paintPage(QPainter& painter, const QPaintDevice& device, const Document& doc, int pageIndex);

} // namespace reports
