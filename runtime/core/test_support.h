// Runs a body as the program's entry on the fake system, for the fuzz
// programs; the unit tests use fake::FakeSystem itself.
#pragma once

#include <functional>
#include <vector>

#include "platform/testing/fake_system.h"

namespace testing_support {

struct RunResult {
  int32_t exit_code;
  bool body_finished;
  std::vector<fake::Box> boxes;
};

inline RunResult RunAsProgram(const std::function<void()>& body) {
  fake::FakeSystem system;
  bool finished = system.Run(body);
  return {system.exit_code, finished, system.boxes};
}

}  // namespace testing_support
