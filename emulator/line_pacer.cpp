#include "line_pacer.h"

#include <algorithm>

namespace qx7300emu {

LinePacer::LinePacer(double bytesPerSecond) : rate_(bytesPerSecond > 0.0 ? bytesPerSecond : LineRate) {}

void LinePacer::Restart(double now)
{
    started_ = true;
    last_ = now;
    credit_ = 0.0;
}

void LinePacer::Refill(double now)
{
    if (!started_)
        Restart(now);
    if (now > last_) {
        credit_ = std::min(credit_ + (now - last_) * rate_, static_cast<double>(Burst));
        last_ = now;
    }
}

std::size_t LinePacer::Allowance(double now)
{
    Refill(now);
    return static_cast<std::size_t>(credit_);
}

void LinePacer::Consume(std::size_t bytes)
{
    credit_ -= static_cast<double>(bytes);
}

double LinePacer::SecondsUntil(std::size_t bytes, double now)
{
    Refill(now);
    const double wanted = static_cast<double>(std::min(bytes, Burst));
    return credit_ >= wanted ? 0.0 : (wanted - credit_) / rate_;
}

}  // namespace qx7300emu
