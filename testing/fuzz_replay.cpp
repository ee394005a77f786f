// Runs a fuzz program without libFuzzer on every file of the seed folder named
// by its argument; no seed at all is a failure, as the folder must be wrong.
// Each input is named before it runs, so that a failed property follows it.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  int seeds = 0;
  std::error_code error;
  for (const auto& file : std::filesystem::directory_iterator(argc > 1 ? argv[1] : "", error)) {
    std::ostringstream bytes;
    bytes << std::ifstream(file.path(), std::ios::binary).rdbuf();
    const std::string input = bytes.str();
    std::fprintf(stderr, "%s\n", file.path().string().c_str());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    ++seeds;
  }
  if (seeds == 0) std::fprintf(stderr, "no seeds in %s\n", argc > 1 ? argv[1] : "(none given)");
  return seeds == 0 ? 1 : 0;
}
