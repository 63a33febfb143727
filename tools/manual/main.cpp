// Turns the manual's Markdown chapters into "Quorvex User Manual.PDF":
//   quorvex-manual OUT.pdf CHAPTER_DIR IMAGE_DIR [IMAGE_DIR ...]
// The chapters (*.md, in file-name order) are read with Qt's Markdown reader;
// every picture "screens/x.png" or "reports/x.png" is looked up in the image
// folders in turn (the screenshots made during the build first), scaled to
// the text width, and every first-level heading starts a new page.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QColor>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QUrl>
#include <cstdio>

namespace {

QString findImage(const QStringList& dirs, const QString& name) {
    for (const QString& d : dirs) {
        const QString candidate = QDir(d).filePath(name);
        if (QFileInfo(candidate).isFile()) return candidate;
        // The screenshot folders hold the pictures without the "screens/" prefix.
        const QString flat = QDir(d).filePath(QFileInfo(name).fileName());
        if (QFileInfo(flat).isFile()) return flat;
    }
    return {};
}

// Replaces every picture with the file found in the image folders, scaled to
// at most `maxWidth` points; a missing picture is a build error.
bool placeImages(QTextDocument& doc, const QStringList& dirs, double maxWidth) {
    bool ok = true;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat()) continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QString file = findImage(dirs, format.name());
            const QImage image(file);
            if (image.isNull()) {
                std::fprintf(stderr, "quorvex-manual: picture %s not found\n", qPrintable(format.name()));
                ok = false;
                continue;
            }
            const QUrl url(QStringLiteral("manual-image:%1").arg(format.name()));
            doc.addResource(QTextDocument::ImageResource, url, image);
            // Screenshots are grabbed at one pixel a point; anything wider than
            // the text is scaled down with its proportions.
            const double width = std::min<double>(image.width() * 0.6, maxWidth);
            format.setName(url.toString());
            format.setWidth(width);
            format.setHeight(width * image.height() / image.width());
            QTextCursor cursor(&doc);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
    return ok;
}

// Headings in the house blue; every chapter but the first on a new page.
void styleChapters(QTextDocument& doc) {
    bool first = true;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level > 0) {
            QTextCursor whole(block);
            whole.select(QTextCursor::BlockUnderCursor);
            QTextCharFormat colour;
            colour.setForeground(QColor(0x1f, 0x5f, 0x99));
            whole.mergeCharFormat(colour);
        }
        if (level != 1) continue;
        if (first) {
            first = false;
            continue;
        }
        QTextCursor cursor(block);
        QTextBlockFormat format = block.blockFormat();
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        cursor.setBlockFormat(format);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication application(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: quorvex-manual OUT.pdf CHAPTER_DIR IMAGE_DIR [IMAGE_DIR ...]\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QDir chapters(QString::fromLocal8Bit(argv[2]));
    QStringList imageDirs;
    for (int i = 3; i < argc; ++i) imageDirs << QString::fromLocal8Bit(argv[i]);

    QString markdown;
    const QStringList files = chapters.entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name);
    for (const QString& name : files) {
        QFile f(chapters.filePath(name));
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "quorvex-manual: cannot read %s\n", qPrintable(f.fileName()));
            return 1;
        }
        markdown += QString::fromUtf8(f.readAll()) + QStringLiteral("\n\n");
    }

    QPdfWriter writer(out + QStringLiteral(".part"));
    writer.setTitle(QStringLiteral("Quorvex User Manual"));
    writer.setCreator(QStringLiteral("Quorvex"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter));

    QTextDocument doc;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10);
    doc.setDefaultFont(font);
    doc.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    // A4 less the margins, in points: the width the pictures may take.
    const double textWidth = (210.0 - 2 * 18.0) / 25.4 * 72.0;
    if (!placeImages(doc, imageDirs, textWidth - 4)) return 1;
    styleChapters(doc);
    doc.print(&writer);
    QFile::remove(out);
    if (!QFile::rename(out + QStringLiteral(".part"), out)) {
        std::fprintf(stderr, "quorvex-manual: cannot write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}
