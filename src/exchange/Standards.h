#pragma once

#include <QString>
#include <array>

namespace data {
class TDM;
}
namespace store {
class DataSet;
class Query;
} // namespace store

namespace exchange {

// A standard project is a project whose reference begins with "_"; its
// designs are the standard designs of the system named after it.
bool isStandardProject(const QString& projectRef);

// Opens `query` on the standard designs of a system: the designs of every
// project whose reference is "_" followed by the system name (and anything
// after it), the later-sorting project first, then by Design_Ref. The
// underscore is taken literally.
void openStandardDesigns(store::Query& query, const QString& systemName);

// True when the system has at least one standard design.
bool hasStandardDesigns(data::TDM& dm, const QString& systemName);

// The picture of a standard design: Images/Standards/<Design_Ref>.jpg under
// the working folder (or the installed pictures); empty when there is none.
// A reference that would lead out of that folder has no picture.
QString standardPicture(const QString& workDir, const QString& designRef);
// The picture shown for a design without one of its own.
QString blankStandardPicture(const QString& workDir);

// One thumbnail slot of the index: the position of its design in the
// standards query, or -1, and the picture it shows.
struct IndexSlot {
    int row = -1;
    QString picture;
};
constexpr int IndexSlotCount = 60;
using IndexSlots = std::array<IndexSlot, IndexSlotCount>;

// Fills the index from an open standards query: slot k stands for the k-th
// design; a design without a picture leaves its slot blank and unbound, and
// designs after the 60th get no slot. The query's position is restored.
IndexSlots fillIndex(store::Query& standards, const QString& workDir);

// Applies the standard design on the current row of `standard` to the
// current design of the data module: its glass, dimensions, results,
// profiles and structural figures, then its cell types and spans. The
// design keeps its own reference, quantity, system, finish, wind load,
// orientation and storey. One transaction; false when there is no standard
// or no current design (nothing changes). A store error is thrown after the
// rollback.
bool ApplyStandardDesign(data::TDM& dm, store::DataSet& standard);

} // namespace exchange
