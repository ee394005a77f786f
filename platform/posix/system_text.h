// GBK texts of the ...A calls toward the names and arguments Linux uses.
#pragma once

#include <string>

namespace platform::posix {

// A file name or program argument in GBK, as UTF-8: what the Windows
// file system makes of a code page 936 name, and what Linux programs and
// file names use. Bytes that are not GBK become "?".
std::string GbkToSystem(const char* text);

// A file name made absolute against the working folder (joined, without
// resolving "." or ".."); empty when the working folder cannot be had.
std::string AbsoluteName(const std::string& name);

// The whole of a small file, or empty when it cannot be read. Plain reads:
// neither stdio nor file streams are needed before the prompt.
std::string FileText(const std::string& name);

// A name from the system (UTF-8) in GBK; false when GBK cannot carry it whole,
// since a name with "?" in it would name some other file.
bool SystemToGbk(const std::string& name, std::string* gbk);

}  // namespace platform::posix
