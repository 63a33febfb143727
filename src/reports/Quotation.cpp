#include "Quotation.h"

#include "ElevationData.h"
#include "ElevationPainter.h"
#include "ReportParts.h"
#include "data/DataModule.h"
#include "data/Paths.h"

#include <QFileInfo>
#include <QPainter>

namespace reports {

namespace {

constexpr Qt::Alignment Right = Qt::AlignRight | Qt::AlignVCenter;
constexpr Qt::Alignment TopLeft = Qt::AlignLeft | Qt::AlignTop;
constexpr Qt::Alignment TopRight = Qt::AlignRight | Qt::AlignTop;

// The drawing box of a line, mm, and how finely it is rendered. The drawing
// is made for a sheet twice the box's size and shrunk to it whole, text and
// dimension chains with it, so a small box still shows the window large.
constexpr double DrawingW = 50, DrawingH = 40;
constexpr double Shrink = 0.5;
constexpr double PixelsPerMm = 12; // about 300 dots to the inch

struct QuoteLine {
    calc::DesignPrice price;
    ElevationSource source;
    ElevationGeometry geometry;
    QString finish;
    std::shared_ptr<QImage> drawing;
};

QString text(store::DataSet& ds, const char* field) {
    return ds.fieldByName(QString::fromLatin1(field)).asString();
}

std::vector<QuoteLine> quoteLines(data::TDM& dm, const QString& projectRef) {
    std::vector<QuoteLine> lines;
    calc::forEachDesignByReference(dm, projectRef, [&](store::DataSet& design) {
        QuoteLine l;
        l.price = calc::storedDesignPrice(dm, design);
        l.source = storedElevation(dm, design);
        l.geometry = elevationGeometry(l.source);
        l.finish = text(design, "Finish");
        lines.push_back(std::move(l));
    });
    return lines;
}

// One scale for every drawing: the smallest usual scale at which the largest
// design fits its sheet, so the windows compare by size at a glance.
int commonRatio(const std::vector<QuoteLine>& lines) {
    int ratio = 0;
    for (const QuoteLine& l : lines) {
        if (l.geometry.empty) continue;
        const int r = fittingRatio(l.geometry, {DrawingW / Shrink, DrawingH / Shrink});
        if (r == 0) return 0; // too large even at the smallest scale: each fitted on its own
        ratio = std::max(ratio, r);
    }
    return ratio;
}

std::shared_ptr<QImage> drawLine(const QuoteLine& line, int ratio) {
    auto image = std::make_shared<QImage>(int(DrawingW * PixelsPerMm), int(DrawingH * PixelsPerMm),
                                          QImage::Format_RGB32);
    image->fill(Qt::white);
    QPainter painter(image.get());
    painter.setRenderHint(QPainter::Antialiasing);
    ElevationStyle style;
    style.unit = PixelsPerMm * Shrink;
    style.ratio = ratio;
    style.compactTitle = true;
    paintElevation(painter, line.source, QRectF(QPointF(0, 0), QSizeF(image->size())), style);
    return image;
}

QString sizeText(const ElevationGeometry& g) {
    if (g.empty) return QStringLiteral("\u2014");
    return dimensionText(g.width) + QStringLiteral(" \u00d7 ") + dimensionText(g.height);
}

QString percentText(double v) {
    return QString::number(v, 'g', 10) + QStringLiteral(" %");
}

// The company's block at the top of every page: logo left, details right.
void addCompanyHeader(Report& report, data::TDM& dm, const data::QuoteSettings& s,
                      const QDate& date) {
    const double w = report.page.contentWidth();
    Band& b = report.add(BandKind::PageHeader, 54);
    auto logo = std::make_shared<QImage>();
    const QString logoFile = QFileInfo(s.logo).isAbsolute()
                                 ? s.logo
                                 : data::resolvePicture(dm.WorkDir, s.logo);
    if (!logoFile.isEmpty()) logo->load(logoFile);
    b.picture({0, 0, 50, 24}, logo);
    QStringList company;
    if (!s.companyName.isEmpty()) company << s.companyName;
    company << s.address.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (!s.registrationNo.isEmpty()) company << QStringLiteral("Reg. No. ") + s.registrationNo;
    if (!s.vatNo.isEmpty()) company << QStringLiteral("VAT No. ") + s.vatNo;
    // Six lines fit beside the logo; more are joined onto the last.
    while (company.size() > 6)
        company[company.size() - 2] += QStringLiteral(", ") + company.takeLast();
    double y = 0;
    for (qsizetype i = 0; i < company.size(); ++i, y += 4)
        b.label({w - 120, y, 120, 4}, company[i], reportFont(i == 0 ? 10 : 8.5, i == 0), Right);

    b.label({0, 25, 60, 8}, QStringLiteral("QUOTATION"), reportFont(15, true));
    store::Table& P = dm.ProjectTable;
    const QFont bold = reportFont(9, true), plain = reportFont(9);
    b.label({0, 34, 22, 5}, QStringLiteral("Project :"), bold);
    b.value({22, 34, 100, 5}, [&P] {
        return P.fieldByName(QStringLiteral("Project_Ref")).asString() + QStringLiteral("  ") +
               P.fieldByName(QStringLiteral("Project_Name")).asString();
    }, plain);
    b.label({0, 39, 22, 5}, QStringLiteral("Client :"), bold);
    b.value({22, 39.5, 100, 13}, [&P] {
        QStringList lines;
        for (const char* f : {"Detail1", "Detail2", "Detail3", "Detail4"})
            if (const QString t = P.fieldByName(QString::fromLatin1(f)).asString().trimmed();
                !t.isEmpty())
                lines << t;
        // Three lines of the box: a longer text ends in an ellipsis, never cut mid-line.
        QString text = lines.join(QStringLiteral(", "));
        if (text.size() > 190) text = text.left(189).trimmed() + QStringLiteral("\u2026");
        return text;
    }, reportFont(8.5), TopLeft).wrap = true;
    const QString dateFormat = QStringLiteral("dd/MM/yyyy");
    b.label({w - 70, 29, 35, 5}, QStringLiteral("Date :"), bold, Right);
    b.label({w - 34, 29, 34, 5}, date.toString(dateFormat), plain, Right);
    b.label({w - 70, 34, 35, 5}, QStringLiteral("Valid until :"), bold, Right);
    b.label({w - 34, 34, 34, 5}, date.addDays(s.validityDays).toString(dateFormat), plain, Right);
    b.label({w - 70, 39, 35, 5}, QStringLiteral("Prepared by :"), bold, Right);
    b.value({w - 34, 39, 34, 5}, bound(P, QStringLiteral("Designed_By")), plain, Right);
    b.line(53, 0, w);
}

} // namespace

Document quotationReport(data::TDM& dm, const data::QuoteSettings& settings, const QDate& date) {
    const QString projectRef =
        dm.ProjectTable.fieldByName(QStringLiteral("Project_Ref")).asString();
    auto lines = std::make_shared<std::vector<QuoteLine>>(quoteLines(dm, projectRef));
    const int ratio = commonRatio(*lines);
    for (QuoteLine& l : *lines)
        l.drawing = drawLine(l, ratio);
    std::vector<calc::DesignPrice> prices;
    for (const QuoteLine& l : *lines)
        prices.push_back(l.price);
    const double markup = settings.markupFor(projectRef);
    const calc::QuoteTotals totals = calc::quoteTotals(prices, markup, settings.vatPercent);
    const QString cur = settings.currency;

    Report report;
    report.title = QStringLiteral("Quotation ") + projectRef;
    addCompanyHeader(report, dm, settings, date);

    const double w = report.page.contentWidth();
    // Columns: drawing, reference, system / finish / glazing, size, quantity, unit and line price.
    const double xRef = DrawingW + 2, xSpec = xRef + 14, xSize = xSpec + 46, xQty = xSize + 22,
                 xUnit = xQty + 10, xLine = w - 24;
    Band& header = report.add(BandKind::ColumnHeader, 8);
    const QFont heading = reportFont(8, true);
    header.label({0, 1, DrawingW, 5},
                 ratio > 0 ? QStringLiteral("Elevation (1:%1)").arg(qRound(ratio / Shrink))
                           : QStringLiteral("Elevation"),
                 heading);
    header.label({xRef, 1, 15, 5}, QStringLiteral("Ref."), heading);
    header.label({xSpec, 1, 45, 5}, QStringLiteral("System / Finish / Glazing"), heading);
    header.label({xSize, 1, 21, 5}, QStringLiteral("W \u00d7 H (mm)"), heading);
    header.label({xQty, 1, 9, 5}, QStringLiteral("Qty"), heading, Right);
    header.label({xUnit, 1, xLine - xUnit - 1, 5}, QStringLiteral("Unit price"), heading, Right);
    header.label({xLine, 1, 24, 5}, QStringLiteral("Line price"), heading, Right);
    header.line(7, 0, w);

    auto at = std::make_shared<size_t>(0);
    report.data.first = [at] { *at = 0; };
    report.data.eof = [at, lines] { return *at >= lines->size(); };
    report.data.next = [at] { ++*at; };
    auto current = [at, lines]() -> const QuoteLine& { return (*lines)[*at]; };

    Band& detail = report.add(BandKind::Detail, DrawingH + 3);
    auto drawing = std::make_shared<QImage>();
    detail.picture({0, 1.5, DrawingW, DrawingH}, drawing).exported = false;
    detail.beforePrint = [drawing, current] {
        *drawing = *current().drawing;
        return true;
    };
    const QFont plain = reportFont(8.5);
    detail.value({xRef, 2, 13, 5}, [current] { return current().price.designRef; }, plain,
                 TopLeft).wrap = true;
    detail.value({xSpec, 2, 45, DrawingH - 2}, [current] {
        const QuoteLine& l = current();
        QStringList spec{l.source.systemName, l.finish};
        QString glass = l.source.glassCode;
        if (!l.source.glassDesc.isEmpty()) glass += QStringLiteral(" \u2013 ") + l.source.glassDesc;
        spec << glass;
        if (!l.price.priced()) spec << QStringLiteral("No price: ") + l.price.reason;
        return spec.join(QLatin1Char('\n'));
    }, plain, TopLeft).wrap = true;
    detail.value({xSize, 2, 21, 5}, [current] { return sizeText(current().geometry); }, plain,
                 TopLeft);
    detail.value({xQty, 2, 9, 5}, [current] { return QString::number(current().price.quantity); },
                 plain, TopRight);
    detail.value({xUnit, 2, xLine - xUnit - 1, DrawingH - 2}, [current, cur] {
        const calc::DesignPrice& p = current().price;
        return p.priced() ? calc::moneyText(p.unit.supply(), cur) : QStringLiteral("no price");
    }, plain, TopRight).wrap = true;
    detail.value({xLine, 2, 24, 5}, [current, cur] {
        const calc::DesignPrice& p = current().price;
        return p.priced() ? calc::moneyText(p.unit.supply() * p.quantity, cur) : QString();
    }, plain, TopRight);
    detail.line(DrawingH + 2.5, 0, w);

    Band& summary = report.add(BandKind::Summary, 40);
    const QFont bold = reportFont(9, true), normal = reportFont(9);
    const struct {
        QString caption;
        long double amount;
        bool strong;
    } rows[] = {
        {QStringLiteral("Subtotal"), totals.subtotal, false},
        {QStringLiteral("Markup (%1)").arg(percentText(markup)), totals.markup, false},
        {QStringLiteral("Installation"), totals.installation, false},
        {QStringLiteral("VAT (%1)").arg(percentText(settings.vatPercent)), totals.vat, false},
        {QStringLiteral("Total"), totals.total, true},
    };
    double y = 2;
    for (const auto& r : rows) {
        summary.label({w - 100, y, 70, 5}, r.caption, r.strong ? bold : normal, Right);
        summary.label({w - 30, y, 30, 5}, calc::moneyText(r.amount, cur), r.strong ? bold : normal,
                      Right);
        y += r.strong ? 7 : 5.5;
    }
    summary.line(2 + 4 * 5.5 + 0.5, w - 60, w);
    if (totals.leftOut > 0)
        summary.label({0, y, w, 5},
                      QStringLiteral("%1 design(s) without a price are listed above but not "
                                     "included in the total.")
                          .arg(totals.leftOut),
                      reportFont(8.5, false, true));
    if (!settings.terms.trimmed().isEmpty()) {
        // The terms follow the totals, a paragraph a band, so a long text
        // breaks across pages between paragraphs rather than being cut.
        Band heading;
        heading.kind = BandKind::Summary;
        heading.height = 7;
        heading.label({0, 1, w, 5}, QStringLiteral("Terms and conditions"), bold);
        summary.children.push_back(std::move(heading));
        for (const QString& p : settings.terms.split(QLatin1Char('\n'))) {
            // About 110 characters a line at 8 pt across the page.
            const double h = 4.2 * double(std::max<qsizetype>(1, (p.size() + 109) / 110));
            Band paragraph;
            paragraph.kind = BandKind::Summary;
            paragraph.height = h + 0.5;
            paragraph.label({0, 0, w, h}, p, reportFont(8), TopLeft).wrap = true;
            summary.children.push_back(std::move(paragraph));
        }
    }
    addPageFooter(report, dm.WorkDir);
    Document doc = report.layout();
    doc.title = report.title;
    return doc;
}

} // namespace reports
