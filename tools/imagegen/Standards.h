#pragma once

#include <QString>
#include <QStringList>

// One picture per standard design (a design of a project whose reference
// starts with "_"), named after its Design_Ref, drawn from the shipped design
// rows; plus "Blank.jpg" for designs without a picture.
namespace standards {

QStringList write(const QString& dataDir, const QString& standardsDir);

}  // namespace standards
