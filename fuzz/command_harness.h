#pragma once

#include <cstddef>
#include <cstdint>

// The analyser emulator's side of the line: arbitrary bytes from the program
// go through the command splitter and parser into a fresh modelled analyser,
// which must keep streaming well-formed records whatever it was told. Aborts
// when a parsed command breaks the parser's promises or a record its layout.
// Uses the emulator's library only, like the emulator's own tests.
void RunCommandHarness(const std::uint8_t* data, std::size_t size);
