// The command-line splitter. Any line (the input up to its first NUL) splits
// into arguments made of its own bytes; a program name and arguments (the
// input's NUL-separated pieces), quoted by the C runtime's rules, come back.
#include <sstream>
#include <string>
#include <vector>

#include "platform/posix/command_line.h"
#include "testing/fuzz_check.h"

using platform::posix::ProgramOfCommandLine;
using platform::posix::SplitCommandLine;

// Bare when it has no blank or quote; else in quotes, each quote escaped
// and the backslashes before it or the closing quote doubled.
static std::string Quoted(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string out = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '"') out.append(backslashes + 1, '\\');
    backslashes = c == '\\' ? backslashes + 1 : 0;
    out += c;
  }
  return out.append(backslashes, '\\') + "\"";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream pieces(std::string(reinterpret_cast<const char*>(data), size));
  std::string line, piece;
  std::getline(pieces, line, '\0');
  size_t bytes = 0;  // each argument's, and at least one more between two
  for (const std::string& arg : SplitCommandLine(line.c_str())) bytes += arg.size() + 1;
  FUZZ_CHECK(bytes <= line.size() + 1 && ProgramOfCommandLine(line.c_str()).size() <= line.size() &&
             (bytes > 0) == (line.find_first_not_of(" \t") != std::string::npos));
  // Without quotes or backslashes, the program is the first argument.
  FUZZ_CHECK(bytes == 0 || line.find_first_of("\"\\") != std::string::npos ||
             ProgramOfCommandLine(line.c_str()) == SplitCommandLine(line.c_str())[0]);
  if (line.find('"') != std::string::npos) return 0;  // no quote in a program name
  std::vector<std::string> args{line};
  line = "\"" + line + "\"";
  while (std::getline(pieces, piece, '\0')) {
    // After a space, a tab or both in turn.
    line += (args.size() % 3 == 0 ? " " : args.size() % 3 == 1 ? "\t" : " \t ") + Quoted(piece);
    args.push_back(piece);
  }
  FUZZ_CHECK(SplitCommandLine(line.c_str()) == args &&
             ProgramOfCommandLine(line.c_str()) == args[0]);
  return 0;
}
