#include "serial/serial_errors.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>

namespace {

struct TMessageEntry {
  int code;  // absolute value of the error code
  std::string_view text;
};

// Sorted by code: ErrorMessage bisects it.
constexpr std::array<TMessageEntry, 7> kMessageTable{{
    {2001, "Specified comport doesn't exist"},
    {2007, "Device not open"},
    {2008, "Device already open"},
    {2011, "The ComNumber property of the TSerialPort has not been set"},
    {3004, "Failed to put entire block"},
    {3006, "Output buffer too small for block"},
    {3007, "Buffer is empty"},
}};

static_assert(std::is_sorted(kMessageTable.begin(), kMessageTable.end(),
                             [](const TMessageEntry& a, const TMessageEntry& b) {
                               return a.code < b.code;
                             }));

std::string PlatformText(int platformCode) {
  // strerror is not thread-safe; the GNU strerror_r returns its own pointer.
  char buffer[256] = {};
#if defined(_GNU_SOURCE) && !defined(__APPLE__)
  const char* text = strerror_r(platformCode, buffer, sizeof buffer);
  return text ? std::string(text) : std::string();
#else
  if (strerror_r(platformCode, buffer, sizeof buffer) != 0)
    return std::string();
  return std::string(buffer);
#endif
}

}  // namespace

std::string CleanPlatformMessage(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
      c = ' ';
  }
  std::string::size_type at;
  while ((at = text.find("  ")) != std::string::npos)
    text.erase(at, 1);
  return text;
}

std::string ErrorMessage(int code) {
  const int key = std::abs(code);
  std::size_t low = 0;
  std::size_t high = kMessageTable.size();
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    if (kMessageTable[middle].code == key)
      return std::string(kMessageTable[middle].text);
    if (kMessageTable[middle].code < key)
      low = middle + 1;
    else
      high = middle;
  }
  return CleanPlatformMessage(PlatformText(key));
}

ESerialError::ESerialError(int code, const std::string& message)
    : std::runtime_error(message), code_(code) {}

ESerialError::ESerialError(int code) : ESerialError(code, ErrorMessage(code)) {}

EInOutError::EInOutError(int platformCode)
    : std::runtime_error(ErrorMessage(platformCode)), code_(std::abs(platformCode)) {}

void RaiseSerialError(int code) {
  switch (code) {
    case ecOK:
      return;
    case ecBadId:
      throw EBadId();
    case ecCommNotOpen:
      throw ECommNotOpen();
    case ecAlreadyOpen:
      throw EAlreadyOpen();
    case ecNoPortSelected:
      throw ENoPortSelected();
    case ecPutBlockFail:
      throw EPutBlockFail();
    case ecOutputBufferTooSmall:
      throw EOutputBufferTooSmall();
    case ecBufferIsEmpty:
      throw EBufferIsEmpty();
    default:
      throw ESerialError(code);
  }
}

void RaiseOpenError(int code) {
  if (code == ecOK)
    return;
  if (code <= -1000) {
    RaiseSerialError(code);
    return;
  }
  switch (-code) {
    case ENOENT:
    case ENOTDIR:
    case ENXIO:
    case ENODEV:
      throw EBadId();
    case EACCES:
    case EBUSY:
    case EWOULDBLOCK:
      throw EAlreadyOpen();
    case ENOMEM:
      throw std::bad_alloc();
    default:
      throw EInOutError(-code);
  }
}
