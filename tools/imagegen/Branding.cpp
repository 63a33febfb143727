#include "Branding.h"

#include "CellPainter.h"
#include "Palette.h"

#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <functional>
#include <stdexcept>

namespace branding {

namespace {

constexpr int kJpegQuality = 93;

void save(const QImage& img, const QString& file) {
    if (!img.convertToFormat(QImage::Format_RGB888).save(file, "JPG", kJpegQuality))
        throw std::runtime_error("cannot write " + file.toStdString());
}

QFont font(const char* family, double pixels, int weight = QFont::Normal, double spacing = 0) {
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(qMax(1, qRound(pixels)));
    f.setWeight(QFont::Weight(weight));
    if (spacing != 0) f.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

// ------------------------------------------------------------------ suppliers

struct Brand {
    const char* name;       // supplier code, file name stem
    QColor colour, deep;    // brand colour and its darker shade
    QColor accent;
    const char* word;       // word mark
    const char* wordFont;
    int wordWeight;
    double wordSpacing;     // in em
    const char* tagline;
    std::function<void(QPainter&, const QRectF&, const QColor&, const QColor&)> emblem;
};

// Emblems, drawn into a square `r` in colour `fg` (and `accent`).
void orvaneEmblem(QPainter& p, const QRectF& r, const QColor& fg, const QColor& accent) {
    const double w = r.width();
    p.setPen(QPen(fg, w * 0.11));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(r.adjusted(w * 0.08, w * 0.08, -w * 0.08, -w * 0.08));
    p.setPen(QPen(accent, w * 0.09, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(r.left() + w * 0.34, r.top() + w * 0.62), QPointF(r.left() + w * 0.62, r.top() + w * 0.34));
    p.drawLine(QPointF(r.left() + w * 0.46, r.top() + w * 0.70), QPointF(r.left() + w * 0.62, r.top() + w * 0.54));
}

void telmarEmblem(QPainter& p, const QRectF& r, const QColor& fg, const QColor& accent) {
    const double w = r.width();
    QPainterPath shield;
    shield.moveTo(r.left() + w * 0.5, r.top() + w * 0.04);
    shield.lineTo(r.right() - w * 0.1, r.top() + w * 0.2);
    shield.cubicTo(r.right() - w * 0.1, r.top() + w * 0.62, r.left() + w * 0.72, r.bottom() - w * 0.14,
                   r.left() + w * 0.5, r.bottom() - w * 0.02);
    shield.cubicTo(r.left() + w * 0.28, r.bottom() - w * 0.14, r.left() + w * 0.1, r.top() + w * 0.62,
                   r.left() + w * 0.1, r.top() + w * 0.2);
    shield.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(fg);
    p.drawPath(shield);
    p.setBrush(accent);
    p.drawRect(QRectF(r.left() + w * 0.27, r.top() + w * 0.26, w * 0.46, w * 0.12));
    p.drawRect(QRectF(r.left() + w * 0.44, r.top() + w * 0.26, w * 0.12, w * 0.48));
}

void haldorEmblem(QPainter& p, const QRectF& r, const QColor& fg, const QColor& accent) {
    const double w = r.width();
    QPolygonF hex;
    for (int i = 0; i < 6; ++i) {
        const double a = M_PI / 3 * i + M_PI / 6;
        hex << r.center() + QPointF(std::cos(a), std::sin(a)) * w * 0.46;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(fg);
    p.drawPolygon(hex);
    QPolygonF inner;
    for (const QPointF& pt : hex) inner << r.center() + (pt - r.center()) * 0.58;
    p.setBrush(accent);
    p.drawPolygon(inner);
}

void brevikEmblem(QPainter& p, const QRectF& r, const QColor& fg, const QColor& accent) {
    const double w = r.width();
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        const double y = r.top() + w * (0.12 + i * 0.27);
        QPolygonF pane;
        pane << QPointF(r.left() + w * 0.22, y + w * 0.2) << QPointF(r.left() + w * 0.36, y)
             << QPointF(r.right() - w * 0.08, y) << QPointF(r.right() - w * 0.22, y + w * 0.2);
        p.setBrush(i == 1 ? accent : fg);
        p.drawPolygon(pane);
    }
}

const Brand kBrands[] = {
    {"Orvane", QColor(0x0e, 0x6e, 0x7e), QColor(0x08, 0x47, 0x52), QColor(0x7f, 0xd6, 0xe0), "ORVANE",
     "URW Gothic", QFont::DemiBold, 0.14, "GLASS PRODUCTS", orvaneEmblem},
    {"Telmar", QColor(0x1b, 0x36, 0x5d), QColor(0x10, 0x22, 0x3d), QColor(0xf2, 0x8c, 0x28), "Telmar",
     "Nimbus Sans", QFont::Bold, 0.02, "SAFETY GLASS", telmarEmblem},
    {"Haldor", QColor(0x24, 0x56, 0x3d), QColor(0x16, 0x38, 0x27), QColor(0xc8, 0xd9, 0x6f), "HALDOR",
     "C059", QFont::Bold, 0.08, "GLASS INDUSTRIES", haldorEmblem},
    {"Brevik", QColor(0x7b, 0x20, 0x40), QColor(0x52, 0x12, 0x29), QColor(0xf2, 0xb8, 0xc6), "brevik",
     "Nimbus Sans", QFont::Black, 0.0, "GLASS", brevikEmblem},
};

// Emblem and word mark laid out centred in `area`.
void brandMark(QPainter& p, const Brand& b, const QRectF& area, const QColor& fg, const QColor& accent,
               const QColor& taglineColour, double h = 0) {
    if (h == 0) h = area.height();
    const double emblem = h * 0.62;
    QFont word = font(b.wordFont, h * 0.40, b.wordWeight);
    word.setLetterSpacing(QFont::AbsoluteSpacing, h * 0.40 * b.wordSpacing);
    QFont tag = font("Nimbus Sans", h * 0.125, QFont::Bold, h * 0.125 * 0.28);
    const double wordWidth = QFontMetricsF(word).horizontalAdvance(QString::fromLatin1(b.word));
    const double tagWidth = QFontMetricsF(tag).horizontalAdvance(QString::fromLatin1(b.tagline));
    const double textWidth = qMax(wordWidth, tagWidth);
    const double gap = h * 0.14;
    const double total = emblem + gap + textWidth;
    if (total > area.width()) {
        // Too wide for the box: shrink the whole mark to fit.
        brandMark(p, b, area, fg, accent, taglineColour, h * area.width() / total * 0.98);
        return;
    }
    const double x0 = area.center().x() - total / 2;
    const QRectF er(x0, area.center().y() - emblem / 2, emblem, emblem);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    b.emblem(p, er, fg, accent);
    const double tx = er.right() + gap;
    const QFontMetricsF wm(word);
    const double baseline = area.center().y() + wm.capHeight() * 0.42;
    p.setFont(word);
    p.setPen(fg);
    p.drawText(QPointF(tx, baseline), QString::fromLatin1(b.word));
    p.setFont(tag);
    p.setPen(taglineColour);
    p.drawText(QPointF(tx + 1, baseline + h * 0.20), QString::fromLatin1(b.tagline));
}

// Screen logo: the word mark reversed out of the brand colour.
QImage screenLogo(const Brand& b) {
    QImage img(200, 100, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 200, 100);
    g.setColorAt(0, b.colour);
    g.setColorAt(1, b.deep);
    p.fillRect(img.rect(), g);
    brandMark(p, b, QRectF(6, 14, 188, 72), Qt::white, b.accent, QColor(255, 255, 255, 200));
    return img;
}

// Print logo: brand colours on white paper.
QImage whiteLogo(const Brand& b) {
    QImage img(570, 194, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    const QColor accent = b.accent.lightness() > 170 ? b.colour.lighter(160) : b.accent;
    brandMark(p, b, QRectF(20, 30, 530, 134), b.colour, accent, palette::muted);
    return img;
}

QImage noSupplier() {
    QImage img(200, 100, QImage::Format_RGB32);
    img.fill(QColor(0xee, 0xf1, 0xf4));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xb8, 0xc0, 0xca), 2, Qt::DashLine));
    p.drawRoundedRect(QRectF(6, 6, 188, 88), 8, 8);
    QImage pane(160, 160, QImage::Format_RGB32);
    pane.fill(QColor(0xee, 0xf1, 0xf4));
    {
        QPainter pp(&pane);
        cellpainter::paintPane(pp, QRectF(0, 0, 160, 160), QStringLiteral("FIXED"), 1.0);
    }
    p.setOpacity(0.55);
    p.drawImage(QRectF(20, 28, 44, 44), pane.convertToFormat(QImage::Format_Grayscale8));
    p.setOpacity(1);
    p.setFont(font("DejaVu Sans", 13, QFont::Bold));
    p.setPen(QColor(0x7a, 0x84, 0x90));
    p.drawText(QRectF(72, 30, 120, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("No supplier"));
    p.setFont(font("DejaVu Sans", 11));
    p.drawText(QRectF(72, 50, 120, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("logo available"));
    return img;
}

// ------------------------------------------------------------------ program

// The program's emblem: a four-light window with one pane lit by the sun.
void quorvexEmblem(QPainter& p, const QRectF& r, const QColor& frame, const QColor& glass, const QColor& sun) {
    const double w = r.width();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(frame);
    p.drawRoundedRect(r, w * 0.12, w * 0.12);
    const double b = w * 0.1, m = w * 0.07;
    const double pane = (w - 2 * b - m) / 2;
    for (int i = 0; i < 4; ++i) {
        const QRectF pr(r.left() + b + (i % 2) * (pane + m), r.top() + b + (i / 2) * (pane + m), pane, pane);
        p.setBrush(i == 1 ? sun : glass);
        p.drawRoundedRect(pr, w * 0.03, w * 0.03);
    }
    p.setPen(QPen(frame, w * 0.045, Qt::SolidLine, Qt::RoundCap));
    const QRectF lit(r.left() + b + pane + m, r.top() + b, pane, pane);
    p.drawLine(QPointF(lit.left() + pane * 0.25, lit.top() + pane * 0.62),
               QPointF(lit.left() + pane * 0.62, lit.top() + pane * 0.25));
}

QImage banner(int w, int h, bool withSubtitle) {
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // The right part is plain navy so that a wider window can continue it.
    QLinearGradient g(0, 0, withSubtitle ? w * 0.6 : w, 0);
    g.setColorAt(0, palette::brandBlue);
    g.setColorAt(1, palette::brandNavy);
    p.fillRect(img.rect(), g);
    // A faint elevation of window lights, fading out before the plain right end.
    const double cell = h * 0.36;
    const double from = withSubtitle ? w * 0.62 : w * 0.74, to = w * (withSubtitle ? 0.9 : 0.98);
    for (double x = from; withSubtitle && x + cell < to; x += cell * 1.3) {
        const int alpha = int(40 * (1 - (x - from) / (to - from)));
        p.setPen(QPen(QColor(255, 255, 255, alpha), 1.5));
        for (int row = 0; row < 2; ++row) {
            const QRectF r(x, h * 0.1 + row * (cell + h * 0.06), cell, cell);
            p.drawRect(r);
            p.drawLine(QLineF(r.left(), r.bottom(), r.center().x(), r.top()));
            p.drawLine(QLineF(r.center().x(), r.top(), r.right(), r.bottom()));
        }
    }
    p.fillRect(QRectF(0, h - h * 0.06, w, h * 0.06), palette::brandAccent);
    const double e = h * 0.62;
    quorvexEmblem(p, QRectF(h * 0.22, (h - e) / 2 - h * 0.02, e, e), Qt::white, palette::brandSky,
                  palette::brandAccent);
    const double tx = h * 0.22 + e + h * 0.22;
    QFont title = font("DejaVu Sans", h * 0.34, QFont::Bold);
    p.setFont(title);
    p.setPen(Qt::white);
    const double base = withSubtitle ? h * 0.50 : h * 0.62;
    p.drawText(QPointF(tx, base), QStringLiteral("Quorvex"));
    const double tw = QFontMetricsF(title).horizontalAdvance(QStringLiteral("Quorvex "));
    p.setFont(font("DejaVu Sans", h * 0.34, QFont::Light));
    p.setPen(QColor(0xc9, 0xe2, 0xf6));
    p.drawText(QPointF(tx + tw, base), QStringLiteral("U-Value Calculator"));
    if (withSubtitle) {
        p.setFont(font("DejaVu Sans", h * 0.14, QFont::Normal, h * 0.01));
        p.setPen(QColor(255, 255, 255, 200));
        p.drawText(QPointF(tx + 2, h * 0.76),
                   QStringLiteral("Thermal performance of aluminium windows and doors  \u00b7  "
                                  "U-value, SHGC and SANS 10400-XA fenestration checks"));
    }
    return img;
}

// The disclaimer window's picture: an elevation with heat and sun arrows.
QImage aboutPicture() {
    const int s = 320;
    QImage img(s, s, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, s);
    sky.setColorAt(0, QColor(0xea, 0xf3, 0xfb));
    sky.setColorAt(1, Qt::white);
    p.fillRect(img.rect(), sky);
    QRadialGradient sun(QPointF(s * 0.82, s * 0.17), s * 0.16);
    sun.setColorAt(0, QColor(0xff, 0xd2, 0x6b));
    sun.setColorAt(0.6, QColor(0xf5, 0xa6, 0x3b));
    sun.setColorAt(1, QColor(0xf5, 0xa6, 0x3b, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sun);
    p.drawEllipse(QPointF(s * 0.82, s * 0.17), s * 0.16, s * 0.16);
    const QRectF win(s * 0.16, s * 0.26, s * 0.58, s * 0.62);
    const double sc = 0.9;
    const double colW = win.width() / 2, topH = win.height() * 0.3;
    cellpainter::paintPane(p, QRectF(win.left(), win.top(), colW, topH), QStringLiteral("TOP"), sc);
    cellpainter::paintPane(p, QRectF(win.left() + colW, win.top(), colW, topH), QStringLiteral("TOP"), sc);
    cellpainter::paintPane(p, QRectF(win.left(), win.top() + topH, colW, win.height() - topH),
                           QStringLiteral("SIDEL"), sc);
    cellpainter::paintPane(p, QRectF(win.left() + colW, win.top() + topH, colW, win.height() - topH),
                           QStringLiteral("FIXED"), sc);
    // Solar gain in, heat loss out.
    auto arrow = [&](QPointF a, QPointF b, const QColor& c) {
        p.setPen(QPen(c, 5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(a, b);
        const QPointF d = (b - a) / std::hypot(b.x() - a.x(), b.y() - a.y());
        const QPointF n(-d.y(), d.x());
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawPolygon(QPolygonF{b + d * 6, b - d * 12 + n * 9, b - d * 12 - n * 9});
    };
    arrow(QPointF(s * 0.74, s * 0.30), QPointF(s * 0.56, s * 0.52), QColor(0xf0, 0x8c, 0x2a));
    arrow(QPointF(s * 0.30, s * 0.70), QPointF(s * 0.08, s * 0.82), QColor(0xd9, 0x48, 0x3b));
    p.setFont(font("DejaVu Sans", 15, QFont::Bold));
    p.setPen(QColor(0xd9, 0x48, 0x3b));
    p.drawText(QRectF(4, s * 0.86, s * 0.4, 24), Qt::AlignLeft, QStringLiteral("U"));
    p.setPen(QColor(0xc9, 0x74, 0x1a));
    p.drawText(QRectF(s * 0.62, s * 0.36, s * 0.36, 24), Qt::AlignRight, QStringLiteral("SHGC"));
    return img;
}

QImage footerLogo() {
    QImage img(572, 120, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    quorvexEmblem(p, QRectF(14, 16, 88, 88), palette::brandNavy, palette::brandSky, palette::brandAccent);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(font("DejaVu Sans", 46, QFont::Bold));
    p.setPen(palette::brandNavy);
    p.drawText(QPointF(124, 66), QStringLiteral("Quorvex"));
    p.setFont(font("DejaVu Sans", 21, QFont::Normal, 1.5));
    p.setPen(palette::brandBlue);
    p.drawText(QPointF(127, 98), QStringLiteral("U-VALUE CALCULATOR"));
    return img;
}

QImage footerBadge(const QString& big, const QString& line1, const QString& line2, const QColor& colour) {
    QImage img(240, 120, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour, 4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(6, 6, 228, 108), 16, 16);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(6, 6, 228, 48), 16, 16);
    p.drawRect(QRectF(6, 30, 228, 24));
    p.setFont(font("DejaVu Sans", 25, QFont::Bold));
    p.setPen(Qt::white);
    p.drawText(QRectF(6, 6, 228, 48), Qt::AlignCenter, big);
    p.setFont(font("DejaVu Sans", 15, QFont::DemiBold));
    p.setPen(colour);
    p.drawText(QRectF(6, 58, 228, 26), Qt::AlignCenter, line1);
    p.setFont(font("DejaVu Sans", 14));
    p.setPen(palette::muted);
    p.drawText(QRectF(6, 84, 228, 24), Qt::AlignCenter, line2);
    return img;
}

// The small picture beside the profile table of the design report: a section
// through the head of a casement, frame, sash, gaskets and glazing unit.
QImage profileSection() {
    const int s = 300;
    QImage img(s, s, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor alu(0xb9, 0xc1, 0xcb), line(0x3d, 0x47, 0x54);
    p.save();
    p.translate(8, 26);
    p.scale(0.78, 0.88);
    QPen pen(line, 2.2);
    pen.setJoinStyle(Qt::MiterJoin);
    auto body = [&](const QPainterPath& path) {
        p.setPen(pen);
        p.setBrush(alu);
        p.drawPath(path);
    };
    // Outer frame: a hollow box with a glazing rebate leg.
    QPainterPath frame;
    frame.addRect(QRectF(40, 40, 220, 60));
    QPainterPath hollow;
    hollow.addRect(QRectF(52, 52, 196, 36));
    body(frame.subtracted(hollow));
    QPainterPath leg;
    leg.addRect(QRectF(40, 100, 22, 40));
    body(leg);
    // Sash: hollow box hung below the frame, holding the glass.
    QPainterPath sash;
    sash.addRect(QRectF(70, 108, 170, 54));
    QPainterPath sashHollow;
    sashHollow.addRect(QRectF(82, 120, 146, 30));
    body(sash.subtracted(sashHollow));
    QPainterPath beadLeg;
    beadLeg.addRect(QRectF(70, 162, 26, 50));
    body(beadLeg);
    QPainterPath bead;
    bead.addRect(QRectF(196, 162, 22, 50));
    body(bead);
    // Glazing unit: two panes, spacer, sealant.
    p.setPen(QPen(line, 1.5));
    p.setBrush(QColor(0xcf, 0xe3, 0xf3));
    p.drawRect(QRectF(112, 170, 14, 120));
    p.drawRect(QRectF(164, 170, 14, 120));
    p.setBrush(QColor(0x8c, 0x95, 0xa1));
    p.drawRect(QRectF(126, 176, 38, 16));
    p.setBrush(QColor(0x30, 0x34, 0x3a));
    p.drawRect(QRectF(112, 164, 66, 6));
    // Gaskets.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x22, 0x22, 0x22));
    for (const QRectF& g : {QRectF(96, 196, 16, 10), QRectF(178, 196, 18, 10), QRectF(62, 104, 10, 14),
                            QRectF(236, 100, 12, 10)})
        p.drawRoundedRect(g, 3, 3);
    p.restore();
    p.setFont(font("DejaVu Sans", 13, QFont::Bold));
    p.setPen(palette::muted);
    p.drawText(QRectF(8, 6, 204, 24), Qt::AlignCenter, QStringLiteral("HEAD SECTION"));
    p.setFont(font("DejaVu Sans", 12));
    auto label = [&](double y, double fromX, const QString& text) {
        p.setPen(QPen(palette::muted, 1));
        p.drawLine(QPointF(fromX, y), QPointF(222, y));
        p.setPen(palette::ink);
        p.drawText(QRectF(226, y - 9, 74, 18), Qt::AlignLeft | Qt::AlignVCenter, text);
    };
    label(86, 212, QStringLiteral("frame"));
    label(143, 196, QStringLiteral("sash"));
    label(240, 148, QStringLiteral("glazing"));
    p.drawText(QRectF(226, 247, 74, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("unit"));
    return img;
}

}  // namespace

QStringList fileNames() {
    QStringList names;
    for (const Brand& b : kBrands) {
        names << QStringLiteral("%1Logo.jpg").arg(QString::fromLatin1(b.name));
        names << QStringLiteral("%1LogoWhite.jpg").arg(QString::fromLatin1(b.name));
    }
    names << QStringLiteral("NoSupplier.jpg") << QStringLiteral("Banner.jpg") << QStringLiteral("AboutBanner.jpg")
          << QStringLiteral("AboutPicture.jpg") << QStringLiteral("FooterLogo.jpg")
          << QStringLiteral("FooterBadge1.jpg") << QStringLiteral("FooterBadge2.jpg")
          << QStringLiteral("ProfileSection.jpg");
    return names;
}

QStringList write(const QString& imagesDir) {
    const QDir dir(imagesDir);
    QStringList written;
    auto put = [&](const QImage& img, const QString& name) {
        save(img, dir.filePath(name));
        written << dir.filePath(name);
    };
    for (const Brand& b : kBrands) {
        put(screenLogo(b), QStringLiteral("%1Logo.jpg").arg(QString::fromLatin1(b.name)));
        put(whiteLogo(b), QStringLiteral("%1LogoWhite.jpg").arg(QString::fromLatin1(b.name)));
    }
    put(noSupplier(), QStringLiteral("NoSupplier.jpg"));
    put(banner(1600, 96, true), QStringLiteral("Banner.jpg"));
    put(banner(640, 96, false), QStringLiteral("AboutBanner.jpg"));
    put(aboutPicture(), QStringLiteral("AboutPicture.jpg"));
    put(footerLogo(), QStringLiteral("FooterLogo.jpg"));
    put(footerBadge(QStringLiteral("SANS 204"), QStringLiteral("SANS 10400-XA"),
                    QStringLiteral("fenestration check"), palette::brandBlue),
        QStringLiteral("FooterBadge1.jpg"));
    put(footerBadge(QStringLiteral("U \u00b7 SHGC"), QStringLiteral("ISO 15099 method"),
                    QStringLiteral("whole-window values"), QColor(0x2e, 0x7d, 0x5b)),
        QStringLiteral("FooterBadge2.jpg"));
    put(profileSection(), QStringLiteral("ProfileSection.jpg"));
    if (written.size() != fileNames().size()) throw std::logic_error("picture list out of step");
    return written;
}

}  // namespace branding
