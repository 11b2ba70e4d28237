#pragma once

#include <cstddef>
#include <cstdint>

// Feeds arbitrary bytes through the main window's receive path, in
// notifications of varying size, then one known good record, and aborts if
// the good record did not come through intact. Creates an offscreen
// application and main window on first use and keeps them.
void RunReceiveHarness(const std::uint8_t* data, std::size_t size);
