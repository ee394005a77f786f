// What the platform's conformance tests share: the backend of the build, files
// opened as the program opens them, and a fresh folder under the temporary-files
// folder, removed however the test ends.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "platform/platform.h"

inline const platform::Api& os = platform::NativeApi();
using namespace platform;  // NOLINT(google-build-using-namespace): the tests speak Win32

// An existing file or device, opened as the program opens path.txt.
inline HANDLE Open(const std::string& name, DWORD access = GENERIC_READ) {
  return os.CreateFileA(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_ARCHIVE, nullptr);
}

struct ScratchFolder {
  ScratchFolder() {
    for (std::random_device random; !std::filesystem::create_directory(path);)
      path = std::filesystem::temp_directory_path() / ("zv-test-" + std::to_string(random()));
  }
  ~ScratchFolder() { std::filesystem::remove_all(path, ignored); }
  // The path of `name` inside, as the calls take it (the folder's own is ASCII).
  std::string operator/(const std::string& name) const {
    return path.string() + platform::kPathSeparator + name;
  }
  std::filesystem::path path = std::filesystem::temp_directory_path();  // there already
  std::error_code ignored;
};
