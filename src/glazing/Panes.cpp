#include "Panes.h"

#include <QFile>
#include <QSaveFile>
#include <QTextStream>
#include <cmath>

namespace glazing {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

Pane pane(const char* name, double t, double k, double tsol, double rf, double rb, double tvis,
          double rvf, double rvb, double ef, double eb) {
    Pane p;
    p.name = name;
    p.thickness = t;
    p.conductivity = k;
    p.tsol = tsol;
    p.rsolFront = rf;
    p.rsolBack = rb;
    p.tvis = tvis;
    p.rvisFront = rvf;
    p.rvisBack = rvb;
    p.emisFront = ef;
    p.emisBack = eb;
    return p;
}

QString number(double v) {
    return QString::number(v, 'g', 10);
}

} // namespace

const std::vector<Pane>& shippedPanes() {
    // Laminated panes: two leaves and a 0.38 mm PVB interlayer (k 0.20), given
    // as one layer of the equivalent conductivity.
    static const std::vector<Pane> panes = {
        pane("clear3", 3, 1.0, 0.834, 0.075, 0.075, 0.899, 0.082, 0.082, 0.84, 0.84),
        pane("clear4", 4, 1.0, 0.816, 0.074, 0.074, 0.893, 0.081, 0.081, 0.84, 0.84),
        pane("clear5", 5, 1.0, 0.789, 0.072, 0.072, 0.888, 0.081, 0.081, 0.84, 0.84),
        pane("clear6", 6, 1.0, 0.771, 0.070, 0.070, 0.884, 0.080, 0.080, 0.84, 0.84),
        pane("clear8", 8, 1.0, 0.733, 0.067, 0.067, 0.875, 0.079, 0.079, 0.84, 0.84),
        pane("clear10", 10, 1.0, 0.697, 0.064, 0.064, 0.866, 0.078, 0.078, 0.84, 0.84),
        pane("clear12", 12, 1.0, 0.665, 0.062, 0.062, 0.857, 0.077, 0.077, 0.84, 0.84),
        pane("lam6.38", 6.38, 0.808, 0.700, 0.065, 0.065, 0.880, 0.079, 0.079, 0.84, 0.84),
        pane("lam8.38", 8.38, 0.847, 0.672, 0.063, 0.063, 0.872, 0.078, 0.078, 0.84, 0.84),
        pane("lam10.38", 10.38, 0.872, 0.645, 0.061, 0.061, 0.864, 0.077, 0.077, 0.84, 0.84),
        pane("grey6", 6, 1.0, 0.440, 0.055, 0.055, 0.430, 0.050, 0.050, 0.84, 0.84),
        pane("bronze6", 6, 1.0, 0.490, 0.057, 0.057, 0.530, 0.055, 0.055, 0.84, 0.84),
        pane("green6", 6, 1.0, 0.490, 0.060, 0.060, 0.750, 0.070, 0.070, 0.84, 0.84),
        pane("lowe-hard6", 6, 1.0, 0.700, 0.110, 0.120, 0.820, 0.110, 0.120, 0.16, 0.84),
        pane("lowe-soft6", 6, 1.0, 0.550, 0.270, 0.240, 0.800, 0.050, 0.060, 0.06, 0.84),
        pane("lowe-solar6", 6, 1.0, 0.260, 0.420, 0.330, 0.550, 0.120, 0.140, 0.05, 0.84),
    };
    return panes;
}

const char* const userPaneHeader =
    "Name,Thickness,Conductivity,Tsol,Rsol_Front,Rsol_Back,Tvis,Rvis_Front,Rvis_Back,Emis_Front,"
    "Emis_Back";

QString userPanesFile(const QString& workDir) {
    return workDir + QStringLiteral("/Panes.csv");
}

