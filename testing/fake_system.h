// One in-memory operating system for the tests. While a FakeSystem lives, Os()
// answers from it. It passes to the real backend only what leaves the machine
// as it was (code-page conversions, formatting, the heap, this process's own
// modules); any other call it does not fake ends the test, naming the call.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/platform.h"
#include "runtime/core/startup.h"
#include "runtime/core/text.h"

namespace fake {

inline std::string Path(std::string path) {  // with the platform's separator
  std::replace(path.begin(), path.end(), '/', platform::kPathSeparator[0]);
  return path;
}

inline std::u16string Wide(const std::string& text) { return {text.begin(), text.end()}; }

// A text returned to the caller, released; the empty text is null, never a lone NUL.
inline std::string Take(Text text) {
  OwnedText owned(text);
  return text != nullptr && *text == 0 ? "(a lone NUL, not null)" : TextOrEmpty(text);
}

class FakeSystem {  // one at a time
 public:
  FakeSystem();
  ~FakeSystem();

  // Files by name; one in `unopenable` exists but cannot be opened.
  std::map<std::string, std::string> files;
  std::set<std::string> unopenable;
  std::optional<uint64_t> file_size;  // what GetFileSize reports instead
  bool read_fails = false;
  // Files another account decides, by path: the entry to blame and its account, NUL-ended.
  std::map<std::string, std::string> foreign_files;
  // Folders. One in `unsafe` is unsafe once `unsafe_after` folders or starts were made;
  // `blamed` is named for it (itself when empty), another account's when `foreign`.
  std::set<std::u16string> folders, unsafe;
  int folders_allowed = -1;  // folders that can still be made (-1: any)
  int unsafe_after = 0;
  std::u16string blamed;
  bool foreign = false;
  std::string user_folder_suffix;
  std::u16string temp, special;  // GetTempPathW, SHGetSpecialFolderPathW; empty: none
  std::map<std::u16string, std::u16string> short_names;  // the only paths that have one
  // Console: lines ReadConsoleA delivers as they stand (then it fails), keys
  // _getch gives (then -1); output with colour changes as <attribute>.
  bool console = true;  // GetStdHandle gives handles
  std::vector<std::string> lines;
  std::vector<int> keys;
  std::string out, err;
  int failing_write = -1;                    // this WriteFile call (from 0) fails
  platform::DWORD write_limit = 0xFFFFFFFF;  // bytes one WriteFile takes at most
  // Programs, clock, start-up, heap.
  bool start_fails = false;
  platform::STARTUPINFOA startup{};                            // of the last start
  platform::SYSTEMTIME now = {2024, 1, 1, 15, 10, 20, 30, 0};  // 2024-01-15 10:20:30
  bool framework_fails = false;
  int heap_allows = -1;  // allocations served before the heap refuses (-1: all)
  int heap_frees = 0;
  // What was shown, and the calls made ("Name argument").
  std::vector<std::string> boxes;  // "caption style: text"
  std::string standard_error;
  std::vector<std::string> calls;
  std::vector<std::string> Calls(const std::string& name) const;  // their arguments

  // Runs `body` as the entry routine under RuntimeMain; whether it ended without RuntimeExit.
  bool Run(const std::function<void()>& body);
  int32_t exit_code = -1;  // of the last run

