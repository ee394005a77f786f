// What the platform's conformance tests share: the backend of the build, and a
// fresh folder under the temporary-files folder, removed however the test ends.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "platform/platform.h"

inline const platform::Api& os = platform::NativeApi();

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
