// Linux backend: files.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
    ssize_t n = ::read(fd, at + done, count - done);
    if (n < 0 && errno == EINTR) continue;
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

}  // namespace platform::posix
