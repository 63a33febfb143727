#include "Standards.h"

#include "CellPainter.h"
#include "Csv.h"
#include "Palette.h"

#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <map>
#include <stdexcept>
#include <vector>

namespace standards {

namespace {

// The picker shows 150 x 100 thumbnails and one larger picture: 3:2 at 600 x 400.
constexpr int kWidth = 600, kHeight = 400;
constexpr int kRows = 5, kCols = 10;

struct Cell {
    QString word = QStringLiteral("NONE");
    int colSpan = 1, rowSpan = 1;
};

struct Design {
    QString projectRef, ref, system, glass;
    int number = 0;
    double widths[kCols] = {};
    double heights[kRows] = {};
    Cell cells[kRows][kCols];
};

QFont font(double pixels, int weight = QFont::Normal) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(qRound(pixels));
    f.setWeight(QFont::Weight(weight));
    return f;
}

int toInt(const QString& s) {
    bool ok = false;
    const int v = s.toInt(&ok);
    if (!ok) throw std::runtime_error("not a whole number: " + s.toStdString());
    return v;
}

std::vector<Design> readDesigns(const QString& dataDir) {
    const QDir dir(dataDir);
    std::vector<Design> designs;
    std::map<std::pair<QString, int>, size_t> index;
    for (const csv::Row& r : csv::readFile(dir.filePath(QStringLiteral("Design.csv")))) {
        const QString project = r.value(QStringLiteral("Project_Ref"));
        if (!project.startsWith(u'_')) continue;
        Design d;
        d.projectRef = project;
        d.number = toInt(r.value(QStringLiteral("Design_No")));
        d.ref = r.value(QStringLiteral("Design_Ref"));
        d.system = r.value(QStringLiteral("System_Name"));
        d.glass = r.value(QStringLiteral("Glass_Code"));
        for (int i = 0; i < kCols; ++i) d.widths[i] = r.value(QStringLiteral("DimH%1").arg(i + 1)).toDouble();
        for (int i = 0; i < kRows; ++i) d.heights[i] = r.value(QStringLiteral("DimV%1").arg(i + 1)).toDouble();
        index[{project, d.number}] = designs.size();
        designs.push_back(d);
    }
    auto find = [&](const csv::Row& r) -> Design* {
        const auto it = index.find({r.value(QStringLiteral("Project_Ref")), toInt(r.value(QStringLiteral("Design_No")))});
        return it == index.end() ? nullptr : &designs[it->second];
    };
    for (const csv::Row& r : csv::readFile(dir.filePath(QStringLiteral("DesignImage.csv"))))
        if (Design* d = find(r))
            d->cells[toInt(r.value(QStringLiteral("Row")))][toInt(r.value(QStringLiteral("Column")))].word =
                r.value(QStringLiteral("ModeOfCell"));
    for (const csv::Row& r : csv::readFile(dir.filePath(QStringLiteral("DesignMerge.csv"))))
        if (Design* d = find(r)) {
            Cell& c = d->cells[toInt(r.value(QStringLiteral("Row")))][toInt(r.value(QStringLiteral("Column")))];
            c.colSpan = toInt(r.value(QStringLiteral("ColSpan")));
            c.rowSpan = toInt(r.value(QStringLiteral("RowSpan")));
        }
    return designs;
}

// A dimension line with ticks and the figure in mm, horizontal or vertical.
void dimension(QPainter& p, QPointF a, QPointF b, double mm, bool major) {
    const bool horizontal = qFuzzyCompare(a.y(), b.y());
    p.setPen(QPen(major ? palette::ink : palette::muted, major ? 1.4 : 1.1));
    p.drawLine(a, b);
    const QPointF tick = horizontal ? QPointF(0, 6) : QPointF(6, 0);
    for (const QPointF& e : {a, b}) p.drawLine(e - tick, e + tick);
    const QString text = QString::number(qRound(mm));
    p.setFont(font(major ? 14 : 12, major ? QFont::Bold : QFont::Normal));
    const QFontMetricsF fm(p.font());
    const double w = fm.horizontalAdvance(text) + 8;
    p.save();
    p.translate((a + b) / 2);
    if (!horizontal) p.rotate(-90);
    const QRectF box(-w / 2, -fm.height() / 2 - 1, w, fm.height());
    p.fillRect(box, Qt::white);
    p.drawText(box, Qt::AlignCenter, text);
    p.restore();
}

QImage render(const Design& d) {
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    int usedCols = 0, usedRows = 0;
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c)
            if (d.cells[r][c].word != QLatin1String("NONE")) {
                usedCols = qMax(usedCols, c + 1);
                usedRows = qMax(usedRows, r + 1);
            }
    double totalW = 0, totalH = 0;
    for (int c = 0; c < usedCols; ++c) totalW += d.widths[c];
    for (int r = 0; r < usedRows; ++r) totalH += d.heights[r];
    if (totalW <= 0 || totalH <= 0) throw std::runtime_error("design " + d.ref.toStdString() + " has no size");

