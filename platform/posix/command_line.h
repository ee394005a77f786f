// Splitting a Windows command line into program arguments.
#pragma once

#include <string>
#include <vector>

namespace platform::posix {

// Splits `line` as the Microsoft C runtime builds argv:
// - The program name (first argument) runs to the first space or tab outside
//   double quotes; its quotes are dropped and its backslashes are plain.
// - Other arguments are separated by spaces and tabs outside quotes. A double
//   quote opens or closes quoting and is dropped; inside quotes, two double
//   quotes give one literal quote. 2n backslashes before a quote give n
//   backslashes (the quote then acts as above), 2n+1 give n and a literal
//   quote; backslashes elsewhere are plain. An unclosed quote runs to the end.
// Works on bytes: only ASCII characters have a meaning, so UTF-8 passes whole.
std::vector<std::string> SplitCommandLine(const char* line);

// The program CreateProcess starts for `line`: when the line starts with a
// double quote, what stands up to the next one; else its first word.
std::string ProgramOfCommandLine(const char* line);

}  // namespace platform::posix
