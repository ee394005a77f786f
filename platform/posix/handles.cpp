#include "platform/posix/handles.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

#include "platform/posix/posix_backend.h"

namespace platform::posix {
namespace {

// Entries live in a deque so that references survive later registrations.
// The program has one thread; nothing here is locked.
struct Table {
  std::deque<HandleEntry> entries;
  std::vector<size_t> free_slots;
  Table() {
    for (int fd = 0; fd < 3; ++fd) {
      HandleEntry stream;
      stream.kind = HandleKind::kStream;
      stream.fd = fd;
      entries.push_back(std::move(stream));
    }
  }
};

Table& Handles() {
  static Table table;
  return table;
}

std::vector<pid_t>& Adopted() {
  static std::vector<pid_t> pids;
  return pids;
}

// Handle values are multiples of 4, as on Windows, and never null or -1.
HANDLE ToHandle(size_t index) { return reinterpret_cast<HANDLE>((index + 1) * 4); }

// The table entry of a handle value, if it has one.
std::optional<size_t> ToIndex(HANDLE handle) {
  auto value = reinterpret_cast<uintptr_t>(handle);
  if (value == 0 || value % 4 != 0 || value / 4 > Handles().entries.size()) return std::nullopt;
  return value / 4 - 1;
}

}  // namespace

HANDLE NewHandle(HandleEntry entry) {
  Table& table = Handles();
  if (!table.free_slots.empty()) {
    size_t index = table.free_slots.back();
    table.free_slots.pop_back();
    table.entries[index] = std::move(entry);
    return ToHandle(index);
  }
  table.entries.push_back(std::move(entry));
  return ToHandle(table.entries.size() - 1);
}

HandleEntry* FindHandle(HANDLE handle) {
  std::optional<size_t> index = ToIndex(handle);
  if (!index) return nullptr;
  HandleEntry& entry = Handles().entries[*index];
  return entry.kind == HandleKind::kFree ? nullptr : &entry;
}

bool ReleaseHandle(HANDLE handle) {
  std::optional<size_t> index = ToIndex(handle);
  if (!index || *index < 3) return false;  // the streams stay registered
  HandleEntry& entry = Handles().entries[*index];
  if (entry.kind == HandleKind::kFree) return false;
  entry = HandleEntry{};
  Handles().free_slots.push_back(*index);
  return true;
}

HANDLE StreamHandle(int fd) { return ToHandle(static_cast<size_t>(fd)); }

int HandleDescriptor(HANDLE handle) {
  HandleEntry* entry = FindHandle(handle);
  if (entry == nullptr) return -1;
  return entry->kind == HandleKind::kStream || entry->kind == HandleKind::kFile ? entry->fd : -1;
}

void AdoptRunningChild(pid_t pid) { Adopted().push_back(pid); }

void ReapAdoptedChildren() {
  std::vector<pid_t>& pids = Adopted();
  std::erase_if(pids, [](pid_t pid) {
    return TEMP_FAILURE_RETRY(waitpid(pid, nullptr, WNOHANG)) != 0;  // ended, or not ours
  });
}

// Closes every kind of handle.
BOOL CloseHandle(HANDLE handle) {
  HandleEntry* entry = FindHandle(handle);
  if (entry == nullptr) return kFalse;
  switch (entry->kind) {
    case HandleKind::kStream:
      // Like Windows, closing a standard handle closes the stream itself.
      return close(entry->fd) == 0 ? kTrue : kFalse;
    case HandleKind::kFile:
      close(entry->fd);
      break;
    case HandleKind::kProcess:
      // The program runs on by itself; its end is still collected later.
      if (!entry->reaped && waitpid(entry->pid, nullptr, WNOHANG) == 0)
        AdoptRunningChild(entry->pid);
      break;
    case HandleKind::kThread:
    case HandleKind::kFree:
      break;
  }
  ReleaseHandle(handle);
  ReapAdoptedChildren();
  return kTrue;
}

}  // namespace platform::posix
