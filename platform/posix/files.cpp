// Linux backend: files.
#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/posix/handles.h"
#include "platform/posix/posix_backend.h"
#include "platform/posix/system_text.h"

namespace platform::posix {
namespace {

// fstat with a path of our own: glibc's fstat hands the kernel an empty path
// from the C library's read-only data, and reading it maps 64 KiB of that
// before the prompt.
int StatOf(int fd, struct stat* st) { return fstatat(fd, "", st, AT_EMPTY_PATH); }

constexpr int kMaxLinks = 40;

bool TrustedOwner(uid_t owner) { return owner == 0 || owner == geteuid(); }

// The first entry on the way to `path` that neither the user nor root owns: a
// link met on the way (links are followed as the system follows them), or the
// file itself. Folders on the way are not judged. False when there is none,
// or when the way ends early: then the system cannot reach the file either.
bool ForeignEntry(std::string rest, std::string* entry, uid_t* owner) {
  std::string where = "/";
  for (int links = 0;;) {
    rest.erase(0, rest.find_first_not_of('/'));
    if (rest.empty()) return false;
    std::string part = rest.substr(0, rest.find('/'));
    rest.erase(0, part.size());
    if (part == "..") where.erase(std::max<size_t>(where.rfind('/'), 1));
    if (part == "." || part == "..") continue;
    entry->assign(where.size() > 1 ? where : "").append("/").append(part);
    struct stat st {};
    if (lstat(entry->c_str(), &st) != 0) return false;
    *owner = st.st_uid;
    bool last = rest.find_first_not_of('/') == std::string::npos;
    if (!TrustedOwner(st.st_uid) && (last || S_ISLNK(st.st_mode))) return true;
    if (!S_ISLNK(st.st_mode)) {
      where = *entry;
      continue;
    }
    std::string target(PATH_MAX, '\0');
    ssize_t n = readlink(entry->c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<size_t>(n) >= target.size() || ++links > kMaxLinks) return false;
    target.resize(static_cast<size_t>(n));
    if (target[0] == '/') where = "/";
    rest.insert(0, target);
  }
}

// The name of an account as GBK, or its number when it has none GBK can write.
std::string AccountName(uid_t uid) {
  const passwd* account = getpwuid(uid);
  std::string name;
  if (account == nullptr || !SystemToGbk(account->pw_name, &name) || name.empty())
    return std::to_string(uid);
  return name;
}

}  // namespace

// Opens existing files only, which is all the program asks for. Sharing modes
// have no counterpart: Linux does not lock files against other openers.
HANDLE CreateFileA(const char* name, DWORD access, DWORD, void*, DWORD disposition, DWORD, HANDLE) {
  if (name == nullptr || disposition != OPEN_EXISTING) return kInvalidHandle;
  bool reads = (access & GENERIC_READ) != 0;
  bool writes = (access & GENERIC_WRITE) != 0;
  int mode = reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
  // O_NONBLOCK keeps a named pipe without a writer from blocking the open.
  int fd = open(GbkToSystem(name).c_str(), mode | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return kInvalidHandle;
  struct stat st {};
  // Windows refuses to open a directory as a file.
  if (StatOf(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    return kInvalidHandle;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  HandleEntry entry;
  entry.kind = HandleKind::kFile;
  entry.fd = fd;
  return NewHandle(std::move(entry));
}

// Only regular files have a size; pipes and devices report failure, as on Windows.
DWORD GetFileSize(HANDLE file, DWORD* size_high) {
  if (size_high != nullptr) *size_high = 0;
  int fd = HandleDescriptor(file);
  struct stat st {};
  if (fd < 0 || StatOf(fd, &st) != 0 || !S_ISREG(st.st_mode)) return INVALID_FILE_SIZE;
  auto size = static_cast<uint64_t>(st.st_size);
  if (size_high != nullptr) *size_high = static_cast<DWORD>(size >> 32);
  return static_cast<DWORD>(size);
}

// Reads until `count` bytes or the end of a regular file; from a pipe or a
// device, what one read delivers.
BOOL ReadFile(HANDLE file, void* buffer, DWORD count, DWORD* read, void*) {
  if (read != nullptr) *read = 0;
  int fd = HandleDescriptor(file);
  if (fd < 0 || (buffer == nullptr && count > 0)) return kFalse;
  struct stat st {};
  bool regular = StatOf(fd, &st) == 0 && S_ISREG(st.st_mode);
  char* at = static_cast<char*>(buffer);
  DWORD done = 0;
  while (done < count) {
    ssize_t n = TEMP_FAILURE_RETRY(::read(fd, at + done, count - done));
    if (n < 0) {
      if (read != nullptr) *read = done;
      return kFalse;
    }
    done += static_cast<DWORD>(n);
    if (n == 0 || !regular) break;
  }
  if (read != nullptr) *read = done;
  return kTrue;
}

BOOL PathFileExistsA(const char* path) {
  if (path == nullptr) return kFalse;
  struct stat st {};
  return stat(GbkToSystem(path).c_str(), &st) == 0 ? kTrue : kFalse;
}

BOOL PathIsRelativeA(const char* path) {
  return path == nullptr || path[0] != '/' ? kTrue : kFalse;
}

// The working folder joined with a relative path, as Windows does it, but
// without resolving "." and "..": on Linux a link on the way makes ".." mean
// another folder. Fails when GBK cannot name the working folder.
DWORD GetFullPathNameA(const char* path, DWORD size, char* buffer, char** file_part) {
  if (path == nullptr || path[0] == 0) return 0;
  std::string full;
  if (path[0] == '/') {
    full = path;
  } else {
    std::string folder = AbsoluteName("");  // the working folder and a "/"
    if (folder.empty() || !SystemToGbk(folder, &full)) return 0;
    full += path;
  }
  if (full.size() >= 0x7FFFFFFF) return 0;
  if (buffer == nullptr || full.size() + 1 > size) return static_cast<DWORD>(full.size() + 1);
  std::memcpy(buffer, full.c_str(), full.size() + 1);
  if (file_part != nullptr) *file_part = buffer + full.rfind('/') + 1;
  return static_cast<DWORD>(full.size());
}

DWORD GetForeignOwner(const char* path, char* buffer, DWORD size) {
  std::string entry;
  uid_t owner = 0;
  if (path == nullptr || path[0] == 0) return 0;
  if (!ForeignEntry(AbsoluteName(GbkToSystem(path)), &entry, &owner)) return 0;
  std::string shown;
  if (!SystemToGbk(entry, &shown)) shown = entry;  // a name GBK cannot write keeps its bytes
  shown += '\0' + AccountName(owner) + '\0';
  if (shown.size() > size) return static_cast<DWORD>(shown.size());
  shown.copy(buffer, shown.size());
  return static_cast<DWORD>(shown.size());
}

}  // namespace platform::posix

namespace platform {

// How paths are written here, and where the browser is installed by default.
const char kPathSeparator[2] = "/";
const char kDefaultBrowserPath[] = "/usr/bin/google-chrome";

}  // namespace platform
