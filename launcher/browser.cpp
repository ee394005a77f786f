#include "launcher/browser.h"

#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>

#include "launcher/messages.h"
#include "platform/platform.h"
#include "runtime/core/memory.h"

namespace {

constexpr char kOpeningQuote[] = "\"";
constexpr char kOptionText[] = "\" --user-data-dir=";

// The refusal to show when another account owns `path` or a link on the way
// to it; null when the user or root owns them all.
Text ForeignFileRefusal(Text path) {
  const platform::Api& os = platform::Os();
  OwnedText owned;
  char* found = nullptr;
  platform::DWORD size = 0;
  for (;;) {  // the size needed may change between calls: the files are not ours
    platform::DWORD n = os.GetForeignOwner(TextOrEmpty(path), found, size);
    if (n == 0) return nullptr;
    if (n <= size) break;
    found = static_cast<char*>(AllocZeroed(n + 2));  // its NULs, whatever it writes
    owned.Reset(found);
    size = n;
  }
  return ForeignFileMessage(found, found + std::strlen(found) + 1);
}

// The argument quoted so that the Microsoft C runtime's splitting gives it back
// whole: backslashes before a quote are doubled, quotes escaped.
std::string Quoted(const char* argument) {
  std::string out = "\"";
  size_t backslashes = 0;
  for (const char* p = argument; *p != 0; ++p) {
    if (*p == '\\') {
      ++backslashes;
      continue;
    }
    if (*p == '"') backslashes = backslashes * 2 + 1;
    out.append(backslashes, '\\');
    backslashes = 0;
    out.push_back(*p);
  }
  out.append(backslashes * 2, '\\');
  out.push_back('"');
  return out;
}

}  // namespace

Text BrowserToStart(Text path) {
  const platform::Api& os = platform::Os();
  OwnedText unquoted(ConcatTexts({path}));
  uint32_t length = TextLength(path);
  if (length >= 2 && path[0] == '"' && path[length - 1] == '"')
    unquoted.Reset(TextFromBuffer(path + 1, static_cast<int32_t>(length - 2)));
  if (unquoted.get() == nullptr || std::strchr(unquoted.get(), '"') != nullptr) return nullptr;
  if (os.PathIsRelativeA(unquoted.get()) == 0) return unquoted.Take();
  platform::DWORD size = os.GetFullPathNameA(unquoted.get(), 0, nullptr, nullptr);
  if (size == 0 || size > static_cast<platform::DWORD>(INT32_MAX)) return nullptr;
  auto* buffer = static_cast<char*>(AllocZeroed(size));
  OwnedText full(buffer);
  platform::DWORD n = os.GetFullPathNameA(unquoted.get(), size, buffer, nullptr);
  if (n == 0 || n >= size) return nullptr;
  return TextFromBuffer(buffer, static_cast<int32_t>(n));
}

Text ForeignFilesRefusal(Text path_file, Text browser_path) {
  Text refusal = ForeignFileRefusal(path_file);
  return refusal != nullptr ? refusal : ForeignFileRefusal(browser_path);
}

bool IsBatchFile(Text browser) {
  std::string name = TextOrEmpty(browser);
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  std::string extension = name.substr(name.size() < 4 ? 0 : name.size() - 4);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".bat" || extension == ".cmd";
}

bool ExpandsPercent(Text browser, Text folder) {
  return platform::kRunsBatchFiles && std::strchr(TextOrEmpty(folder), '%') != nullptr &&
         IsBatchFile(browser);
}

Text BrowserCommandLine(Text browser_path, Text profile_folder) {
  Text folder = TextOrEmpty(profile_folder);
  // Blanks split the argument; the rest would split it where the command
  // interpreter runs the browser (a batch-file wrapper on Windows).
  if (std::strpbrk(folder, " \t\"&|<>^()") == nullptr)
    return ConcatTexts({kOpeningQuote, browser_path, kOptionText, folder});
  std::string quoted = Quoted(folder);
  return ConcatTexts({kOpeningQuote, browser_path, kOptionText, quoted.c_str()});
}
