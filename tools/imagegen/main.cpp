// quorvex-imagegen: draws every picture the program ships.
//
//   quorvex-imagegen [--root DIR] [--only cells|brand|map|standards]
//
// DIR is the source tree (default: the one the tool was built from); the
// pictures go to DIR/Images, the standard design pictures to
// DIR/Images/Standards (drawn from DIR/data), the contact sheet of the cell
// pictures to DIR/docs/cell-pictures.png.
#include "Branding.h"
#include "CellPictures.h"
#include "ClimateMap.h"
#include "Standards.h"

#include <QDir>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    QString root = QStringLiteral(QUORVEX_SOURCE_ROOT);
    QString only;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--root") && i + 1 < args.size()) {
            root = args[++i];
        } else if (args[i] == QLatin1String("--only") && i + 1 < args.size()) {
            only = args[++i];
        } else {
            std::fprintf(stderr, "usage: quorvex-imagegen [--root DIR] [--only cells|brand|map|standards]\n");
            return 2;
        }
    }
    const QDir top(root);
    const QString images = top.filePath(QStringLiteral("Images"));
    const QString standards = QDir(images).filePath(QStringLiteral("Standards"));
    try {
        QDir().mkpath(standards);
        QDir().mkpath(top.filePath(QStringLiteral("docs")));
        QStringList written;
        if (only.isEmpty() || only == QLatin1String("cells")) {
            written << cellpictures::write(images);
            const QString sheet = top.filePath(QStringLiteral("docs/cell-pictures.png"));
            cellpictures::writeContactSheet(images, sheet);
            written << sheet;
        }
        if (only.isEmpty() || only == QLatin1String("brand")) written << branding::write(images);
        if (only.isEmpty() || only == QLatin1String("map")) written << climatemap::write(images);
        if (only.isEmpty() || only == QLatin1String("standards"))
            written << standards::write(top.filePath(QStringLiteral("data")), standards);
        for (const QString& f : written) std::printf("%s\n", qPrintable(QDir(root).relativeFilePath(f)));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvex-imagegen: %s\n", e.what());
        return 1;
    }
    return 0;
}
