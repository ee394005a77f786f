#include "platform/posix/command_line.h"

namespace platform::posix {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> SplitCommandLine(const char* line) {
  std::vector<std::string> args;
  const char* p = line;
  while (IsBlank(*p)) ++p;
  if (*p == 0) return args;

  std::string name;
  bool quoted_name = false;
  for (; *p != 0 && (quoted_name || !IsBlank(*p)); ++p) {
    if (*p == '"')
      quoted_name = !quoted_name;
    else
      name.push_back(*p);
  }
  args.push_back(std::move(name));

  for (;;) {
    while (IsBlank(*p)) ++p;
    if (*p == 0) break;
    std::string arg;
    bool quoted = false;
    while (*p != 0 && (quoted || !IsBlank(*p))) {
      if (*p == '\\') {
        size_t run = 0;
        while (p[run] == '\\') ++run;
        if (p[run] != '"') {
          arg.append(run, '\\');
          p += run;
          continue;
        }
        arg.append(run / 2, '\\');
        p += run;
        if (run % 2 == 1) {
          arg.push_back('"');
          ++p;
        }
        continue;  // after an even run the quote is handled below
      }
      if (*p == '"') {
        if (quoted && p[1] == '"') {
          arg.push_back('"');
          p += 2;
        } else {
          quoted = !quoted;
          ++p;
        }
        continue;
      }
      arg.push_back(*p++);
    }
    args.push_back(std::move(arg));
  }
  return args;
}

std::string ProgramOfCommandLine(const char* line) {
  const char* p = line;
  while (IsBlank(*p)) ++p;
  std::string name;
  if (*p == '"') {
    for (++p; *p != 0 && *p != '"'; ++p) name.push_back(*p);
  } else {
    for (; *p != 0 && !IsBlank(*p); ++p) name.push_back(*p);
  }
  return name;
}

}  // namespace platform::posix
