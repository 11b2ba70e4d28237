// libFuzzer entry for the recording reader (built with -DVELTRIX_BUILD_FUZZ=ON and
// clang); the harness says what it checks.
#include "readers_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  RunRecordingHarness(data, size);
  return 0;
}
