#include "ClimateMap.h"

#include "Palette.h"

#include <QDir>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <stdexcept>
#include <vector>

namespace climatemap {

namespace {

// Window client area 747 x 576, drawn at twice that.
constexpr int kWidth = 1494, kHeight = 1152;

struct LonLat {
    double lon, lat;
};

// Simplified national border and coastline, clockwise from the Orange River
// mouth; accurate to a few tens of kilometres, which is all a zone sketch needs.
const std::vector<LonLat> kBorder = {
    {16.45, -28.63}, {17.40, -28.70}, {18.20, -28.90}, {19.00, -28.92}, {19.60, -28.50}, {20.00, -28.40},
    {20.00, -24.75}, {20.40, -25.60}, {20.65, -26.45}, {20.80, -26.85}, {21.70, -26.85}, {22.60, -26.10},
    {23.40, -25.40}, {24.30, -25.60}, {25.00, -25.75}, {25.60, -25.60}, {25.90, -25.20}, {26.50, -24.60},
    {26.90, -24.30}, {27.40, -23.90}, {28.00, -23.40}, {28.30, -22.80}, {29.00, -22.20}, {30.00, -22.20},
    {31.30, -22.40}, {31.55, -23.20}, {31.90, -24.20}, {31.95, -25.45}, {31.97, -25.95}, {31.40, -25.75},
    {31.00, -25.80}, {30.80, -26.30}, {30.80, -26.80}, {31.10, -27.30}, {31.95, -27.30}, {32.10, -26.85},
    {32.89, -26.86}, {32.60, -27.80}, {32.45, -28.40}, {32.05, -28.80}, {31.45, -29.30}, {31.05, -29.87},
    {30.45, -30.73}, {30.20, -31.05}, {29.55, -31.63}, {28.70, -32.25}, {27.90, -33.03}, {26.90, -33.60},
    {25.62, -33.96}, {24.84, -34.20}, {23.80, -34.05}, {23.05, -34.07}, {22.15, -34.18}, {21.00, -34.40},
    {20.00, -34.83}, {19.24, -34.42}, {18.80, -34.38}, {18.50, -34.35}, {18.42, -33.92}, {18.10, -33.40},
    {17.90, -33.00}, {18.30, -32.10}, {17.90, -31.40}, {17.27, -30.32}, {16.87, -29.25}};

const std::vector<LonLat> kLesotho = {
    {27.00, -29.60}, {27.50, -29.05}, {28.20, -28.75}, {28.60, -28.60}, {29.30, -29.00}, {29.45, -29.50},
    {29.10, -30.10}, {28.50, -30.50}, {28.00, -30.65}, {27.40, -30.30}, {27.00, -29.90}};

const std::vector<LonLat> kEswatini = {
    {31.97, -25.95}, {32.10, -26.85}, {31.95, -27.30}, {31.10, -27.30}, {30.80, -26.80}, {30.80, -26.30},
    {31.00, -25.80}, {31.40, -25.75}};

struct Zone {
    int number;
    const char* name;
    QColor colour;
    std::vector<LonLat> area;  // clipped to the border; later zones paint over earlier ones
};

// Zone 6 is the ground colour; the others are painted over it in this order.
const std::vector<Zone>& zones() {
    static const std::vector<Zone> z = {
        {6, "Arid interior", QColor(0xdc, 0xbf, 0x93), {}},
        {2, "Temperate interior", QColor(0x93, 0xc4, 0x85),
         {{25.2, -21.0}, {34.0, -21.0}, {34.0, -36.0}, {26.2, -36.0}, {26.2, -32.4}, {25.3, -30.2},
          {25.3, -29.0}, {25.2, -26.5}}},
        {1, "Cold interior", QColor(0x6f, 0x9c, 0xd6),
         {{25.8, -26.0}, {27.5, -26.0}, {28.1, -25.95}, {29.0, -25.8}, {30.2, -25.7}, {30.5, -25.9},
          {30.8, -26.4}, {30.6, -27.3}, {30.0, -28.2}, {29.6, -29.3}, {29.3, -30.4}, {28.6, -31.2},
          {27.6, -32.1}, {26.6, -32.4}, {25.8, -31.8}, {25.6, -30.7}, {25.45, -29.6}, {25.6, -28.6},
          {25.6, -27.4}}},
        {3, "Hot interior", QColor(0xe9, 0x8b, 0x5e),
         {{26.5, -21.0}, {34.0, -21.0}, {34.0, -26.3}, {31.0, -26.2}, {30.6, -25.6}, {30.5, -24.8},
          {30.1, -24.2}, {29.4, -23.5}, {28.5, -23.4}, {27.6, -23.6}, {26.9, -24.3}, {26.5, -24.3}}},
        {4, "Temperate coastal", QColor(0x6f, 0xc3, 0xc3),
         {{16.0, -31.6}, {17.6, -31.6}, {19.2, -32.2}, {19.8, -33.25}, {21.0, -33.55}, {22.5, -33.65},
          {24.0, -33.65}, {25.5, -33.55}, {26.6, -33.3}, {27.3, -33.25}, {27.3, -36.0}, {16.0, -36.0}}},
        {5, "Sub-tropical coastal", QColor(0xf1, 0xc9, 0x5b),
         {{27.3, -36.0}, {27.3, -33.25}, {27.9, -32.6}, {28.8, -31.8}, {29.6, -31.0}, {30.2, -30.2},
          {30.6, -29.5}, {31.0, -28.9}, {31.6, -28.2}, {31.9, -27.5}, {32.2, -27.0}, {32.6, -26.6},
          {34.0, -26.6}, {34.0, -36.0}}},
    };
    return z;
}

struct City {
    const char* name;
    LonLat at;
    int dx, dy;  // label offset, pixels
};

const City kCities[] = {
    {"Johannesburg", {28.05, -26.20}, 14, 22},  {"Bloemfontein", {26.21, -29.12}, 14, 6},
    {"Pretoria", {28.19, -25.75}, 14, -6},       {"Polokwane", {29.45, -23.90}, 14, 6},
    {"Makhado", {29.90, -23.05}, 14, -4},        {"Mbombela", {30.97, -25.47}, 14, 6},
    {"Cape Town", {18.42, -33.92}, 14, 8},       {"Gqeberha", {25.62, -33.96}, -14, 34},
    {"Durban", {31.02, -29.86}, 14, 6},          {"East London", {27.90, -33.02}, 14, 20},
    {"Richards Bay", {32.05, -28.78}, 14, 6},    {"Upington", {21.25, -28.45}, 14, 6},
    {"Kimberley", {24.77, -28.74}, -14, 6},
};

QPointF project(const LonLat& ll) {
    // Equirectangular, stretched by the cosine of the mid latitude.
    const double k = 78.0;
    const double c = std::cos(qDegreesToRadians(29.0));
    return {110 + (ll.lon - 16.3) * c * k, 140 + (-22.1 - ll.lat) * k};
}

QPainterPath pathOf(const std::vector<LonLat>& pts) {
    QPainterPath path;
    path.moveTo(project(pts.front()));
    for (size_t i = 1; i < pts.size(); ++i) path.lineTo(project(pts[i]));
    path.closeSubpath();
    return path;
}

QFont font(double pixels, int weight = QFont::Normal) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(qRound(pixels));
    f.setWeight(QFont::Weight(weight));
    return f;
}

QImage render() {
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    img.fill(QColor(0xf4, 0xf8, 0xfb));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Sea.
    p.fillRect(QRectF(0, 0, kWidth, kHeight), QColor(0xe4, 0xef, 0xf7));
    const QPainterPath land = pathOf(kBorder).subtracted(pathOf(kLesotho)).subtracted(pathOf(kEswatini));
    // Neighbouring land, unzoned.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xef, 0xef, 0xec));
    p.drawPath(pathOf({{16.45, -28.63}, {15.2, -26.8}, {14.4, -23.0}, {14.0, -18.0}, {38.0, -18.0},
                       {35.5, -22.5}, {35.4, -23.9}, {33.4, -25.4}, {32.89, -26.86}}));
    for (const Zone& z : zones()) {
        p.setBrush(z.colour);
        p.drawPath(z.area.empty() ? land : land.intersected(pathOf(z.area)));
    }
    p.setBrush(QColor(0xef, 0xef, 0xec));
    p.drawPath(pathOf(kLesotho));
    p.drawPath(pathOf(kEswatini));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x55, 0x5f, 0x6b), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(pathOf(kBorder));
    p.setPen(QPen(QColor(0x55, 0x5f, 0x6b), 1.8, Qt::DashLine));
    p.drawPath(pathOf(kLesotho));
    p.drawPath(pathOf(kEswatini));

