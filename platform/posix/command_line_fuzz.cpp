// The command-line splitter: any line splits into arguments made only of its
// own bytes, and arguments quoted by the C runtime's rules come back whole.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/posix/command_line.h"
#include "platform/testing/fuzz_check.h"

namespace {

using platform::posix::ProgramOfCommandLine;
using platform::posix::SplitCommandLine;

// An argument as a C runtime program expects it quoted: bare when it has no
// blank or quote, else in quotes with backslashes doubled before a quote and
// at the end, and quotes escaped.
std::string Quoted(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string out = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(2 * backslashes, '\\');
  return out + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  if (input.ConsumeBool()) {
    // Any line: arguments hold no more bytes than the line.
    std::string line = input.ConsumeRemainingBytesAsString();
    line.resize(std::strlen(line.c_str()));
    std::vector<std::string> args = SplitCommandLine(line.c_str());
    size_t bytes = 0;
    for (const std::string& arg : args) bytes += arg.size();
    FUZZ_CHECK(bytes <= line.size());
    FUZZ_CHECK(args.size() <= line.size());
    FUZZ_CHECK(ProgramOfCommandLine(line.c_str()).size() <= line.size());
    return 0;
  }
  // A program name (no quote in it, as on Windows) and arguments, quoted and
  // joined: the split gives them back.
  std::string program = input.ConsumeRandomLengthString(32);
  program.resize(std::strlen(program.c_str()));
  if (program.find('"') != std::string::npos) return 0;
  std::vector<std::string> args{program};
  std::string line = "\"" + program + "\"";
  while (input.remaining_bytes() > 0) {
    std::string arg = input.ConsumeRandomLengthString(32);
    arg.resize(std::strlen(arg.c_str()));
    args.push_back(arg);
    line += (input.ConsumeBool() ? " " : "\t") + Quoted(arg);
  }
  FUZZ_CHECK(SplitCommandLine(line.c_str()) == args);
  FUZZ_CHECK(ProgramOfCommandLine(line.c_str()) == program);
  return 0;
}
