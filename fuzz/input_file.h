#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

// The readers of outside data take a file name: the fuzz input is written to
// a file of a temporary folder made once per process (in memory where the
// system has /dev/shm), and its name given to the reader. The same name is
// used for every input.
QString WriteFuzzInputFile(const std::uint8_t* data, std::size_t size);

// A second file of the same folder, for round trips (what a reader gave,
// written back by the program's writer and read again).
QString FuzzScratchFilePath();

// Aborts with the harness's name and `what` when `condition` is false: the
// fuzzer reports the input, and a replay test dies with the message.
void FuzzCheck(bool condition, const char* harness, const char* what);
