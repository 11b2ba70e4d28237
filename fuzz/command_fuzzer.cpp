// libFuzzer entry for the analyser emulator's command input (built with
// -DVELTRIX_BUILD_FUZZ=ON and clang).
#include "command_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  RunCommandHarness(data, size);
  return 0;
}
