#include "DesignPicture.h"

#include "data/Paths.h"
#include "store/DataSet.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <map>

namespace reports {

namespace {
constexpr int CellPixels = 65;
}

QSize designPictureSize(const std::array<double, 10>& dimH, const std::array<double, 5>& dimV) {
    static const int widths[10] = {120, 170, 230, 290, 350, 410, 470, 530, 590, 650};
    static const int heights[5] = {100, 150, 200, 250, 300};
    double w = 120, h = 100;
    for (int i = 1; i < 10; ++i)
        if (dimH[size_t(i)] > 0) w = widths[i];
    for (int i = 1; i < 5; ++i)
        if (dimV[size_t(i)] > 0) h = heights[i];
    if (2 * h < w) h = w / 2;
    if (w / 2 < h) w = 2 * h;
    return QSize(int(std::lround(w)), int(std::lround(h)));
}

QSize designPictureSize(store::DataSet& design) {
    std::array<double, 10> h{};
    std::array<double, 5> v{};
    for (int i = 0; i < 10; ++i)
        h[size_t(i)] = design.fieldByName(QStringLiteral("DimH%1").arg(i + 1)).asFloat();
    for (int i = 0; i < 5; ++i)
        v[size_t(i)] = design.fieldByName(QStringLiteral("DimV%1").arg(i + 1)).asFloat();
    return designPictureSize(h, v);
}

QImage renderDesignPicture(const design::GridModel& grid, const QString& workDir,
                           const QSize& size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    std::map<QString, QImage> pictures;
    for (int r = 0; r < design::RowCount; ++r) {
        for (int c = 0; c < design::ColCount; ++c) {
            const design::Span s = grid.span(r, c);
            if (s.ColSpan < 1 || s.RowSpan < 1) continue; // drawn with its base cell
            const QRect cell(c * CellPixels, r * CellPixels, s.ColSpan * CellPixels,
                             s.RowSpan * CellPixels);
            const QString word = grid.mode(r, c);
            const QString file = word == design::None
                                     ? QStringLiteral("none.bmp")
                                     : design::cellPicture(word, s.ColSpan, s.RowSpan);
            auto it = pictures.find(file);
            if (it == pictures.end())
                it = pictures
                         .emplace(file, QImage(data::resolvePicture(
                                            workDir, QStringLiteral("Images/") + file)))
                         .first;
            if (!it->second.isNull())
                p.drawImage(cell, it->second);
            else
                p.fillRect(cell.adjusted(1, 1, -1, -1), word == design::None
                                                            ? QColor(0xf4, 0xf6, 0xf8)
                                                            : QColor(0xcf, 0xe3, 0xf3));
            p.setPen(QColor(0xa0, 0xa8, 0xb0));
            p.drawRect(cell.adjusted(0, 0, -1, -1));
        }
    }
    return image;
}

QString designPictureFile(const QString& workDir) {
    return QDir(workDir).filePath(QStringLiteral("Screen1.bmp"));
}

bool saveDesignPicture(const design::GridModel& grid, store::DataSet& design,
                       const QString& workDir) {
    const QString file = designPictureFile(workDir);
    const QImage image = renderDesignPicture(grid, workDir, designPictureSize(design));
    if (image.save(file, "BMP")) return true;
    QFile::remove(file);
    return false;
}

} // namespace reports
