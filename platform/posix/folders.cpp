// Linux backend: the temporary-files folder, the user's usual folders and
// directory calls. Wide paths are UTF-16; the file system takes UTF-8.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/posix/posix_backend.h"

namespace platform::posix {
namespace {

constexpr UINT kUtf8 = 65001;
constexpr DWORD kMaxPath = 260;

std::string ToFileName(const WCHAR* path) {
  int n = WideCharToMultiByte(kUtf8, 0, path, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(kUtf8, 0, path, -1, out.data(), n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

std::u16string FromFileName(const std::string& name) {
  int n = MultiByteToWideChar(kUtf8, 0, name.c_str(), -1, nullptr, 0);
  if (n <= 0) return {};
  std::u16string out(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(kUtf8, 0, name.c_str(), -1, out.data(), n);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

bool IsDirectoryName(const std::string& name) {
  struct stat st {};
  return !name.empty() && stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string Home() {
  const char* home = std::getenv("HOME");
  return home != nullptr ? home : "";
}

std::string EnvOr(const char* variable, const std::string& fallback) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != 0 ? value : fallback;
}

// The whole of a small file, or empty when it cannot be read. Plain stdio:
// file streams would bring the C++ locale machinery into the program.
std::string FileText(const std::string& name) {
  std::string text;
  if (FILE* f = std::fopen(name.c_str(), "re")) {
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) text.append(chunk, n);
    std::fclose(f);
  }
  return text;
}

// A user directory of xdg-user-dirs (XDG_DESKTOP_DIR, ...), from the
// environment or ~/.config/user-dirs.dirs, else `fallback` under the home.
std::string UserDirectory(const char* key, const char* fallback) {
  if (const char* value = std::getenv(key); value != nullptr && *value != 0) return value;
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
    case 5:  // documents
      return UserDirectory("XDG_DOCUMENTS_DIR", "Documents");
    case 16:  // desktop
      return UserDirectory("XDG_DESKTOP_DIR", "Desktop");
    case 20:  // fonts
      return data + "/fonts";
    case 2:   // programs menu
    case 11:  // start menu
      return data + "/applications";
    case 7:  // startup
      return config + "/autostart";
    case 26:  // application data
      return config;
    case 32:  // internet cache
      return EnvOr("XDG_CACHE_HOME", Home() + "/.cache");
    case 35:  // common application data
      return "/etc/xdg";
    default:  // favourites, Windows and system folders: none on Linux
      return {};
  }
}

}  // namespace

DWORD GetTempPathW(DWORD size, WCHAR* buffer) {
  std::string dir = EnvOr("TMPDIR", "/tmp");
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

// Folders the tool makes hold a browser profile: private to the user. None is
// made inside a folder another user controls: its parent must belong to the
// user or to the system, and a link on the way there must be the user's own
// or the system's, so that a folder or link planted in a shared folder such
// as /tmp cannot receive the profile.
BOOL CreateDirectoryW(const WCHAR* path, void*) {
  std::string name = ToFileName(path);
  if (name.empty()) return kFalse;
  std::string parent = name.substr(0, name.find_last_of('/') + 1);
  if (parent.empty()) parent = ".";
  struct stat link {};
  struct stat target {};
  if (lstat(parent.c_str(), &link) != 0 || stat(parent.c_str(), &target) != 0) return kFalse;
  const uid_t user = geteuid();
  auto trusted = [user](uid_t owner) { return owner == user || owner == 0; };
  if (!trusted(link.st_uid) || !trusted(target.st_uid)) return kFalse;
  return mkdir(name.c_str(), 0700) == 0 ? kTrue : kFalse;
}

int CheckPrivateFolderW(const WCHAR* path) {
  if (path == nullptr) return kFolderMissing;
  std::string name = ToFileName(path);
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  if (name.empty()) return kFolderMissing;
  struct stat st {};
  if (lstat(name.c_str(), &st) != 0)
    return errno == ENOENT || errno == ENOTDIR ? kFolderMissing : kFolderUnsafe;
  // A real directory of the user's that nobody else may write to.
  bool private_folder =
      S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
  return private_folder ? kFolderPrivate : kFolderUnsafe;
}

BOOL PathIsDirectoryW(const WCHAR* path) {
  if (path == nullptr) return kFalse;
  return IsDirectoryName(ToFileName(path)) ? static_cast<BOOL>(FILE_ATTRIBUTE_DIRECTORY) : kFalse;
}

}  // namespace platform::posix
