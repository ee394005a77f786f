// Writes argv[0] and the arguments after the first to the file the first one
// names, each ended by a NUL byte; with "sleep" as the second, a second later.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

int main(int argc, char** argv) {
  if (argc > 2 && std::strcmp(argv[2], "sleep") == 0)
    std::this_thread::sleep_for(std::chrono::seconds(1));
  std::FILE* out = argc > 1 ? std::fopen(argv[1], "wb") : nullptr;
  for (int i = 0; out != nullptr && i < argc; ++i)
    if (i != 1) std::fwrite(argv[i], 1, std::strlen(argv[i]) + 1, out);
  return out != nullptr && std::fclose(out) == 0 ? 0 : 1;
}
