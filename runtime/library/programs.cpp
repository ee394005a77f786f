#include "runtime/library/programs.h"

#include <string>

#include "platform/platform.h"

namespace {

// Show state of each window mode, 1 to 6.
constexpr int kShowStates[] = {platform::SW_HIDE,           platform::SW_SHOW,
                               platform::SW_SHOWMINIMIZED,  platform::SW_SHOWMAXIMIZED,
                               platform::SW_SHOWNOACTIVATE, platform::SW_SHOWMINNOACTIVE};

}  // namespace

bool RunProgram(int32_t count, const ArgSlot* args) {
  const platform::Api& os = platform::Os();
  auto command = static_cast<Text>(SlotPointer(SlotAt(count, args, 0)));
  bool wait = SlotAt(count, args, 1).low != 0;
  const ArgSlot& mode = SlotAt(count, args, 2);
  int show = platform::SW_SHOW;
  if (SlotGiven(mode) && SlotInt(mode) >= 1 && SlotInt(mode) <= 6)
    show = kShowStates[SlotInt(mode) - 1];

  platform::STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  os.GetStartupInfoA(&startup);
  startup.dwFlags = platform::STARTF_USESHOWWINDOW;
  startup.hStdOutput = nullptr;
  startup.hStdError = nullptr;
  startup.wShowWindow = static_cast<platform::WORD>(show);

  // CreateProcessA may write into the command line; it gets a copy.
  std::string line = command != nullptr ? command : "";
  platform::PROCESS_INFORMATION process{};
  if (os.CreateProcessA(nullptr, line.data(), nullptr, nullptr, platform::kTrue, 0, nullptr,
                        nullptr, &startup, &process) == 0)
    return false;
  if (wait) os.WaitForSingleObject(process.hProcess, platform::INFINITE);
  os.CloseHandle(process.hProcess);
  os.CloseHandle(process.hThread);
  return true;
}
