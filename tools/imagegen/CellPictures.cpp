#include "CellPictures.h"

#include "CellPainter.h"
#include "Palette.h"

#include <QDir>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <stdexcept>

namespace cellpictures {

namespace {

constexpr int kCell = 160;  // pixels of one nominal grid cell

struct Picture {
    const char* file;
    const char* word;
    int cols, rows;     // the span the picture is drawn for
    double scale;       // resolution multiple, for pictures stretched over several spans
    const char* usedFor;  // spans (columns x rows) the grid stretches it over
};

// A picture the grid stretches over one span only is drawn at that span's
// proportions. One that serves several spans is drawn at a higher resolution
// in the shape that distorts least across them: square, or 2:1 for the top and
// bottom-hung pictures, whose usual merged shape is a wide fanlight.
const Picture kPictures[] = {
    {"none.bmp", "NONE", 1, 1, 1, "empty cell"},
    {"top.bmp", "TOP", 1, 1, 1, "1x1"},
    {"top2.bmp", "TOP", 2, 2, 1, "2x2"},
    {"top3.bmp", "TOP", 2, 1, 1, "2x1"},
    {"top4.bmp", "TOP", 2, 1, 1.5, "3x1, 1x2, 1x3"},
    {"sideL.bmp", "SIDEL", 1, 1, 1, "1x1"},
    {"sideL2.bmp", "SIDEL", 2, 2, 1, "2x2"},
    {"sideL3.bmp", "SIDEL", 1, 2, 1, "1x2"},
    {"sideL4.bmp", "SIDEL", 1, 1, 2, "2x1, 3x1, 1x3"},
    {"sideR.bmp", "SIDER", 1, 1, 1, "1x1"},
    {"sideR2.bmp", "SIDER", 2, 2, 1, "2x2"},
    {"sideR3.bmp", "SIDER", 1, 2, 1, "1x2"},
    {"sideR4.bmp", "SIDER", 1, 1, 2, "2x1, 3x1, 1x3"},
    {"bott.bmp", "BOTTOM", 1, 1, 1, "1x1"},
    {"bott2.bmp", "BOTTOM", 2, 2, 1, "2x2"},
    {"bott3.bmp", "BOTTOM", 2, 1, 1, "2x1"},
    {"bott4.bmp", "BOTTOM", 2, 1, 1.5, "3x1, 1x2, 1x3"},
    {"fix.bmp", "FIXED", 1, 1, 1, "1x1"},
    {"fix2.bmp", "FIXED", 2, 2, 1, "2x2"},
    {"fix3.bmp", "FIXED", 2, 1, 1, "2x1"},
    {"fix4.bmp", "FIXED", 3, 1, 1, "3x1"},
    {"fix5.bmp", "FIXED", 1, 2, 1, "1x2"},
    {"fix6.bmp", "FIXED", 1, 3, 1, "1x3"},
    {"slidR.bmp", "SLIDR", 1, 1, 2, "every span"},
    {"slidL.bmp", "SLIDL", 1, 1, 2, "every span"},
    {"slidfL.bmp", "SLIDFL", 1, 1, 2, "every span"},
    {"slidfR.bmp", "SLIDFR", 1, 1, 2, "every span"},
    {"slidU.bmp", "SLIDU", 1, 1, 2, "every span"},
    {"SlidD.bmp", "SLIDD", 1, 1, 2, "every span"},
    {"TiltTurnL.bmp", "TILTTURNL", 1, 1, 2, "every span"},
    {"TiltTurnR.bmp", "TILTTURNR", 1, 1, 2, "every span"},
    {"TiltSlidL.bmp", "TILTSLIDL", 1, 1, 2, "every span"},
    {"TiltSlidR.bmp", "TILTSLIDR", 1, 1, 2, "every span"},
};

QImage render(const Picture& pic) {
    const int w = int(pic.cols * kCell * pic.scale), h = int(pic.rows * kCell * pic.scale);
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    cellpainter::paintPane(p, QRectF(0, 0, w, h), QString::fromLatin1(pic.word), pic.scale);
    return img;
}

// The spans a contact-sheet tile shows a picture on (first listed use).
QSize showSpan(const Picture& pic) {
    const QString u = QString::fromLatin1(pic.usedFor);
    if (u.startsWith(QLatin1String("3x1"))) return {3, 1};
    if (u.startsWith(QLatin1String("2x1"))) return {2, 1};
    if (u.startsWith(QLatin1String("2x2"))) return {2, 2};
    if (u.startsWith(QLatin1String("1x2"))) return {1, 2};
    if (u.startsWith(QLatin1String("1x3"))) return {1, 3};
    return {1, 1};
}

}  // namespace

QStringList fileNames() {
    QStringList names;
    for (const Picture& pic : kPictures) names << QString::fromLatin1(pic.file);
    return names;
}

QStringList write(const QString& imagesDir) {
    QStringList written;
    for (const Picture& pic : kPictures) {
        const QString file = QDir(imagesDir).filePath(QString::fromLatin1(pic.file));
        if (!render(pic).convertToFormat(QImage::Format_RGB888).save(file, "BMP"))
            throw std::runtime_error("cannot write " + file.toStdString());
        written << file;
    }
    return written;
}

void writeContactSheet(const QString& imagesDir, const QString& pngFile) {
    constexpr int kShown = 72;      // display size of one grid cell on the sheet
    constexpr int kTileW = 250, kTileH = 280, kPerRow = 6, kMargin = 24, kTitle = 70;
    const int count = int(std::size(kPictures));
    const int rowsOfTiles = (count + kPerRow - 1) / kPerRow;
    QImage sheet(kMargin * 2 + kTileW * kPerRow, kTitle + kMargin + kTileH * rowsOfTiles, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    QFont title(QStringLiteral("DejaVu Sans"), 16, QFont::Bold);
    p.setFont(title);
    p.setPen(palette::ink);
    p.drawText(QRect(kMargin, 14, sheet.width() - 2 * kMargin, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Grid cell pictures (Images/), as the design grid stretches them"));
    QFont small(QStringLiteral("DejaVu Sans"), 8);
    p.setFont(small);
    p.setPen(palette::muted);
    p.drawText(QRect(kMargin, 42, sheet.width() - 2 * kMargin, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Cells drawn at %1 px; each tile shows the picture on the first span it serves.")
                   .arg(kShown));
    QFont label(QStringLiteral("DejaVu Sans"), 9, QFont::Bold);
    for (int i = 0; i < count; ++i) {
        const Picture& pic = kPictures[i];
        const QImage img(QDir(imagesDir).filePath(QString::fromLatin1(pic.file)));
        if (img.isNull()) throw std::runtime_error(std::string("cannot read back ") + pic.file);
        const QSize span = showSpan(pic);
        const QRect tile(kMargin + (i % kPerRow) * kTileW, kTitle + (i / kPerRow) * kTileH, kTileW, kTileH);
        const QSize size(span.width() * kShown, span.height() * kShown);
        const QRect target(tile.center().x() - size.width() / 2, tile.top() + 12 + (220 - size.height()) / 2,
                           size.width(), size.height());
        p.drawImage(target, img);
        p.setPen(QPen(palette::emptyLine, 1));
        p.drawRect(tile.adjusted(4, 4, -4, -4));
        p.setFont(label);
        p.setPen(palette::ink);
        p.drawText(QRect(tile.left(), tile.top() + 236, tile.width(), 18), Qt::AlignCenter,
                   QStringLiteral("%1  %2").arg(i).arg(QString::fromLatin1(pic.file)));
        p.setFont(small);
        p.setPen(palette::muted);
        p.drawText(QRect(tile.left(), tile.top() + 254, tile.width(), 16), Qt::AlignCenter,
                   QStringLiteral("%1 · %2x%3 px · %4")
                       .arg(QString::fromLatin1(pic.word))
                       .arg(img.width())
                       .arg(img.height())
                       .arg(QString::fromLatin1(pic.usedFor)));
    }
    p.end();
    if (!sheet.save(pngFile, "PNG")) throw std::runtime_error("cannot write " + pngFile.toStdString());
}

}  // namespace cellpictures
