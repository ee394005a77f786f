// Runs console operations for the Linux console tests, which start it on a
// pseudo-terminal or with redirected streams. Results are printed as
// "<<HEX>>" (upper-case hex of the bytes) so they cannot be mistaken for echo.
//   read [omitted]  ConsoleRead with echo (given as true, or omitted)
//   read-twice      two ConsoleRead calls with echo
//   keys            ConsoleRead without echo
//   write DIR       ConsoleWrite of 1023 "a" and two GBK characters, the first
//                   cut by the 1024-byte chunk; DIR 0 omits the direction
//   colour A...     SetConsoleTextAttribute on standard output with each
//                   attribute A, printing each result
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "runtime/core/memory.h"
#include "runtime/library/console.h"

namespace {

int g_argc;
char** g_argv;

void Print(const std::string& text) {
  ssize_t n = write(STDOUT_FILENO, text.data(), text.size());
  (void)n;
}

void PrintResult(Text text) {
  std::string out = "<<";
  char hex[3];
  for (const char* p = text; p != nullptr && *p != 0; ++p) {
    std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(*p));
    out += hex;
  }
  Print(out + ">>\n");
  FreeBlock(text);
}

void Run() {
  std::string mode = g_argc > 1 ? g_argv[1] : "";
  if (mode == "read" || mode == "read-twice") {
    ArgSlot echo = g_argc > 2 ? OmittedSlot() : BoolSlot(true);
    int reads = mode == "read" ? 1 : 2;
    Print("READY\n");
    for (int i = 0; i < reads; ++i) PrintResult(CallLibrary(ConsoleRead, {echo}));
  } else if (mode == "keys") {
    Print("READY\n");
    PrintResult(CallLibrary(ConsoleRead, {BoolSlot(false)}));
  } else if (mode == "write") {
    std::string text(1023, 'a');
    text += "\xD6\xD0\xCE\xC4";
    int direction = g_argc > 2 ? std::atoi(g_argv[2]) : 0;
    CallLibrary(ConsoleWrite,
                {direction == 0 ? OmittedSlot() : IntSlot(direction), TextSlot(text.c_str())});
  } else if (mode == "colour") {
    const platform::Api& os = platform::Os();
    for (int i = 2; i < g_argc; ++i) {
      auto attribute = static_cast<platform::WORD>(std::strtol(g_argv[i], nullptr, 0));
      platform::BOOL ok =
          os.SetConsoleTextAttribute(os.GetStdHandle(platform::STD_OUTPUT_HANDLE), attribute);
      Print(ok != 0 ? "<<1>>" : "<<0>>");
    }
  }
}

}  // namespace

int main(int argc, char** argv, char** envp) {
  g_argc = argc;
  g_argv = argv;
  return RuntimeMain(argc, argv, envp, [] {
    Run();
    RuntimeExit(0);
  });
}
