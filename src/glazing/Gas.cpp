#include "Gas.h"

#include <cctype>
#include <cmath>

namespace glazing {

namespace {

constexpr double kUniversalGas = 8314.462; // J/(kmol K)
constexpr double kPressure = 101325.0;     // Pa

struct Coefficients {
    const char* word;
    double ka, kb; // conductivity = ka + kb T
    double va, vb; // viscosity = va + vb T
    double ca, cb; // heat capacity = ca + cb T
    double molarMass;
};

// ISO 15099 tables of the gas properties (linear in T, K).
const Coefficients kGases[] = {
    {"air", 2.873e-3, 7.760e-5, 3.723e-6, 4.940e-8, 1002.7370, 1.2324e-2, 28.97},
    {"argon", 2.285e-3, 5.149e-5, 3.379e-6, 6.451e-8, 521.9285, 0.0, 39.948},
    {"krypton", 9.443e-4, 2.826e-5, 2.213e-6, 7.777e-8, 248.0907, 0.0, 83.80},
    {"xenon", 4.538e-4, 1.723e-5, 1.069e-6, 7.414e-8, 158.3397, 0.0, 131.30},
};

const Coefficients& coefficients(PureGas g) {
    return kGases[static_cast<int>(g)];
}

// Wilke's interaction factor of the mixing rules (viscosity and the internal
// part of the conductivity).
double phi(double mu_i, double mu_j, double M_i, double M_j) {
    const double a = 1.0 + std::sqrt(mu_i / mu_j) * std::pow(M_j / M_i, 0.25);
    return a * a / (2.0 * std::sqrt(2.0) * std::sqrt(1.0 + M_i / M_j));
}

// The factor for the monatomic (translational) part of the conductivity.
double psi(double k_i, double k_j, double M_i, double M_j) {
    const double a = 1.0 + std::sqrt(k_i / k_j) * std::pow(M_i / M_j, 0.25);
    const double b = 1.0 + 2.41 * (M_i - M_j) * (M_i - 0.142 * M_j) / ((M_i + M_j) * (M_i + M_j));
    return a * a / (2.0 * std::sqrt(2.0) * std::sqrt(1.0 + M_i / M_j)) * b;
}

} // namespace

GasProperties gasProperties(const GasFill& fill, double T) {
    const size_t n = fill.parts.size();
    std::vector<double> x(n), M(n), k(n), mu(n), cp(n);
    double Mmix = 0.0, cpMolar = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const Coefficients& c = coefficients(fill.parts[i].gas);
        x[i] = fill.parts[i].fraction;
        M[i] = c.molarMass;
        k[i] = c.ka + c.kb * T;
        mu[i] = c.va + c.vb * T;
        cp[i] = c.ca + c.cb * T;
        Mmix += x[i] * M[i];
        cpMolar += x[i] * cp[i] * M[i];
    }
    GasProperties p{};
    p.density = kPressure * Mmix / (kUniversalGas * T);
    p.heatCapacity = cpMolar / Mmix;
    if (n == 1) {
        p.conductivity = k[0];
        p.viscosity = mu[0];
        return p;
    }
    double muMix = 0.0, kMono = 0.0, kInternal = 0.0;
    std::vector<double> kp(n);
    for (size_t i = 0; i < n; ++i)
        kp[i] = 15.0 / 4.0 * kUniversalGas / M[i] * mu[i];
    for (size_t i = 0; i < n; ++i) {
        if (x[i] <= 0.0) continue;
        double sMu = 1.0, sMono = 1.0;
        for (size_t j = 0; j < n; ++j) {
            if (j == i) continue;
            sMu += phi(mu[i], mu[j], M[i], M[j]) * x[j] / x[i];
            sMono += psi(kp[i], kp[j], M[i], M[j]) * x[j] / x[i];
        }
        muMix += mu[i] / sMu;
        kMono += kp[i] / sMono;
        kInternal += (k[i] - kp[i]) / sMu;
    }
    p.viscosity = muMix;
    p.conductivity = kMono + kInternal;
    return p;
}

bool parseGas(const std::string& text, GasFill& fill, std::string& reason) {
    std::string word;
    for (char ch : text)
        word += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    for (int g = 0; g < 4; ++g) {
        const std::string name = kGases[g].word;
        if (word.compare(0, name.size(), name) != 0) continue;
        const std::string rest = word.substr(name.size());
        double percent = 100.0;
        if (!rest.empty()) {
            if (g == 0 || rest.size() > 3 ||
                rest.find_first_not_of("0123456789") != std::string::npos) {
                reason = "unknown gas \"" + text + "\"";
                return false;
            }
            percent = std::stod(rest);
            if (percent < 1.0 || percent > 100.0) {
                reason = "gas share out of 1..100 %: \"" + text + "\"";
                return false;
            }
        }
        fill.parts.clear();
        fill.parts.push_back({static_cast<PureGas>(g), percent / 100.0});
        if (percent < 100.0) fill.parts.push_back({PureGas::Air, 1.0 - percent / 100.0});
        return true;
    }
    reason =
        "unknown gas \"" + text + "\" (air, argon, krypton, xenon or a mixture such as argon90)";
    return false;
}

std::string gasWord(const GasFill& fill) {
    if (fill.parts.empty()) return "air";
    const GasPart& main = fill.parts.front();
    std::string word = kGases[static_cast<int>(main.gas)].word;
    const long percent = std::lround(main.fraction * 100.0);
    if (main.gas != PureGas::Air && percent < 100) word += std::to_string(percent);
    return word;
}

} // namespace glazing
