// Linux backend: the temporary-files folder, the user's usual folders and
// directory calls. Wide paths are UTF-16; the file system takes UTF-8.
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <deque>
#include <string>

#include "platform/posix/posix_backend.h"
#include "platform/posix/system_text.h"

namespace platform::posix {
namespace {

constexpr DWORD kMaxPath = 260;

std::string ToFileName(const WCHAR* path) {
  int n = WideCharToMultiByte(kCodePageUtf8, 0, path, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(kCodePageUtf8, 0, path, -1, out.data(), n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

std::u16string FromFileName(const std::string& name) {
  int n = MultiByteToWideChar(kCodePageUtf8, 0, name.c_str(), -1, nullptr, 0);
  if (n <= 0) return {};
  std::u16string out(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(kCodePageUtf8, 0, name.c_str(), -1, out.data(), n);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

bool IsDirectoryName(const std::string& name) {
  struct stat st {};
  return !name.empty() && stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string EnvOr(const char* variable, const std::string& fallback) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != 0 ? value : fallback;
}

std::string Home() { return EnvOr("HOME", ""); }

// A user directory of xdg-user-dirs (XDG_DESKTOP_DIR, ...), from the
// environment or ~/.config/user-dirs.dirs, else `fallback` under the home.
std::string UserDirectory(const char* key, const char* fallback) {
  if (std::string value = EnvOr(key, ""); !value.empty()) return value;
  const std::string dirs =
      FileText(EnvOr("XDG_CONFIG_HOME", Home() + "/.config") + "/user-dirs.dirs");
  const std::string prefix = std::string(key) + "=\"";
  for (size_t start = 0; start < dirs.size();) {
    size_t end = std::min(dirs.find('\n', start), dirs.size());
    std::string line = dirs.substr(start, end - start);
    start = end + 1;
    if (line.compare(0, prefix.size(), prefix) != 0 || line.back() != '"') continue;
    std::string value = line.substr(prefix.size(), line.size() - prefix.size() - 1);
    if (value.compare(0, 5, "$HOME") == 0) value = Home() + value.substr(5);
    return value;
  }
  return Home() + "/" + fallback;
}

// The folder of a CSIDL value on Linux; empty where Linux has none.
std::string SpecialFolder(int csidl) {
  const std::string data = EnvOr("XDG_DATA_HOME", Home() + "/.local/share");
  std::string config = EnvOr("XDG_CONFIG_HOME", Home() + "/.config");
  switch (csidl) {
    case CSIDL_PERSONAL:
      return UserDirectory("XDG_DOCUMENTS_DIR", "Documents");
    case CSIDL_DESKTOPDIRECTORY:
      return UserDirectory("XDG_DESKTOP_DIR", "Desktop");
    case CSIDL_FONTS:
      return data + "/fonts";
    case CSIDL_PROGRAMS:
    case CSIDL_STARTMENU:
      return data + "/applications";
    case CSIDL_STARTUP:
      return config + "/autostart";
    case CSIDL_APPDATA:
      return config;
    case CSIDL_INTERNET_CACHE:
      return EnvOr("XDG_CACHE_HOME", Home() + "/.cache");
    case CSIDL_COMMON_APPDATA:
      return "/etc/xdg";
    default:  // favourites, Windows and system folders: none on Linux
      return {};
  }
}

// An open descriptor, closed when it goes.
struct Descriptor {
  int fd = -1;
  Descriptor() = default;
  explicit Descriptor(int open_fd) : fd(open_fd) {}
  ~Descriptor() { Reset(-1); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  void Reset(int open_fd) {
    if (fd >= 0) close(fd);
    fd = open_fd;
  }
};

constexpr int kDirectoryFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int kMaxLinks = 40;

bool TrustedOwner(uid_t owner) { return owner == 0 || owner == geteuid(); }

// A folder on the way: nobody but root and the user can change what it holds.
bool TrustedFolder(const struct stat& st) {
  if (!S_ISDIR(st.st_mode) || !TrustedOwner(st.st_uid)) return false;
  return (st.st_mode & (S_IWGRP | S_IWOTH)) == 0 || (st.st_mode & S_ISVTX) != 0;
}

// The parts of a path, in order, without empty ones.
void PushParts(const std::string& path, std::deque<std::string>* parts) {
  std::deque<std::string> found;
  for (size_t at = 0; at <= path.size();) {
    size_t end = path.find('/', at);
    if (end == std::string::npos) end = path.size();
    if (end > at) found.push_back(path.substr(at, end - at));
    at = end + 1;
  }
  parts->insert(parts->begin(), found.begin(), found.end());
}

// A walk from the root toward a folder: the folder reached so far, its path
// (links on the way resolved), and the entry that failed the checks.
struct Walk {
  Descriptor parent;
  std::string where = "/";
  std::string culprit;

  std::string Child(const std::string& part) const {
    return where.size() > 1 ? where + "/" + part : "/" + part;
  }
  // Refuses `entry`: kFolderUnsafe when it is the user's own (the user can
  // remove or mend it), kFolderForeign when another account owns it.
  int Refuse(const std::string& entry, uid_t owner) {
    culprit = entry;
    return owner == geteuid() ? kFolderUnsafe : kFolderForeign;
  }
};

// Opens the folder holding the last part of `path`, judging every folder and
// link on the way from the root. kFolderPrivate when the way is trusted (the
// last part is left in `last`), kFolderMissing when a part is missing or not
// a folder, or the path is too long for the system; otherwise a refusal.
int OpenParent(const std::string& name, Walk* walk, std::string* last) {
  if (name.empty()) return kFolderMissing;
  std::string path = AbsoluteName(name);
  if (path.empty() || path.size() >= PATH_MAX) return kFolderMissing;
  std::deque<std::string> parts;
  PushParts(path, &parts);
  *last = parts.empty() ? "." : parts.back();
  if (!parts.empty()) parts.pop_back();
  Descriptor* parent = &walk->parent;
  parent->Reset(open("/", kDirectoryFlags));
  int links = 0;
  while (parent->fd >= 0 && !parts.empty()) {
    std::string part = std::move(parts.front());
    parts.pop_front();
    struct stat st {};
    if (fstatat(parent->fd, part.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT) return kFolderMissing;
      return walk->Refuse(walk->where, fstat(parent->fd, &st) == 0 ? st.st_uid : 0);
    }
    std::string entry = walk->Child(part);
    if (S_ISLNK(st.st_mode)) {
      if (!TrustedOwner(st.st_uid) || ++links > kMaxLinks) return walk->Refuse(entry, st.st_uid);
      char link[PATH_MAX];
      ssize_t n = readlinkat(parent->fd, part.c_str(), link, sizeof link);
      if (n <= 0 || static_cast<size_t>(n) >= sizeof link) return walk->Refuse(entry, st.st_uid);
      const std::string target(link, static_cast<size_t>(n));
      PushParts(target, &parts);
      if (target[0] == '/') {
        parent->Reset(open("/", kDirectoryFlags));
        walk->where = "/";
      }
      continue;
    }
    int next = openat(parent->fd, part.c_str(), kDirectoryFlags);
    if (next < 0) {
      if (errno == ENOENT || errno == ENOTDIR) return kFolderMissing;
      return walk->Refuse(entry, st.st_uid);
    }
    parent->Reset(next);
    if (fstat(parent->fd, &st) != 0 || !TrustedFolder(st)) return walk->Refuse(entry, st.st_uid);
    if (part == "..") {
      walk->where.erase(std::max<size_t>(walk->where.rfind('/'), 1));
    } else if (part != ".") {
      walk->where = entry;
    }
  }
  return parent->fd >= 0 ? kFolderPrivate : walk->Refuse(walk->where, 0);
}

// The last part itself: a real folder of the user's that nobody else may
// write to, opened without following a link.
int JudgeLast(Walk* walk, const std::string& last) {
  struct stat st {};
  Descriptor folder(openat(walk->parent.fd, last.c_str(), kDirectoryFlags));
  if (folder.fd < 0) {
    if (errno == ENOENT) return kFolderMissing;
    fstatat(walk->parent.fd, last.c_str(), &st, AT_SYMLINK_NOFOLLOW);
    return walk->Refuse(walk->Child(last), st.st_uid);
  }
  bool private_folder = fstat(folder.fd, &st) == 0 && S_ISDIR(st.st_mode) &&
                        st.st_uid == geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
  return private_folder ? kFolderPrivate : walk->Refuse(walk->Child(last), st.st_uid);
}

}  // namespace

// Always a full path, as on Windows: a relative TMPDIR is taken against the
// working folder.
DWORD GetTempPathW(DWORD size, WCHAR* buffer) {
  std::string dir = EnvOr("TMPDIR", "/tmp");
  dir = AbsoluteName(dir);
  if (dir.empty()) return 0;
  if (dir.back() != '/') dir.push_back('/');
  std::u16string wide = FromFileName(dir);
  if (wide.empty()) return 0;
  // Like Windows: when the buffer is too small, the size it needs (NUL included).
  if (wide.size() + 1 > size) return static_cast<DWORD>(wide.size() + 1);
  wide.copy(buffer, wide.size());
  buffer[wide.size()] = 0;
  return static_cast<DWORD>(wide.size());
}

BOOL SHGetSpecialFolderPathW(HWND, WCHAR* path, int csidl, BOOL) {
  std::string dir = SpecialFolder(csidl);
  if (!IsDirectoryName(dir)) return kFalse;
  std::u16string wide = FromFileName(dir);
  if (wide.empty() || wide.size() + 1 > kMaxPath) return kFalse;
  wide.copy(path, wide.size());
  path[wide.size()] = 0;
  return kTrue;
}

// Folders the tool makes hold a browser profile, so the path to them is
// judged from the root without trusting anything another user could change.
// Each folder on the way is opened with O_NOFOLLOW and judged through its
// handle: it must belong to root or the user, and be writable by nobody else
// unless it is sticky (then nobody else may move what lies in it). A link on
// the way is followed only when root or the user owns it. The last part is
// made, or opened, through the handle of the folder that holds it, so no
// check by path can be raced.
BOOL CreateDirectoryW(const WCHAR* path, void*) {
  if (path == nullptr) return kFalse;
  std::string last;
  Walk walk;
  if (OpenParent(ToFileName(path), &walk, &last) != kFolderPrivate) return kFalse;
  if (last.empty() || last == "." || last == "..") return kFalse;
  if (mkdirat(walk.parent.fd, last.c_str(), 0700) != 0) return kFalse;
  return JudgeLast(&walk, last) == kFolderPrivate ? kTrue : kFalse;
}

int PrivateFolderStatus(const WCHAR* path, WCHAR* culprit, DWORD size) {
  if (path == nullptr) return kFolderMissing;
  std::string last;
  Walk walk;
  int status = OpenParent(ToFileName(path), &walk, &last);
  if (status == kFolderPrivate) status = JudgeLast(&walk, last);
  if (status < 0 && culprit != nullptr && size > 0) {
    std::u16string wide = FromFileName(walk.culprit);
    culprit[wide.copy(culprit, size - 1)] = 0;
  }
  return status;
}

const char* UserFolderSuffix() {
  static const std::string suffix = "-" + std::to_string(geteuid());
  return suffix.c_str();
}

BOOL PathIsDirectoryW(const WCHAR* path) {
  if (path == nullptr) return kFalse;
  return IsDirectoryName(ToFileName(path)) ? static_cast<BOOL>(FILE_ATTRIBUTE_DIRECTORY) : kFalse;
}

// Linux keeps no short names: an existing path is given back as it is.
DWORD GetShortPathNameW(const WCHAR* long_path, WCHAR* short_path, DWORD size) {
  struct stat st {};
  if (long_path == nullptr || stat(ToFileName(long_path).c_str(), &st) != 0) return 0;
  std::u16string path = long_path;
  if (short_path == nullptr || path.size() + 1 > size) return static_cast<DWORD>(path.size() + 1);
  path.copy(short_path, path.size());
  short_path[path.size()] = 0;
  return static_cast<DWORD>(path.size());
}

}  // namespace platform::posix

namespace platform {

const char kTempFolderVariable[] = "TMPDIR";

}  // namespace platform
