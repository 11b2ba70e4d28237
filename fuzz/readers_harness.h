#pragma once

#include <cstddef>
#include <cstdint>

// Harnesses for the readers of the program's own files, which an operator
// may hand any file at all. Each writes the bytes to a file, reads it the
// way the program does, aborts when what was read breaks the reader's
// promises, and writes what was read back with the program's writer to check
// that the program reads its own file again the same way.

// A configuration load (ReadConfiguration).
void RunConfigurationHarness(const std::uint8_t* data, std::size_t size);

// The settings file (ReadSettingsFile).
void RunSettingsHarness(const std::uint8_t* data, std::size_t size);

// A report recall (RecallReport) into a report holding lines already.
void RunRecallHarness(const std::uint8_t* data, std::size_t size);

// A recording (ReadRecordingBytes), which may come from another machine, cut
// or damaged: whatever is read is written again and must read back the same.
void RunRecordingHarness(const std::uint8_t* data, std::size_t size);
