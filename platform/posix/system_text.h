// GBK texts of the ...A calls toward the names and arguments Linux uses.
#pragma once

#include <string>

namespace platform::posix {

// A file name or program argument in GBK, as UTF-8: what the Windows
// file system makes of a code page 936 name, and what Linux programs and
// file names use. Bytes that are not GBK become "?".
std::string GbkToSystem(const char* text);

}  // namespace platform::posix
