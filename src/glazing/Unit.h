#pragma once

#include "Gas.h"

#include <limits>
#include <string>
#include <vector>

namespace glazing {

// One pane as a supplier's data sheet gives it, broadband (single band). Front
// is the face towards outdoors as the pane is listed; `flipped` turns it round.
struct Pane {
    std::string name;
    double thickness = 0.0;    // mm
    double conductivity = 1.0; // W/mK
    double tsol = 0.0;         // solar transmittance
    double rsolFront = 0.0;    // solar reflectance, front and back
    double rsolBack = 0.0;
    double emisFront = 0.84; // hemispherical emissivity, front and back
    double emisBack = 0.84;
    // Visible figures; not a number when the data sheet gives none. Without
    // visible reflectances the solar ones stand in for the inter-reflections.
    double tvis = std::numeric_limits<double>::quiet_NaN();
    double rvisFront = std::numeric_limits<double>::quiet_NaN();
    double rvisBack = std::numeric_limits<double>::quiet_NaN();
};

// The pane turned round: its front and back figures exchanged.
Pane flipped(const Pane& pane);

struct Gap {
    double width = 12.0; // mm
    GasFill gas{{{PureGas::Air, 1.0}}};
};

// A unit from outdoors to indoors: panes[0], gaps[0], panes[1], ...
struct Unit {
    std::vector<Pane> panes;
    std::vector<Gap> gaps;
};

// Why a unit cannot be calculated (empty when it can): 1 to 3 panes, one gap
// fewer, figures within their physical range.
std::string checkUnit(const Unit& unit);

struct Conditions {
    double tIn;          // K, room air and surroundings
    double tOut;         // K, outdoor air and sky
    double windSpeed;    // m/s
    double solar;        // W/m2 at normal incidence
    double height = 1.0; // m, of the unit (the room-side film and the cavities)
};
// NFRC 100: the U-factor's winter night and the SHGC's summer day.
Conditions nfrcWinter();
Conditions nfrcSummer();

// The temperatures and heat flows of the layers under one set of conditions.
struct ThermalSolution {
    std::vector<double> tFront, tBack; // K, per pane
    // Heat flow through each space, outwards positive (W/m2): flux[0] to the
    // outdoors, flux[k] through gap k (between panes k-1 and k), flux[n] from the room.
    std::vector<double> flux;
    std::vector<double> absorbed; // solar absorbed per pane, W/m2
    int iterations = 0;
    bool converged = false;
};

// Solves the energy balance of the layers: conduction through each pane,
// convection and long-wave exchange across each gap and to both sides.
ThermalSolution solveThermal(const Unit& unit, const Conditions& c,
                             const std::vector<double>& absorbed);

// The largest mismatch between the heat reaching a pane and the heat leaving
// it, relative to the largest flow (0 for an exact solution).
double balanceError(const Unit& unit, const Conditions& c, const ThermalSolution& s);

// Multiple reflections between the panes, broadband.
struct Optics {
    double transmittance = 0.0;
    double reflectance = 0.0;        // seen from outdoors
    std::vector<double> absorptance; // per pane
};
Optics solarOptics(const Unit& unit);
// Not a number when a pane lacks its visible transmittance.
double visibleTransmittance(const Unit& unit);

struct Performance {
    double uValue = 0.0; // W/m2K, centre of glass, NFRC 100 winter
    double shgc = 0.0;   // centre of glass, NFRC 100 summer
    double vt = std::numeric_limits<double>::quiet_NaN();
    bool converged = false;
    double balance = 0.0; // the worst balanceError of the solutions
};
// The centre-of-glass figures of a unit that checkUnit accepts.
Performance computeUnit(const Unit& unit);

} // namespace glazing
