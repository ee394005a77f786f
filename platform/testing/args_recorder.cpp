// Writes the arguments it received to the file named by its first argument:
// argv[0], then every argument after the file name, each ended by a NUL byte.
// The file appears whole (written aside, then renamed). When the second
// argument is "sleep", waits a second first.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  if (argc > 2 && std::strcmp(argv[2], "sleep") == 0)
    std::this_thread::sleep_for(std::chrono::seconds(1));
  std::string part = std::string(argv[1]) + ".part";
  std::FILE* out = std::fopen(part.c_str(), "wb");
  if (out == nullptr) return 3;
  for (int i = 0; i < argc; ++i) {
    if (i == 1) continue;
    std::fwrite(argv[i], 1, std::strlen(argv[i]) + 1, out);
  }
  if (std::fclose(out) != 0) return 4;
  std::remove(argv[1]);
  return std::rename(part.c_str(), argv[1]) == 0 ? 0 : 5;
}