bool loadUserPanes(const QString& file, std::vector<Pane>& panes, QString& error) {
    panes.clear();
    QFile f(file);
    if (!f.exists()) return true;
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = QStringLiteral("%1: %2").arg(file, f.errorString());
        return false;
    }
    QTextStream in(&f);
    std::vector<Pane> read;
    int lineNo = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        ++lineNo;
        if (lineNo == 1 || line.trimmed().isEmpty()) continue;
        const QStringList v = line.split(QLatin1Char(','));
        bool ok = v.size() == 11 && !v[0].trimmed().isEmpty();
        std::vector<double> x;
        for (int i = 1; ok && i < v.size(); ++i) {
            if (v[i].trimmed().isEmpty() && i >= 6 && i <= 8) { // visible figures are optional
                x.push_back(NaN);
                continue;
            }
            x.push_back(v[i].toDouble(&ok));
        }
        Pane p;
        if (ok) {
            p = pane("", x[0], x[1], x[2], x[3], x[4], x[5], x[6], x[7], x[8], x[9]);
            p.name = v[0].trimmed().toStdString();
            ok = checkUnit(Unit{{p}, {}}).empty();
        }
        if (!ok) {
            error = QStringLiteral("%1, line %2: not a valid pane").arg(file).arg(lineNo);
            panes.clear();
            return false;
        }
        read.push_back(p);
    }
    panes = std::move(read);
    return true;
}

bool saveUserPanes(const QString& file, const std::vector<Pane>& panes, QString& error) {
    QSaveFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text)) {
        error = QStringLiteral("%1: %2").arg(file, f.errorString());
        return false;
    }
    QTextStream out(&f);
    out << userPaneHeader << '\n';
    auto opt = [](double v) { return std::isnan(v) ? QString() : number(v); };
    for (const Pane& p : panes)
        out << QString::fromStdString(p.name) << ',' << number(p.thickness) << ','
            << number(p.conductivity) << ',' << number(p.tsol) << ',' << number(p.rsolFront) << ','
            << number(p.rsolBack) << ',' << opt(p.tvis) << ',' << opt(p.rvisFront) << ','
            << opt(p.rvisBack) << ',' << number(p.emisFront) << ',' << number(p.emisBack) << '\n';
    out.flush();
    if (!f.commit()) {
        error = QStringLiteral("%1: %2").arg(file, f.errorString());
        return false;
    }
    return true;
}

std::vector<Pane> allPanes(const QString& workDir, QString* error) {
    std::vector<Pane> all = shippedPanes(), user;
    QString e;
    if (!loadUserPanes(userPanesFile(workDir), user, e) && error) *error = e;
    for (const Pane& p : user)
        if (!findPane(all, QString::fromStdString(p.name))) all.push_back(p);
    return all;
}

const Pane* findPane(const std::vector<Pane>& panes, const QString& name) {
    for (const Pane& p : panes)
        if (QString::fromStdString(p.name).compare(name, Qt::CaseInsensitive) == 0) return &p;
    return nullptr;
}

bool parsePane(const QString& spec, const std::vector<Pane>& known, Pane& pane, QString& reason) {
    if (!spec.contains(QLatin1Char('='))) {
        QString name = spec.trimmed();
        const bool flip = name.endsWith(QStringLiteral(":flip"), Qt::CaseInsensitive);
        if (flip) name.chop(5);
        const Pane* p = findPane(known, name);
        if (!p) {
            reason = QStringLiteral("unknown pane \"%1\"").arg(spec);
            return false;
        }
        pane = flip ? flipped(*p) : *p;
        return true;
    }
    Pane p;
    p.name.clear();
    p.emisFront = p.emisBack = NaN;
    p.tsol = p.rsolFront = p.rsolBack = p.thickness = NaN;
    for (const QString& item : spec.split(QLatin1Char(','))) {
        const int eq = item.indexOf(QLatin1Char('='));
        const QString key = item.left(eq).trimmed().toLower();
        bool ok = eq > 0;
        const double v = item.mid(eq + 1).trimmed().toDouble(&ok);
        double* slot = nullptr;
        if (key == QLatin1String("t"))
            slot = &p.thickness;
        else if (key == QLatin1String("tsol"))
            slot = &p.tsol;
        else if (key == QLatin1String("rf"))
            slot = &p.rsolFront;
        else if (key == QLatin1String("rb"))
            slot = &p.rsolBack;
        else if (key == QLatin1String("ef"))
            slot = &p.emisFront;
        else if (key == QLatin1String("eb"))
            slot = &p.emisBack;
        else if (key == QLatin1String("k"))
            slot = &p.conductivity;
        else if (key == QLatin1String("tvis"))
            slot = &p.tvis;
        else if (key == QLatin1String("rvf"))
            slot = &p.rvisFront;
        else if (key == QLatin1String("rvb"))
            slot = &p.rvisBack;
        if (!slot || !ok || !std::isfinite(v)) {
            reason = QStringLiteral("pane \"%1\": cannot read \"%2\"").arg(spec, item);
            return false;
        }
        *slot = v;
    }
    for (double v : {p.thickness, p.tsol, p.rsolFront, p.rsolBack, p.emisFront, p.emisBack})
        if (std::isnan(v)) {
            reason =
                QStringLiteral("pane \"%1\": t, tsol, rf, rb, ef and eb are all needed").arg(spec);
            return false;
        }
    pane = p;
    return true;
}

