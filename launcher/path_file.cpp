#include "launcher/path_file.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "launcher/profile_folder.h"
#include "platform/platform.h"
#include "runtime/core/memory.h"
#include "runtime/library/files.h"
#include "runtime/library/wide_text.h"

namespace {

// More than any path with the blanks around it: a larger file names no
// browser, and is not converted.
constexpr int32_t kMostBytes = 1 << 20;

// Whether the bytes are well-formed UTF-8 holding at least one character
// beyond ASCII: no overlong forms, surrogates or values past U+10FFFF.
bool IsUtf8BeyondAscii(const uint8_t* p, const uint8_t* end) {
  if (std::all_of(p, end, [](uint8_t byte) { return byte < 0x80; })) return false;
  return platform::Os().MultiByteToWideChar(platform::kCodePageUtf8, platform::MB_ERR_INVALID_CHARS,
                                            reinterpret_cast<const char*>(p),
                                            static_cast<int>(end - p), nullptr, 0) > 0;
}

std::u16string FromCodePage(platform::UINT code_page, const uint8_t* p, const uint8_t* end) {
  const platform::Api& os = platform::Os();
  const auto* bytes = reinterpret_cast<const char*>(p);
  auto length = static_cast<int>(end - p);
  int n = os.MultiByteToWideChar(code_page, 0, bytes, length, nullptr, 0);
  std::u16string wide(static_cast<size_t>(std::max(n, 0)), u'\0');
  os.MultiByteToWideChar(code_page, 0, bytes, length, wide.data(), n);  // n 0: converts nothing
  return wide;
}

std::u16string FromUtf16(const uint8_t* p, const uint8_t* end, bool big_endian) {
  std::u16string wide;
  for (; end - p >= 2 && (p[0] != 0 || p[1] != 0); p += 2)
    wide.push_back(static_cast<char16_t>(big_endian ? p[0] << 8 | p[1] : p[1] << 8 | p[0]));
  return wide;
}

// Without blanks (half-width and full-width), tabs, CR and LF at either end.
std::u16string Trimmed(const std::u16string& wide) {
  const char16_t kAround[] = u" \u3000\t\r\n";
  size_t first = wide.find_first_not_of(kAround);
  if (first == std::u16string::npos) return {};
  return wide.substr(first, wide.find_last_not_of(kAround) - first + 1);
}

// The path as GBK text; in one pair of double quotes, it stays in them. A
// path GBK cannot write whole is named by its short name. Without one, or
// when it is relative and GBK cannot name the working folder, `unusable` is
// set, and the text has the default character in place of what GBK lacks.
Text GbkPath(std::u16string wide, bool* unusable) {
  bool quoted = wide.size() >= 2 && wide.front() == u'"' && wide.back() == u'"';
  if (quoted) wide = wide.substr(1, wide.size() - 2);
  if (wide.empty()) return nullptr;
  BytesHeader* block = NewBytes(static_cast<int32_t>(2 * wide.size() + 2), true);
  OwnedBytes units(block);
  std::memcpy(const_cast<uint8_t*>(BytesData(block)), wide.data(), 2 * wide.size());
  OwnedBytes usable(GbkWritableWide(units.get()));
  OwnedText text(WideToText(usable.get() != nullptr ? usable.get() : units.get(),
                            static_cast<int32_t>(platform::kCodePageGbk)));
  const platform::Api& os = platform::Os();
  *unusable = usable.get() == nullptr || text.get() == nullptr ||
              (os.PathIsRelativeA(text.get()) != 0 &&
               os.GetFullPathNameA(text.get(), 0, nullptr, nullptr) == 0);
  return quoted ? ConcatTexts({"\"", text.get(), "\""}) : text.Take();
}

// Whether the path, perhaps in one pair of double quotes, names a file or folder.
bool Names(Text path) {
  uint32_t length = TextLength(path);
  if (length >= 2 && path[0] == '"' && path[length - 1] == '"') {
    OwnedText inner(TextFromBuffer(path + 1, static_cast<int32_t>(length - 2)));
    return Names(inner.get());
  }
  return path != nullptr && platform::Os().PathFileExistsA(path) == 1;
}

}  // namespace

Text ReadPathFile(Text name, bool* unusable) {
  OwnedBytes contents(CallLibrary(ReadFileBytes, {TextSlot(name)}));
  const uint8_t* p = BytesData(BytesOrEmpty(contents.get()));
  const uint8_t* end = p + BytesLength(contents.get());
  *unusable = false;
  if (end - p > kMostBytes) return nullptr;
  auto starts_with = [&](const char* mark) {
    size_t n = std::strlen(mark);
    return static_cast<size_t>(end - p) >= n && std::memcmp(p, mark, n) == 0;
  };
  // The reading taken, and the GBK one when it is a second possible reading.
  std::u16string reading, gbk_reading;
  if (starts_with("\xFF\xFE") || starts_with("\xFE\xFF")) {
    reading = FromUtf16(p + 2, end, p[0] == 0xFE);
  } else {
    bool marked = starts_with("\xEF\xBB\xBF");
    p += marked ? 3 : 0;
    const void* nul = std::memchr(p, 0, static_cast<size_t>(end - p));
    end = nul != nullptr ? static_cast<const uint8_t*>(nul) : end;
    bool utf8 = marked || IsUtf8BeyondAscii(p, end);
    reading = FromCodePage(utf8 ? platform::kCodePageUtf8 : platform::kCodePageGbk, p, end);
    if (utf8 && !marked) gbk_reading = FromCodePage(platform::kCodePageGbk, p, end);
  }
  OwnedText path(GbkPath(Trimmed(reading), unusable));
  if (!gbk_reading.empty() && !Names(path.get())) {
    bool gbk_unusable = false;
    OwnedText other(GbkPath(Trimmed(gbk_reading), &gbk_unusable));
    if (Names(other.get())) {
      path.Reset(other.Take());
      *unusable = gbk_unusable;
    }
  }
  return path.Take();
}
