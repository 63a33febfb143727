#pragma once

#include <QString>
#include <QStringList>

// Supplier logos (screen and white print variants), "NoSupplier.jpg", the
// program's banner, the disclaimer window's picture, the report footer
// pictures and the profile picture of the design report.
namespace branding {

QStringList fileNames();
QStringList write(const QString& imagesDir);

}  // namespace branding