    // Title.
    p.fillRect(QRectF(0, 0, kWidth, 46), QColor(0xf1, 0xf4, 0xf8));
    p.fillRect(QRectF(0, 46, kWidth, 2), palette::brandAccent);
    p.setPen(palette::brandNavy);
    p.setFont(font(22, QFont::Bold));
    p.drawText(QRectF(16, 0, 300, 46), Qt::AlignLeft | Qt::AlignVCenter, d.ref);
    p.setFont(font(14));
    p.setPen(palette::muted);
    p.drawText(QRectF(200, 0, kWidth - 216, 46), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("%1  \u00b7  %2").arg(d.system, d.glass));

    // Elevation, as seen from outside, in proportion.
    const QRectF area(96, 66, kWidth - 96 - 28, kHeight - 66 - 70);
    const double mmToPx = qMin(area.width() / totalW, area.height() / totalH);
    const double scale = qBound(0.45, mmToPx * 2.4, 1.3);
    const QPointF origin(area.center().x() - totalW * mmToPx / 2, area.top() + (area.height() - totalH * mmToPx) / 2);
    double x[kCols + 1] = {}, y[kRows + 1] = {};
    for (int c = 0; c < kCols; ++c) x[c + 1] = x[c] + d.widths[c];
    for (int r = 0; r < kRows; ++r) y[r + 1] = y[r] + d.heights[r];
    auto at = [&](double mx, double my) { return origin + QPointF(mx * mmToPx, my * mmToPx); };
    for (int r = 0; r < usedRows; ++r)
        for (int c = 0; c < usedCols; ++c) {
            const Cell& cell = d.cells[r][c];
            if (cell.colSpan < 1 || cell.rowSpan < 1) continue;
            const QRectF rect(at(x[c], y[r]), at(x[qMin(kCols, c + cell.colSpan)], y[qMin(kRows, r + cell.rowSpan)]));
            if (!cellpainter::isKnownWord(cell.word))
                throw std::runtime_error("design " + d.ref.toStdString() + ": unknown cell type");
            cellpainter::paintPane(p, rect, cell.word, scale);
        }

    // Dimensions: columns and overall width below, rows and overall height on the left.
    const double bottom = origin.y() + totalH * mmToPx;
    const double left = origin.x();
    if (usedCols > 1)
        for (int c = 0; c < usedCols; ++c)
            dimension(p, at(x[c], 0) + QPointF(0, totalH * mmToPx + 18), at(x[c + 1], 0) + QPointF(0, totalH * mmToPx + 18),
                      d.widths[c], false);
    dimension(p, QPointF(left, bottom + (usedCols > 1 ? 44 : 24)),
              QPointF(left + totalW * mmToPx, bottom + (usedCols > 1 ? 44 : 24)), totalW, true);
    if (usedRows > 1)
        for (int r = 0; r < usedRows; ++r)
            dimension(p, at(0, y[r]) - QPointF(20, 0), at(0, y[r + 1]) - QPointF(20, 0), d.heights[r], false);
    dimension(p, QPointF(left - (usedRows > 1 ? 48 : 24), origin.y()),
              QPointF(left - (usedRows > 1 ? 48 : 24), bottom), totalH, true);
    return img;
}

QImage blank() {
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    img.fill(QColor(0xf4, 0xf6, 0xf8));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xc3, 0xcb, 0xd4), 4, Qt::DashLine));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(200, 70, 200, 200), 6, 6);
    p.setPen(QPen(QColor(0xc3, 0xcb, 0xd4), 3, Qt::DashLine));
    p.drawLine(QPointF(300, 76), QPointF(300, 264));
    p.drawLine(QPointF(206, 150), QPointF(394, 150));
    p.setPen(palette::muted);
    p.setFont(font(22, QFont::DemiBold));
    p.drawText(QRectF(0, 290, kWidth, 36), Qt::AlignCenter, QStringLiteral("No picture for this design"));
    p.setFont(font(15));
    p.drawText(QRectF(0, 326, kWidth, 28), Qt::AlignCenter,
               QStringLiteral("Add one as Images/Standards/<design reference>.jpg"));
    return img;
}

void save(const QImage& img, const QString& file) {
    if (!img.convertToFormat(QImage::Format_RGB888).save(file, "JPG", 92))
        throw std::runtime_error("cannot write " + file.toStdString());
}

}  // namespace

QStringList write(const QString& dataDir, const QString& standardsDir) {
    const QDir out(standardsDir);
    QStringList written;
    save(blank(), out.filePath(QStringLiteral("Blank.jpg")));
    written << out.filePath(QStringLiteral("Blank.jpg"));
    for (const Design& d : readDesigns(dataDir)) {
        const QString file = out.filePath(d.ref + QStringLiteral(".jpg"));
        save(render(d), file);
        written << file;
    }
    return written;
}

}  // namespace standards
