#include "load_model.h"

#include "rectifier_load.h"
#include "resistive_load.h"
#include "switched_load.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace qx7300emu {
namespace {

// Rates and changes well beyond what a flickermeter is verified for are
// refused rather than modelled.
constexpr double MaxChangesPerMinute = 100000.0;
constexpr double MaxChangePercent = 50.0;

std::optional<double> Number(std::string_view text)
{
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// "rectangular:RATE:PERCENT".
std::unique_ptr<LoadModel> ParseRectangular(std::string_view text)
{
    constexpr std::string_view prefix = "rectangular:";
    if (text.substr(0, prefix.size()) != prefix)
        return nullptr;
    text.remove_prefix(prefix.size());
    const auto colon = text.find(':');
    if (colon == std::string_view::npos)
        return nullptr;
    const auto rate = Number(text.substr(0, colon));
    const auto percent = Number(text.substr(colon + 1));
    if (!rate || !percent || *rate <= 0.0 || *rate > MaxChangesPerMinute || *percent <= 0.0 ||
        *percent > MaxChangePercent)
        return nullptr;
    return MakeRectangularLoad(*rate, *percent);
}

}  // namespace

int LoadModel::StateAt(double) const
{
    return 0;
}

std::unique_ptr<LoadModel> MakeLoad(const std::string& name)
{
    if (name == "resistive")
        return std::make_unique<ResistiveLoad>(23.0);  // 2.3 kW at 230 V
    if (name == "smps")
        return std::make_unique<RectifierLoad>();
    if (name == "flicker")
        // 60 W always on, 800 W more switched 39 times a minute.
        return std::make_unique<SwitchedLoad>("flicker", 60.0 / (230.0 * 230.0), 800.0 / (230.0 * 230.0), 39.0);
    return ParseRectangular(name);
}

}  // namespace qx7300emu
