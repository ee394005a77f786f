// Test support (header only, for *_test.cpp files): runs a body as the
// program's entry routine under RuntimeMain and records what it showed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "runtime/core/memory.h"

namespace testing_support {

struct MessageBoxRecord {
  std::string text;
  std::string caption;
  platform::UINT style;
};

struct RunResult {
  int32_t exit_code = -1;
  bool body_finished = false;  // the body ran to its end without RuntimeExit
  std::vector<MessageBoxRecord> boxes;
  std::string standard_error;
};

inline RunResult& CurrentRun() {
  static RunResult run;
  return run;
}

inline std::function<void()>& CurrentBody() {
  static std::function<void()> body;
  return body;
}

// Records message boxes and standard error instead of showing them.
inline platform::Api RecordingApi(platform::Api api = platform::NativeApi()) {
  api.MessageBoxA = [](platform::HWND, const char* text, const char* caption,
                       platform::UINT style) {
    CurrentRun().boxes.push_back(
        {text != nullptr ? text : "", caption != nullptr ? caption : "", style});
    return platform::IDOK;
  };
  api.WriteStandardError = [](const char* bytes, size_t length) {
    CurrentRun().standard_error.append(bytes, length);
  };
  return api;
}

// Runs `body` as the entry routine, with `api` (message boxes recorded) in force.
inline RunResult RunAsProgram(std::function<void()> body,
                              const platform::Api& api = platform::NativeApi()) {
  CurrentRun() = RunResult{};
  CurrentBody() = std::move(body);
  platform::Api recording = RecordingApi(api);
  platform::ScopedApi use(recording);
  int32_t code = RuntimeMain(0, nullptr, nullptr, [] {
    CurrentBody()();
    CurrentRun().body_finished = true;
    RuntimeExit(0);
  });
  SetShutdownCallback(nullptr);
  CurrentRun().exit_code = code;
  return CurrentRun();
}

}  // namespace testing_support
