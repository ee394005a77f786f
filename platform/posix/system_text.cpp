#include "platform/posix/system_text.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/posix/posix_backend.h"

namespace platform::posix {

std::string GbkToSystem(const char* text) {
  size_t length = std::strlen(text);
  bool ascii =
      std::all_of(text, text + length, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii || length > 0x3FFFFFFF) return std::string(text, length);
  int n = static_cast<int>(length);
  std::u16string wide(length, u'\0');
  int units = MultiByteToWideChar(kCodePageGbk, 0, text, n, wide.data(), n);  // never fails
  std::string out(static_cast<size_t>(units) * 3, '\0');
  int bytes = WideCharToMultiByte(kCodePageUtf8, 0, wide.data(), units, out.data(),
                                  static_cast<int>(out.size()), nullptr, nullptr);
  out.resize(static_cast<size_t>(bytes));
  return out;
}

std::string FileText(const std::string& name) {
  std::string text;
  int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return text;
  char chunk[4096];
  for (;;) {
    ssize_t n = TEMP_FAILURE_RETRY(read(fd, chunk, sizeof chunk));
    if (n <= 0) break;
    text.append(chunk, static_cast<size_t>(n));
  }
  close(fd);
  return text;
}

std::string AbsoluteName(const std::string& name) {
  if (!name.empty() && name[0] == '/') return name;
  char* cwd = getcwd(nullptr, 0);
  if (cwd == nullptr) return {};
  std::string out = cwd;
  free(cwd);  // NOLINT(cppcoreguidelines-no-malloc): getcwd's own block
  if (out.back() != '/') out.push_back('/');
  return out + name;
}

bool SystemToGbk(const std::string& name, std::string* gbk) {
  gbk->clear();
  if (name.empty()) return true;
  if (name.size() > 0x3FFFFFFF) return false;
  int n = static_cast<int>(name.size());
  std::u16string wide(name.size(), u'\0');
  int units = MultiByteToWideChar(kCodePageUtf8, 0, name.data(), n, wide.data(), n);
  std::string out(static_cast<size_t>(units) * 2, '\0');
  BOOL defaulted = kFalse;
  // No look-alikes: they would name another file too.
  int bytes = WideCharToMultiByte(kCodePageGbk, WC_NO_BEST_FIT_CHARS, wide.data(), units,
                                  out.data(), static_cast<int>(out.size()), nullptr, &defaulted);
  if (bytes <= 0 || defaulted != kFalse) return false;
  out.resize(static_cast<size_t>(bytes));
  *gbk = std::move(out);
  return true;
}

}  // namespace platform::posix
