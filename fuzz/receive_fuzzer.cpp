// libFuzzer entry for the receive path (built with -DVELTRIX_BUILD_FUZZ=ON
// and clang): garbage, truncated records, huge lines, NUL bytes and lone
// line feeds must never crash, hang or spoil the next good record.
#include "receive_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  RunReceiveHarness(data, size);
  return 0;
}
