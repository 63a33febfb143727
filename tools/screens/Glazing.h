#pragma once

#include <QString>

namespace data {
class TDM;
}
namespace ui::main {
class TMainForm;
}
namespace ui::design {
class TDesignPage;
}

// The New Glazing window with a unit typed in it, saved for Casement 38; then
// the first design of the shown project glazed with it and calculated.
void saveGlazingScreens(data::TDM& dm, ui::main::TMainForm& form, ui::design::TDesignPage& page,
                        const QString& out);
