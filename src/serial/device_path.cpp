#include "serial/device_path.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace {

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::string DeviceNameFor(quint16 comNumber) { return "COM" + std::to_string(comNumber); }

std::string DevicePathFor(quint16 comNumber) {
  namespace fs = std::filesystem;
  const std::string wanted = DeviceNameFor(comNumber);
  std::error_code error;
  const fs::path folder = fs::current_path(error);
  if (!error) {
    // Exact spelling first: the common case needs no folder scan.
    const fs::path exact = folder / wanted;
    if (fs::is_symlink(fs::symlink_status(exact, error)) || fs::exists(exact, error))
      return exact.string();
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
      if (EqualIgnoringCase(entry->path().filename().string(), wanted))
        return entry->path().string();
    }
  }
  return MachinePortPathFor(comNumber);
}

std::string MachinePortPathFor(quint16 comNumber) { return "/dev/ttyS" + std::to_string(comNumber - 1); }
