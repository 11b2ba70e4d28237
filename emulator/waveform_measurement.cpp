#include "waveform_measurement.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qx7300emu {
namespace {

double Rms(const std::vector<double>& samples)
{
    if (samples.empty())
        return 0.0;
    double sum = 0.0;
    for (double s : samples)
        sum += s * s;
    return std::sqrt(sum / static_cast<double>(samples.size()));
}

// Fractional sample index of the first rising zero crossing, treating the
// record as periodic; 0 when the signal never crosses.
double RisingCrossing(const std::vector<double>& v)
{
    const std::size_t n = v.size();
    for (std::size_t k = 0; k < n; ++k) {
        const double a = v[(k + n - 1) % n];
        const double b = v[k];
        if (a < 0.0 && b >= 0.0)
            return static_cast<double>(k) - b / (b - a);
    }
    return 0.0;
}

// Fractional sample index of the positive maximum, refined by a parabola
// through the largest sample and its neighbours.
double PeakPosition(const std::vector<double>& v)
{
    const std::size_t n = v.size();
    const auto top = static_cast<std::size_t>(std::max_element(v.begin(), v.end()) - v.begin());
    const double left = v[(top + n - 1) % n];
    const double centre = v[top];
    const double right = v[(top + 1) % n];
    const double curvature = left - 2.0 * centre + right;
    const double offset = curvature != 0.0 ? 0.5 * (left - right) / curvature : 0.0;
    return static_cast<double>(top) + offset;
}

}  // namespace

Spectrum HarmonicSpectrum(const std::vector<double>& cycle)
{
    Spectrum spectrum;
    const std::size_t n = cycle.size();
    if (n == 0)
        return spectrum;
    // One table of the N angles serves every order: order * k wraps modulo N.
    std::vector<double> cosines(n);
    std::vector<double> sines(n);
    const double step = 2.0 * std::numbers::pi / static_cast<double>(n);
    for (std::size_t k = 0; k < n; ++k) {
        cosines[k] = std::cos(step * static_cast<double>(k));
        sines[k] = std::sin(step * static_cast<double>(k));
    }
    for (int order = 1; order <= MaxHarmonicOrder && 2 * order < static_cast<int>(n); ++order) {
        double re = 0.0;
        double im = 0.0;
        std::size_t index = 0;
        for (std::size_t k = 0; k < n; ++k) {
            re += cycle[k] * cosines[index];
            im -= cycle[k] * sines[index];
            index += static_cast<std::size_t>(order);
            if (index >= n)
                index -= n;
        }
        const double amplitude = 2.0 * std::hypot(re, im) / static_cast<double>(n);
        spectrum.rms[order] = amplitude / std::numbers::sqrt2;
        spectrum.phase[order] = std::atan2(im, re);
    }
    return spectrum;
}

Readings Measure(const SupplyCycle& cycle)
{
    Readings r;
    const std::size_t n = std::min(cycle.volts.size(), cycle.amps.size());
    if (n < 4)
        return r;
    r.frequency = cycle.frequency;
    r.voltsRms = Rms(cycle.volts);
    r.voltsPeak = *std::max_element(cycle.volts.begin(), cycle.volts.end());
    r.ampsRms = Rms(cycle.amps);
    for (double a : cycle.amps)
        r.ampsPeak = std::max(r.ampsPeak, std::fabs(a));

    double angle = PeakPosition(cycle.volts) - RisingCrossing(cycle.volts);
    if (angle < 0.0)
        angle += static_cast<double>(n);
    r.peakPhase = 360.0 * angle / static_cast<double>(n);

    double energy = 0.0;
    for (std::size_t k = 0; k < n; ++k)
        energy += cycle.volts[k] * cycle.amps[k];
    r.watts = energy / static_cast<double>(n);
    r.voltAmps = r.voltsRms * r.ampsRms;
    r.powerFactor = r.voltAmps > 0.0 ? r.watts / r.voltAmps : 0.0;

    r.current = HarmonicSpectrum(cycle.amps);
    r.voltage = HarmonicSpectrum(cycle.volts);
    r.fundamentalAmps = r.current.rms[1];
    double sum = 0.0;
    for (int order = 2; order <= MaxHarmonicOrder; ++order)
        sum += r.current.rms[order] * r.current.rms[order];
    r.harmonicAmps = std::sqrt(sum);
    return r;
}

}  // namespace qx7300emu
