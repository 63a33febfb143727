#pragma once

#include <QString>
#include <QStringList>

// The schematic map of the SANS 204 climatic zones shown by the climate-zone
// window ("ClimateZoneMap.jpg").
namespace climatemap {

QString fileName();
QStringList write(const QString& imagesDir);

}  // namespace climatemap
