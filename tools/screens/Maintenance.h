#pragma once

#include <QString>

// Screenshots of tablerepair (verified, mid-rebuild, rebuilt) and of the
// "Rebuild All Tables" window, made from a copy of `dataFolder`.
void saveMaintenanceScreens(const QString& dataFolder, const QString& out);
