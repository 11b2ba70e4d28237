#include "serial/port_access.h"

#include "serial/device_path.h"
#include "serial/serial_errors.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <grp.h>
#include <pwd.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string SystemText(int error) { return ErrorMessage(error); }

// As ls shows it: "crw-rw----".
std::string ModeText(mode_t mode) {
  std::string text = S_ISCHR(mode) ? "c" : S_ISBLK(mode) ? "b" : S_ISDIR(mode) ? "d" : S_ISFIFO(mode) ? "p"
                     : S_ISSOCK(mode) ? "s" : "-";
  const mode_t bits[9] = {S_IRUSR, S_IWUSR, S_IXUSR, S_IRGRP, S_IWGRP, S_IXGRP, S_IROTH, S_IWOTH, S_IXOTH};
  for (int i = 0; i < 9; ++i) text += (mode & bits[i]) ? "rwx"[i % 3] : '-';
  return text;
}

struct Account {
  std::string name;
  gid_t primaryGroup = 0;
};

Account AccountOf(uid_t uid) {
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
    return {found->pw_name, found->pw_gid};
  return {std::to_string(uid), ::getgid()};
}

std::string UserName(uid_t uid) { return AccountOf(uid).name; }

std::string GroupName(gid_t gid) {
  std::vector<char> buffer(16384);
  group entry{};
  group* found = nullptr;
  if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
    return found->gr_name;
  return std::to_string(gid);
}

// The groups this process has now.
bool ProcessHasGroup(gid_t gid) {
  if (::getegid() == gid)
    return true;
  const int count = ::getgroups(0, nullptr);
  if (count <= 0)
    return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(count));
  const int got = ::getgroups(count, groups.data());
  return got > 0 && std::find(groups.begin(), groups.begin() + got, gid) != groups.begin() + got;
}

// The groups the user database gives the account: those of the next login.
bool AccountHasGroup(const Account& account, gid_t gid) {
  int count = 64;
  std::vector<gid_t> groups;
  for (int attempt = 0; attempt < 4; ++attempt) {
    groups.resize(static_cast<std::size_t>(count));
    if (::getgrouplist(account.name.c_str(), account.primaryGroup, groups.data(), &count) >= 0) {
      groups.resize(static_cast<std::size_t>(count));
      return std::find(groups.begin(), groups.end(), gid) != groups.end();
    }
  }
  return false;
}

void DescribeWhichDevice(std::ostringstream& out, const std::string& name, const std::string& path) {
  std::error_code error;
  if (fs::is_symlink(fs::symlink_status(path, error))) {
    out << name << " is the link " << path << " -> " << fs::read_symlink(path, error).string();
    const fs::path resolved = fs::canonical(path, error);
    if (!error && resolved != fs::read_symlink(path, error))
      out << " (" << resolved.string() << ")";
    out << ".\n";
  } else if (path.rfind("/dev/", 0) == 0) {
    out << name << " stands for " << path << ": the working folder " << fs::current_path(error).string()
        << " has no " << name << " link.\n";
  } else {
    out << name << " is " << path << " in the working folder.\n";
  }
}

// The adapter a COM<n> link was bound to by choosing a device: the name of
// the stable link it leads to (in a by-id folder, named after the adapter's
// maker, product and serial number, or a by-path folder, named after its USB
// socket); empty when the link leads elsewhere. The system takes the stable
// link away while the adapter is unplugged and makes it again on re-plug.
std::string BoundAdapterName(const std::string& path) {
  std::error_code error;
  if (!fs::is_symlink(fs::symlink_status(path, error)))
    return {};
  const fs::path target = fs::read_symlink(path, error);
  if (error || !target.has_filename())
    return {};
  const std::string folder = target.parent_path().filename().string();
  return folder == "by-id" || folder == "by-path" ? target.filename().string() : std::string();
}

void ExplainRefusal(std::ostringstream& out, const struct stat& device, const std::string& devicePath) {
  const Account user = AccountOf(::getuid());
  const std::string groupName = GroupName(device.st_gid);
  out << devicePath << " belongs to user " << UserName(device.st_uid) << " and group " << groupName << " ("
      << ModeText(device.st_mode) << "); this program runs as user " << user.name << ".\n";
  const bool groupGrants = (device.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
  if (groupGrants && device.st_uid != ::getuid()) {
    if (!AccountHasGroup(user, device.st_gid)) {
      out << "User " << user.name << " is not a member of the group " << groupName
          << ". To give access, add the user to that group (sudo adduser " << user.name << ' ' << groupName
          << ") and log in again: the new membership counts from the next login.\n";
    } else if (!ProcessHasGroup(device.st_gid)) {
      out << "User " << user.name << " was added to the group " << groupName
          << " after this session began: log out and in again (or restart the computer) to gain access.\n";
    } else {
      out << "The group " << groupName
          << " should give access, so a security policy of the system refuses it; ask the administrator.\n";
    }
    return;
  }
  out << "Neither its owner's nor its group's permissions give this user read and write access. Give the device "
         "to a group with read and write permission (mode 0660; serial devices normally belong to the group "
         "dialout), add user "
      << user.name << " to that group and log in again.\n";
}

}  // namespace

std::string DescribePortAccess(quint16 comNumber, const std::string& portMessage) {
  std::ostringstream out;
  if (comNumber == 0) {
    out << "No port number has been chosen: the port number is 0.\n";
    return out.str();
  }
  const std::string name = DeviceNameFor(comNumber);
  const std::string path = DevicePathFor(comNumber);
  DescribeWhichDevice(out, name, path);

  struct stat device {};
  if (::stat(path.c_str(), &device) != 0) {
    const int reason = errno;
    const std::string adapter = BoundAdapterName(path);
    if (reason == ENOENT && !adapter.empty()) {
      // The link is right as it is: replacing it would lose the adapter.
      out << "The adapter " << adapter << " is not plugged in. Plug it in: Retry finds it once it is, "
          << "whichever device node the system gives it; " << name << " stays bound to it.\n";
      return out.str();
    }
    out << "The system cannot reach it: " << SystemText(reason) << ".\n"
        << "Connect the serial adapter and look up its name (ls /dev/ttyUSB* /dev/ttyACM* /dev/ttyS*), then "
           "make "
        << name << " in the working folder a link to it, for example: ln -sf /dev/ttyUSB0 " << name << "\n";
    return out.str();
  }
  std::error_code error;
  const fs::path resolved = fs::canonical(path, error);
  const std::string devicePath = error ? path : resolved.string();
  if (!S_ISCHR(device.st_mode)) {
    out << devicePath << " is not a serial device (" << ModeText(device.st_mode) << "). Make " << name
        << " in the working folder a link to the serial device instead.\n";
    return out.str();
  }
  if (::access(path.c_str(), R_OK | W_OK) != 0) {
    const int reason = errno;
    out << "The system refuses this user access to " << devicePath << ": " << SystemText(reason) << ".\n";
    if (reason == EACCES || reason == EPERM)
      ExplainRefusal(out, device, devicePath);
    return out.str();
  }
  out << "This user may read and write " << devicePath << "; the port reported: " << portMessage << ".\n";
  if (portMessage == ErrorMessage(ecAlreadyOpen))
    out << "Another program (a terminal program, a modem manager or a second Veltrix) is probably using it: "
           "close that program, or choose another port.\n";
  return out.str();
}
