#pragma once

#include "Unit.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace store {
class Database;
}

namespace glazing {

struct SystemFinish {
    QString system, finish;
    bool operator==(const SystemFinish&) const = default;
};

// A glazing made from its layers, and where it is offered.
struct GlazingRequest {
    QString code, description, supplier;
    Unit unit;
    std::vector<SystemFinish> targets;
    // The glazing whose system rows are copied; empty: in each system the
    // first glazing it offers with the same number of panes.
    QString like;
};

// Edge-of-glass U by the rule the shipped rows follow: a single pane's edge
// behaves like its centre; a sealed unit with an aluminium spacer follows the
// published points, interpolated and extended with the end slopes.
double edgeOfGlassU(double uCog, int panes);

// "Single", "Laminated", "Double" or "Triple", as the shipped rows name them.
QString glassType(const Unit& unit);
int paneCountOfType(const QString& glassType);
// The surface (1 = outdoors) of the first low-e coating, 0 without one.
int loweSurface(const Unit& unit);
// A short description from the layers: "6-12.7-6 Argon90, low-e surface 3".
QString describeUnit(const Unit& unit);

// Glazings made this way carry their layers in `Notes`, on a line of their own.
QString notesFor(const Unit& unit, double u, double shgc, double vt);
bool layersFromNotes(const QString& notes, Unit& unit);

// The codes of the glazings made here, in key order.
QStringList glazingsMadeHere(store::Database& db);
// The systems and finishes a glazing has values for.
std::vector<SystemFinish> targetsOf(store::Database& db, const QString& code);
// Every system and finish a glazing of so many panes can be offered in: those
// with a glazing to copy from and its values.
std::vector<SystemFinish> offerableTargets(store::Database& db, int panes);
// The designs (project reference and number) that use a glazing.
QStringList designsUsing(store::Database& db, const QString& code);

// Why the request cannot be stored (empty when it can); nothing is written.
// `replacing`: the code of the glazing the request replaces, if any.
QString checkRequest(store::Database& db, const GlazingRequest& request,
                     const QString& replacing = {});

// Stores the `Glazing` row, and per target the `SystemValues` rows copied from
// the template with the new centre and edge values, and per system a
// `SystemGlass` row: all in one transaction. Returns the reason it refused
// (nothing written), empty on success; store errors are thrown.
QString addGlazing(store::Database& db, const GlazingRequest& request);
// Replaces a glazing made here that no design uses, in one transaction.
QString replaceGlazing(store::Database& db, const QString& code, const GlazingRequest& request);
// Deletes a glazing made here, with its system rows, while no design uses it.
QString deleteGlazing(store::Database& db, const QString& code);

} // namespace glazing