 private:
  platform::Api api_;
  platform::ScopedApi use_;
};

namespace detail {

using namespace platform;  // NOLINT(google-build-using-namespace): the fake speaks Win32

inline FakeSystem* g = nullptr;
inline int g_changes = 0;  // folders made and programs started
inline int g_writes = 0;   // WriteFile calls
inline const std::string* g_reading = nullptr;

inline char kIn[] = "in", kOut[] = "out", kErr[] = "err", kFile[] = "file";  // logged by name
inline char kCommandLine[] = "zelmorvika", kProcess[] = "process", kThread[] = "thread";

inline void Log(const std::string& name, const std::string& argument) {
  g->calls.push_back(name + " " + argument);
}

// A call the fake does not know: the test ends here, naming it.
[[noreturn]] inline void Refused(const char* name) {
  std::fprintf(stderr, "fake system: the code called %s, which the fake does not know\n", name);
  std::abort();
}
template <const char* Name, typename Function>
struct Refuse;
template <const char* Name, typename R, typename... A>
struct Refuse<Name, R(A...)> {
  static R Call(A...) { Refused(Name); }
};
template <const char* Name, typename R, typename... A>
struct Refuse<Name, R(A..., ...)> {
  static R Call(A..., ...) { Refused(Name); }
};
#define ZV_FAKE_NAME(result, name, parameters) inline constexpr char k_##name[] = #name;
ZV_ALL_CALLS(ZV_FAKE_NAME)
#undef ZV_FAKE_NAME

inline constexpr std::string_view kReal =  // what leaves the machine as it was: the real system's
    " MultiByteToWideChar WideCharToMultiByte lstrlenW LCMapStringA wsprintfA GetProcessHeap"
    " VariantTimeToSystemTime IsBadReadPtr GetModuleHandleA GetModuleInformation LoadLibraryA"
    " GetProcAddress FreeLibrary ";

// A path handed out as the calls that fill a buffer do; 0 for none.
inline DWORD CopyOut(const std::u16string& path, WCHAR* buffer, DWORD size) {
  if (path.empty() || path.size() >= size) return path.empty() ? 0 : path.size() + 1;
  std::copy(path.c_str(), path.c_str() + path.size() + 1, buffer);
  return path.size();
}

inline Api MakeApi() {
  const Api& real = NativeApi();
  Api api{};
#define ZV_REAL_OR_REFUSE(result, name, parameters)  \
  api.name = kReal.find(" " #name " ") != kReal.npos \
                 ? real.name                         \
                 : &Refuse<k_##name, std::remove_pointer_t<decltype(Api::name)>>::Call;
  ZV_ALL_CALLS(ZV_REAL_OR_REFUSE)
#undef ZV_REAL_OR_REFUSE

  api.AfxWinInit = [](HMODULE, HMODULE, char*, int) { return g->framework_fails ? kFalse : kTrue; };
  api.GetCommandLineA = [] { return kCommandLine; };
  api.LoadIconA = [](HMODULE, const char*) -> HICON { return nullptr; };
  api.GetStartupInfoA = [](STARTUPINFOA* info) {
    *info = STARTUPINFOA{};
    info->cb = sizeof *info;
  };
  api.WriteStandardError = [](const char* bytes, size_t n) { g->standard_error.append(bytes, n); };
  api.ExitProcess = [](UINT) { std::abort(); };  // the end of a run that is not under Run()
  api.HeapAlloc = [](HANDLE heap, DWORD flags, size_t n) -> void* {
    if (g->heap_allows == 0) return nullptr;
    g->heap_allows -= g->heap_allows > 0 ? 1 : 0;
    return NativeApi().HeapAlloc(heap, flags, n);
  };
  api.HeapFree = [](HANDLE heap, DWORD flags, void* block) {
    ++g->heap_frees;
    return NativeApi().HeapFree(heap, flags, block);
  };
  api.MessageBoxA = [](HWND, const char* text, const char* caption, UINT style) {
    g->boxes.push_back(std::string(caption) + " " + std::to_string(style) + ": " + text);
    return IDOK;
  };
  api.GetLocalTime = [](SYSTEMTIME* time) { *time = g->now; };
  api.Sleep = [](DWORD ms) { Log("Sleep", std::to_string(ms)); };
  api.GetStdHandle = [](DWORD which) -> HANDLE {
    if (!g->console) return nullptr;
    return which == STD_INPUT_HANDLE ? kIn : which == STD_ERROR_HANDLE ? kErr : kOut;
  };
  api.WriteFile = [](HANDLE file, const void* bytes, DWORD count, DWORD* written, void*) {
    Log("WriteFile", std::to_string(count));
    bool fails = g_writes++ == g->failing_write;
    *written = fails ? 0 : std::min(count, g->write_limit);
    (file == kErr ? g->err : g->out).append(static_cast<const char*>(bytes), *written);
    return fails ? kFalse : kTrue;
  };
  api.ReadConsoleA = [](HANDLE, void* buffer, DWORD count, DWORD* read, void*) {
    Log("ReadConsoleA", "");
    *read = 0;
    if (g->lines.empty()) return kFalse;
    *read = std::min<DWORD>(count, g->lines.front().size());
    std::memcpy(buffer, g->lines.front().data(), *read);
    g->lines.erase(g->lines.begin());
    return kTrue;
  };
  api._getch = [] {
    int key = g->keys.empty() ? -1 : g->keys.front();
    if (!g->keys.empty()) g->keys.erase(g->keys.begin());
    return key;
  };
  api.SetConsoleTextAttribute = [](HANDLE, WORD attribute) {
    g->out += "<" + std::to_string(attribute) + ">";
    return kTrue;
  };
  api.CreateFileA = [](const char* name, DWORD, DWORD, void*, DWORD, DWORD, HANDLE) -> HANDLE {
    if (g->files.count(name) == 0 || g->unopenable.count(name) != 0) return kInvalidHandle;
    g_reading = &g->files[name];
    return kFile;
  };
  api.GetFileSize = [](HANDLE, DWORD* high) {
    uint64_t size = g->file_size.value_or(g_reading->size());
    *high = static_cast<DWORD>(size >> 32);
    return static_cast<DWORD>(size);
  };
  api.ReadFile = [](HANDLE, void* buffer, DWORD count, DWORD* read, void*) {
    *read = g->read_fails ? 0 : std::min<DWORD>(count, g_reading->size());
    std::memcpy(buffer, g_reading->data(), *read);
    return g->read_fails ? kFalse : kTrue;
  };
  api.CloseHandle = [](HANDLE handle) {
    Log("CloseHandle", static_cast<const char*>(handle));
    return kTrue;
  };
  // Absolute: from the root, or from a drive ("R:"); the rest is taken
  // against the working folder.
  api.PathIsRelativeA = [](const char* path) -> BOOL {
    return path == nullptr || (path[0] != kPathSeparator[0] && (path[0] == 0 || path[1] != ':'));
  };
  api.GetFullPathNameA = [](const char* path, DWORD size, char* buffer, char** file_part) {
    std::string full = Path("R:/work/") + path;
    if (full.size() + 1 > size) return static_cast<DWORD>(full.size() + 1);
    std::memcpy(buffer, full.c_str(), full.size() + 1);
    if (file_part != nullptr) *file_part = buffer + full.rfind(kPathSeparator[0]) + 1;
    return static_cast<DWORD>(full.size());
  };
  api.PathFileExistsA = [](const char* path) -> BOOL {
    return path != nullptr && (g->files.count(path) != 0 || g->unopenable.count(path) != 0);
  };
  // NOLINTNEXTLINE(readability-non-const-parameter): CreateProcessA's own signature
  api.CreateProcessA = [](const char*, char* line, void*, void*, BOOL, DWORD flags, void*,
                          const char*, STARTUPINFOA* startup, PROCESS_INFORMATION* info) {
    Log("CreateProcessA", line + std::string(flags != 0 ? " (with creation flags)" : ""));
    g->startup = *startup;
    *info = {kProcess, kThread, 1, 1};
    g_changes += g->start_fails ? 0 : 1;
    return g->start_fails ? kFalse : kTrue;
  };
  api.WaitForSingleObject = [](HANDLE handle, DWORD ms) -> DWORD {
    Log("WaitForSingleObject", static_cast<const char*>(handle) + (" " + std::to_string(ms)));
    return 0;
  };
  api.GetTempPathW = [](DWORD size, WCHAR* buffer) { return CopyOut(g->temp, buffer, size); };
  api.SHGetSpecialFolderPathW = [](HWND, WCHAR* path, int csidl, BOOL) -> BOOL {
    Log("SHGetSpecialFolderPathW", std::to_string(csidl));
    std::copy(g->special.c_str(), g->special.c_str() + g->special.size() + 1, path);
    return !g->special.empty();
  };
  api.CreateDirectoryW = [](const WCHAR* path, void*) -> BOOL {
    std::u16string name = path;
    Log("CreateDirectoryW", std::string(name.begin(), name.end()));  // single-byte characters
    bool made = g->folders_allowed != 0 && g->folders.insert(path).second;
    g->folders_allowed -= made && g->folders_allowed > 0 ? 1 : 0;
    g_changes += made ? 1 : 0;
    return made;
  };
  api.PathIsDirectoryW = [](const WCHAR* path) -> BOOL {
    return path != nullptr && g->folders.count(path) != 0 ? FILE_ATTRIBUTE_DIRECTORY : kFalse;
  };
  api.GetShortPathNameW = [](const WCHAR* path, WCHAR* out, DWORD size) -> DWORD {
    const auto found = g->short_names.find(path);
    return found == g->short_names.end() ? 0 : CopyOut(found->second, out, size);
  };
  api.GetForeignOwner = [](const char* path, char* buffer, DWORD size) -> DWORD {
    const std::string& both = g->foreign_files[path];
    if (!both.empty() && both.size() <= size) both.copy(buffer, both.size());
    return both.size();
  };
  api.PrivateFolderStatus = [](const WCHAR* path, WCHAR* culprit, DWORD size) {
    if (g->unsafe.count(path) == 0 || g_changes < g->unsafe_after)
      return g->folders.count(path) != 0 ? kFolderPrivate : kFolderMissing;
    std::u16string blamed = g->blamed.empty() ? path : g->blamed;
    if (culprit != nullptr && size != 0) culprit[blamed.copy(culprit, size - 1)] = 0;
    return g->foreign ? kFolderForeign : kFolderUnsafe;
  };
  api.UserFolderSuffix = [] { return g->user_folder_suffix.c_str(); };
  return api;
}

}  // namespace detail

inline FakeSystem::FakeSystem() : api_(detail::MakeApi()), use_(api_) {
  detail::g = this;
  detail::g_changes = detail::g_writes = 0;
}

inline FakeSystem::~FakeSystem() { detail::g = nullptr; }

inline std::vector<std::string> FakeSystem::Calls(const std::string& name) const {
  std::vector<std::string> arguments;
  for (const std::string& call : calls)
    if (call.rfind(name + " ", 0) == 0) arguments.push_back(call.substr(name.size() + 1));
  return arguments;
}

inline bool FakeSystem::Run(const std::function<void()>& body) {
  static const std::function<void()>* current;
  static bool finished;
  current = &body;
  finished = false;
  exit_code = RuntimeMain(0, nullptr, nullptr, [] {
    (*current)();
    finished = true;
    RuntimeExit(0);
  });
  SetShutdownCallback(nullptr);
  return finished;
}

}  // namespace fake
