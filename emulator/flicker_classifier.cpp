#include "flicker_classifier.h"

#include <algorithm>
#include <cmath>

namespace qx7300emu {
namespace {

constexpr int LogClasses = FlickerClassifier::ClassesPerDecade * FlickerClassifier::Decades;

}  // namespace

FlickerClassifier::FlickerClassifier() : counts_(LogClasses + 1, 0) {}

void FlickerClassifier::Reset()
{
    std::fill(counts_.begin(), counts_.end(), 0u);
    count_ = 0;
    peak_ = 0.0;
}

double FlickerClassifier::LowerBound(int index) const
{
    // Class i (1..LogClasses) starts at LowestLevel * 10^((i - 1) / ClassesPerDecade).
    return index <= 0 ? 0.0 : LowestLevel * std::pow(10.0, static_cast<double>(index - 1) / ClassesPerDecade);
}

void FlickerClassifier::Add(double sensation)
{
    ++count_;
    peak_ = std::max(peak_, sensation);
    int index = 0;
    if (sensation >= LowestLevel) {
        const double position = std::log10(sensation / LowestLevel) * ClassesPerDecade;
        index = 1 + std::min(static_cast<int>(position), LogClasses - 1);  // the top class is open
    }
    ++counts_[static_cast<std::size_t>(index)];
}

double FlickerClassifier::LevelExceeded(double percent) const
{
    if (count_ == 0)
        return 0.0;
    const double wanted = static_cast<double>(count_) * percent / 100.0;
    double above = 0.0;
    for (int i = LogClasses; i >= 0; --i) {
        const double inClass = counts_[static_cast<std::size_t>(i)];
        if (above + inClass >= wanted && inClass > 0.0) {
            // Spread the class's samples evenly over its width, the highest
            // first; no sample lies above the peak (the top class is open).
            const double lower = LowerBound(i);
            const double top = i == LogClasses ? peak_ : std::min(LowerBound(i + 1), peak_);
            const double upper = std::max(top, lower);
            const double share = (wanted - above) / inClass;
            return upper - share * (upper - lower);
        }
        above += inClass;
    }
    return 0.0;
}

std::array<double, 15> FlickerClassifier::Levels() const
{
    std::array<double, 15> levels{};
    for (std::size_t i = 0; i < levels.size(); ++i)
        levels[i] = LevelExceeded(ClassifierPercentiles[i]);
    return levels;
}

double ShortTermSeverity(const std::array<double, 15>& p)
{
    const double p1s = (p[1] + p[2] + p[3]) / 3.0;
    const double p3s = (p[4] + p[5] + p[6]) / 3.0;
    const double p10s = (p[7] + p[8] + p[9] + p[10] + p[11]) / 5.0;
    const double p50s = (p[12] + p[13] + p[14]) / 3.0;
    const double sum = 0.0314 * p[0] + 0.0525 * p1s + 0.0657 * p3s + 0.28 * p10s + 0.08 * p50s;
    return std::sqrt(std::max(sum, 0.0));
}

}  // namespace qx7300emu