    // Zone numbers in their areas.
    struct Mark { int zone; LonLat at; };
    for (const Mark& m : {Mark{6, {20.8, -30.2}}, Mark{6, {22.8, -27.2}}, Mark{2, {27.2, -25.1}},
                          Mark{2, {29.9, -28.9}}, Mark{1, {27.6, -28.0}}, Mark{3, {30.6, -23.3}},
                          Mark{4, {21.6, -33.95}}, Mark{5, {30.1, -30.9}}}) {
        const QPointF c = project(m.at);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 215));
        p.drawEllipse(c, 26, 26);
        p.setPen(palette::ink);
        p.setFont(font(30, QFont::Bold));
        p.drawText(QRectF(c.x() - 26, c.y() - 26, 52, 52), Qt::AlignCenter, QString::number(m.zone));
    }
    // Cities.
    for (const City& city : kCities) {
        const QPointF c = project(city.at);
        p.setPen(QPen(Qt::white, 2));
        p.setBrush(palette::ink);
        p.drawEllipse(c, 6.5, 6.5);
        p.setFont(font(21, QFont::DemiBold));
        const QRectF box = city.dx >= 0 ? QRectF(c.x() + city.dx, c.y() + city.dy - 22, 300, 30)
                                        : QRectF(c.x() + city.dx - 300, c.y() + city.dy - 22, 300, 30);
        const Qt::Alignment al = (city.dx >= 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter;
        // A white halo keeps the name legible on every zone colour.
        p.setPen(QColor(255, 255, 255, 200));
        for (int dx = -2; dx <= 2; dx += 2)
            for (int dy = -2; dy <= 2; dy += 2) p.drawText(box.translated(dx, dy), al, QString::fromLatin1(city.name));
        p.setPen(palette::ink);
        p.drawText(box, al, QString::fromLatin1(city.name));
    }
    // Neighbours.
    p.setFont(font(22, QFont::Normal));
    p.setPen(QColor(0x8a, 0x91, 0x99));
    for (const auto& [name, at] : std::vector<std::pair<const char*, LonLat>>{
             {"NAMIBIA", {17.6, -27.6}}, {"BOTSWANA", {23.2, -23.2}}, {"ZIMBABWE", {29.8, -21.5}},
             {"MOZAMBIQUE", {33.6, -23.4}}, {"LESOTHO", {28.25, -29.75}}, {"ESWATINI", {33.7, -26.2}}}) {
        const QPointF c = project(at);
        p.drawText(QRectF(c.x() - 120, c.y() - 16, 240, 32), Qt::AlignCenter, QString::fromLatin1(name));
    }
    p.setFont(font(24, QFont::Normal));
    p.setPen(QColor(0x7f, 0xa3, 0xbf));
    p.drawText(QRectF(project({15.9, -33.1}).x(), project({15.9, -33.1}).y(), 220, 40), Qt::AlignLeft,
               QStringLiteral("Atlantic Ocean"));
    p.drawText(QRectF(project({29.5, -34.6}).x(), project({29.5, -34.6}).y(), 260, 40), Qt::AlignLeft,
               QStringLiteral("Indian Ocean"));

    // Title and legend.
    p.setPen(palette::brandNavy);
    p.setFont(font(40, QFont::Bold));
    p.drawText(QPointF(60, 62), QStringLiteral("SANS 204 climatic zones"));
    p.setFont(font(21));
    p.setPen(palette::muted);
    p.drawText(QPointF(62, 96), QStringLiteral("Schematic only: confirm a site's zone from SANS 10400-XA before analysing."));
    const QRectF legend(24, 150, 330, 374);
    p.setPen(QPen(QColor(0xc9, 0xd1, 0xd9), 2));
    p.setBrush(QColor(255, 255, 255, 235));
    p.drawRoundedRect(legend, 14, 14);
    p.setPen(palette::ink);
    p.setFont(font(24, QFont::Bold));
    p.drawText(QRectF(legend.left() + 24, legend.top() + 18, 290, 34), Qt::AlignLeft, QStringLiteral("Climatic zone"));
    std::vector<const Zone*> ordered;
    for (int n = 1; n <= 6; ++n)
        for (const Zone& z : zones())
            if (z.number == n) ordered.push_back(&z);
    double y = legend.top() + 64;
    for (const Zone* z : ordered) {
        p.setPen(QPen(QColor(0x55, 0x5f, 0x6b), 1.5));
        p.setBrush(z->colour);
        p.drawRoundedRect(QRectF(legend.left() + 24, y, 46, 36), 6, 6);
        p.setPen(palette::ink);
        p.setFont(font(22, QFont::Bold));
        p.drawText(QRectF(legend.left() + 24, y, 46, 36), Qt::AlignCenter, QString::number(z->number));
        p.setFont(font(21));
        p.drawText(QRectF(legend.left() + 84, y, 240, 36), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromLatin1(z->name));
        y += 52;
    }
    // North arrow.
    const QPointF n(kWidth - 110, 170);
    p.setPen(Qt::NoPen);
    p.setBrush(palette::ink);
    p.drawPolygon(QPolygonF{n + QPointF(0, -56), n + QPointF(20, 24), n + QPointF(0, 10), n + QPointF(-20, 24)});
    p.setFont(font(30, QFont::Bold));
    p.setPen(palette::ink);
    p.drawText(QRectF(n.x() - 30, n.y() + 26, 60, 40), Qt::AlignCenter, QStringLiteral("N"));
    return img;
}

}  // namespace

QString fileName() { return QStringLiteral("ClimateZoneMap.jpg"); }

QStringList write(const QString& imagesDir) {
    const QString file = QDir(imagesDir).filePath(fileName());
    if (!render().convertToFormat(QImage::Format_RGB888).save(file, "JPG", 92))
        throw std::runtime_error("cannot write " + file.toStdString());
    return {file};
}

}  // namespace climatemap
