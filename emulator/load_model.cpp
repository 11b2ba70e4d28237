#include "load_model.h"

#include "rectifier_load.h"
#include "resistive_load.h"
#include "switched_load.h"

namespace qx7300emu {

int LoadModel::StateAt(double) const
{
    return 0;
}

double LoadModel::ChangesPerMinute() const
{
    return 0.0;
}

std::unique_ptr<LoadModel> MakeLoad(const std::string& name)
{
    if (name == "resistive")
        return std::make_unique<ResistiveLoad>(23.0);  // 2.3 kW at 230 V
    if (name == "smps")
        return std::make_unique<RectifierLoad>();
    if (name == "flicker")
        // 60 W always on, 800 W more switched 39 times a minute.
        return std::make_unique<SwitchedLoad>(230.0 * 230.0 / 60.0, 230.0 * 230.0 / 800.0, 39.0);
    return nullptr;
}

}  // namespace qx7300emu