QString paneSpec(const Pane& p) {
    QString s =
        QStringLiteral("t=%1,tsol=%2,rf=%3,rb=%4,ef=%5,eb=%6,k=%7")
            .arg(number(p.thickness), number(p.tsol), number(p.rsolFront), number(p.rsolBack),
                 number(p.emisFront), number(p.emisBack), number(p.conductivity));
    if (!std::isnan(p.tvis)) s += QStringLiteral(",tvis=") + number(p.tvis);
    if (!std::isnan(p.rvisFront)) s += QStringLiteral(",rvf=") + number(p.rvisFront);
    if (!std::isnan(p.rvisBack)) s += QStringLiteral(",rvb=") + number(p.rvisBack);
    return s;
}

bool parseGap(const QString& spec, Gap& gap, QString& reason) {
    const int colon = spec.indexOf(QLatin1Char(':'));
    bool ok = colon > 0;
    const double width = ok ? spec.left(colon).toDouble(&ok) : 0.0;
    if (!ok) {
        reason = QStringLiteral("gap \"%1\": WIDTH_MM:GAS expected").arg(spec);
        return false;
    }
    std::string why;
    GasFill fill;
    if (!parseGas(spec.mid(colon + 1).trimmed().toStdString(), fill, why)) {
        reason = QStringLiteral("gap \"%1\": %2").arg(spec, QString::fromStdString(why));
        return false;
    }
    gap.width = width;
    gap.gas = fill;
    return true;
}

QString gapSpec(const Gap& gap) {
    return number(gap.width) + QLatin1Char(':') + QString::fromStdString(gasWord(gap.gas));
}

bool parseUnit(const QStringList& panes, const QStringList& gaps, const std::vector<Pane>& known,
               Unit& unit, QString& reason) {
    Unit u;
    for (const QString& s : panes) {
        Pane p;
        if (!parsePane(s, known, p, reason)) return false;
        u.panes.push_back(p);
    }
    for (const QString& s : gaps) {
        Gap g;
        if (!parseGap(s, g, reason)) return false;
        u.gaps.push_back(g);
    }
    const std::string why = checkUnit(u);
    if (!why.empty()) {
        reason = QString::fromStdString(why);
        return false;
    }
    unit = u;
    return true;
}

QString layerText(const Unit& unit) {
    QStringList words;
    for (size_t i = 0; i < unit.panes.size(); ++i) {
        if (i > 0) words << QStringLiteral("--gap") << gapSpec(unit.gaps[i - 1]);
        words << QStringLiteral("--pane") << paneSpec(unit.panes[i]);
    }
    return words.join(QLatin1Char(' '));
}

bool parseLayerText(const QString& text, Unit& unit, QString& reason) {
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList panes, gaps;
    for (int i = 0; i + 1 < words.size(); i += 2) {
        if (words[i] == QLatin1String("--pane"))
            panes << words[i + 1];
        else if (words[i] == QLatin1String("--gap"))
            gaps << words[i + 1];
        else
            break;
    }
    if (words.size() % 2 != 0 || (panes.size() + gaps.size()) * 2 != words.size()) {
        reason = QStringLiteral("the layers cannot be read: \"%1\"").arg(text);
        return false;
    }
    return parseUnit(panes, gaps, {}, unit, reason);
}

} // namespace glazing
