#pragma once

#include <QIcon>

namespace app {

// The command pictures, drawn in one style so that every button matches.
enum class IconKind { Previous, Next, Add, Delete, Find, Details, Browse, Print, Calculate, Save, Copy };
QIcon commandIcon(IconKind kind);

}  // namespace app
