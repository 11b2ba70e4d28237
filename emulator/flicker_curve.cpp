#include "flicker_curve.h"

#include <cmath>

namespace qx7300emu {
namespace {

struct CurvePoint {
    double changesPerMinute;
    double percent;
};

// EN61000-4-15, rectangular voltage changes giving Pst = 1 on 230 V.
constexpr std::array<CurvePoint, 6> UnitCurve = {{
    {1.0, 2.715},
    {2.0, 2.191},
    {7.0, 1.450},
    {39.0, 0.894},
    {110.0, 0.722},
    {1620.0, 0.407},
}};

constexpr std::array<double, 15> Percentiles = {0.1, 0.7, 1.0, 1.5, 2.2, 3.0, 4.0, 6.0,
                                                8.0, 10.0, 13.0, 17.0, 30.0, 50.0, 80.0};

double Interpolate(const CurvePoint& a, const CurvePoint& b, double rate)
{
    const double t = (std::log(rate) - std::log(a.changesPerMinute)) /
                     (std::log(b.changesPerMinute) - std::log(a.changesPerMinute));
    return std::exp(std::log(a.percent) + t * (std::log(b.percent) - std::log(a.percent)));
}

}  // namespace

double UnitPstChangePercent(double changesPerMinute)
{
    if (!(changesPerMinute > 0.0))
        return UnitCurve.front().percent;
    if (changesPerMinute >= UnitCurve.back().changesPerMinute)
        return UnitCurve.back().percent;
    if (changesPerMinute <= UnitCurve.front().changesPerMinute)
        return Interpolate(UnitCurve[0], UnitCurve[1], changesPerMinute);
    for (std::size_t i = 1; i < UnitCurve.size(); ++i) {
        if (changesPerMinute <= UnitCurve[i].changesPerMinute)
            return Interpolate(UnitCurve[i - 1], UnitCurve[i], changesPerMinute);
    }
    return UnitCurve.back().percent;
}

double RectangularChangePst(double changePercent, double changesPerMinute)
{
    if (!(changesPerMinute > 0.0))
        return 0.0;
    return std::fabs(changePercent) / UnitPstChangePercent(changesPerMinute);
}

double PstFromClassifier(const std::array<double, 15>& p)
{
    const double p1s = (p[1] + p[2] + p[3]) / 3.0;
    const double p3s = (p[4] + p[5] + p[6]) / 3.0;
    const double p10s = (p[7] + p[8] + p[9] + p[10] + p[11]) / 5.0;
    const double p50s = (p[12] + p[13] + p[14]) / 3.0;
    const double sum = 0.0314 * p[0] + 0.0525 * p1s + 0.0657 * p3s + 0.28 * p10s + 0.08 * p50s;
    return std::sqrt(std::fmax(sum, 0.0));
}

ClassifierLevels ClassifierFor(double pst)
{
    // A rectangular fluctuation keeps the lamp's sensation high for a short
    // share of the time after each change and low in between.
    std::array<double, 15> shape{};
    for (std::size_t i = 0; i < Percentiles.size(); ++i)
        shape[i] = std::exp(-Percentiles[i] / 12.0);
    const double unit = PstFromClassifier(shape);
    const double scale = unit > 0.0 ? pst * pst / (unit * unit) : 0.0;
    ClassifierLevels result;
    for (std::size_t i = 0; i < shape.size(); ++i)
        result.levels[i] = scale * shape[i];
    result.peak = 1.15 * result.levels[0];
    return result;
}

}  // namespace qx7300emu
