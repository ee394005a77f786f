// Runs a fuzz program without libFuzzer: on every file of the seed folder
// named by its argument, or on a few fixed inputs when that cannot be read.
// Each input is named before it runs, so that a failed property follows it.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  using namespace std::string_literals;
  std::vector<std::string> names, inputs;
  std::error_code error;
  for (const auto& file : std::filesystem::directory_iterator(argc > 1 ? argv[1] : "", error)) {
    std::ostringstream bytes;
    bytes << std::ifstream(file.path(), std::ios::binary).rdbuf();
    names.push_back(file.path().string());
    inputs.push_back(bytes.str());
  }
  if (inputs.empty())
    inputs = {""s, "10"s, " \xA3\xAB\xA3\xB1\xA1\xA1"s, "\"a b\"\tc\\\"d\0\xD6\xD0\0/"s};
  for (size_t i = 0; i < inputs.size(); ++i) {
    std::fprintf(stderr, "%s\n", i < names.size() ? names[i].c_str() : "fixed input");
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(inputs[i].data()), inputs[i].size());
  }
}
