#include "platform/posix/system_text.h"

#include <cstring>

#include "platform/posix/posix_backend.h"

namespace platform::posix {

std::string GbkToSystem(const char* text) {
  size_t length = std::strlen(text);
  bool ascii = true;
  for (size_t i = 0; i < length && ascii; ++i) ascii = static_cast<unsigned char>(text[i]) < 0x80;
  if (ascii || length > 0x3FFFFFFF) return std::string(text, length);
  int n = static_cast<int>(length);
  std::u16string wide(length, u'\0');
  int units = MultiByteToWideChar(kCodePageGbk, 0, text, n, wide.data(), n);
  if (units <= 0) return std::string(text, length);  // no converter: the bytes as they are
  std::string out(static_cast<size_t>(units) * 3, '\0');
  int bytes = WideCharToMultiByte(65001, 0, wide.data(), units, out.data(),
                                  static_cast<int>(out.size()), nullptr, nullptr);
  out.resize(static_cast<size_t>(bytes));
  return out;
}

}  // namespace platform::posix
