#pragma once

#include <string>
#include <vector>

namespace glazing {

// A fill gas of a cavity: one pure gas or a mixture by volume (mole) fraction.
enum class PureGas { Air, Argon, Krypton, Xenon };

struct GasPart {
    PureGas gas;
    double fraction; // 0..1; the parts of a fill add up to 1
};

struct GasFill {
    std::vector<GasPart> parts;
};

// The properties a cavity's conduction and convection need, at one temperature.
struct GasProperties {
    double conductivity; // W/mK
    double viscosity;    // Pa s
    double heatCapacity; // J/kgK
    double density;      // kg/m3
};

// ISO 15099 linear fits for the pure gases and its mixing rules for a fill,
// at temperature T (K) and standard pressure.
GasProperties gasProperties(const GasFill& fill, double T);

// "air", "argon", "krypton", "xenon", or a mixture such as "argon90"
// (90 % argon, the rest air). Returns false, with the reason, for anything else.
bool parseGas(const std::string& text, GasFill& fill, std::string& reason);
// The word a fill is written back with: "air", "argon90", "krypton" ...
std::string gasWord(const GasFill& fill);

} // namespace glazing
