#include "launcher/main_routine.h"

#include <cstdint>

#include "launcher/browser.h"
#include "launcher/messages.h"
#include "launcher/path_file.h"
#include "launcher/profile_folder.h"
#include "launcher/routine_ids.h"
#include "platform/platform.h"
#include "resources/resource_ids.h"
#include "runtime/core/arguments.h"
#include "runtime/core/decimal.h"
#include "runtime/core/error_report.h"
#include "runtime/core/startup.h"
#include "runtime/library/console.h"
#include "runtime/library/conversions.h"
#include "runtime/library/datetime.h"
#include "runtime/library/programs.h"

namespace {

constexpr int32_t kIconResource = ZV_ICON_RESOURCE;
constexpr int32_t kGreen = 2;
constexpr int32_t kRed = 4;
constexpr int32_t kPauseMilliseconds = 500;
// The background colours the backgrounds 1 to 4 stand for: blue, green, none
// (black, made grey by the intensity bit) and red.
constexpr int32_t kBackgroundAttributes[] = {platform::BACKGROUND_BLUE, platform::BACKGROUND_GREEN,
                                             0, platform::BACKGROUND_RED};
// The intensity bits, as doubles: the colour sums are taken in double precision.
constexpr double kBrightBackground = platform::BACKGROUND_INTENSITY;
constexpr double kBrightText = platform::FOREGROUND_INTENSITY;

void EndOfProgram() {}

void Write(Text text) { CallLibrary(ConsoleWrite, {OmittedSlot(), TextSlot(text)}); }

// A message in red, then a wait for Enter.
void Complain(Text message) {
  SetConsoleColour(kRed);
  Write(message);
  OwnedText line(CallLibrary(ConsoleRead, {OmittedSlot()}));
}

// The count typed on `line`: the number at its start, full-width digits
// read as digits; 0 when there is none or it does not fit a signed 32-bit
// integer (it would wrap around to another number).
int32_t CountTyped(Text line) {
  OwnedText half(CallLibrary(ToHalfWidth, {TextSlot(TextOrEmpty(line))}));
  bool exact = false;
  int32_t count = ReadDecimal(TextOrEmpty(half.get()), &exact);
  return exact ? count : 0;
}

}  // namespace

void LauncherEntry() {
  SetShutdownCallback(EndOfProgram);
  MainRoutine();
  RuntimeExit(0);
}

bool SetConsoleColour(int32_t colour, std::optional<bool> background) {
  const platform::Api& os = platform::Os();
  platform::HANDLE output = os.GetStdHandle(platform::STD_OUTPUT_HANDLE);
  if (output == nullptr) return false;
  double attribute;
  if (background.value_or(false)) {
    if (colour < 1 || colour > 4)
      ReportRuntimeError(kErrorChoiceIndex, kRoutineSetConsoleColour, kPositionBackgroundColour);
    // The sums are taken in double precision and truncated, as the colour
    // routine always computed them; the platform keeps the low 16 bits.
    attribute = kBackgroundAttributes[colour - 1] + kBrightBackground;
  } else {
    attribute = colour + kBrightText;
  }
  auto word = static_cast<platform::WORD>(static_cast<int64_t>(attribute) & 0xFFFF);
  return os.SetConsoleTextAttribute(output, word) != 0;
}

bool FileExists(Text path) { return platform::Os().PathFileExistsA(path) == 1; }

int32_t MainRoutine() {
  const platform::Api& os = platform::Os();
  platform::HMODULE module = os.GetModuleHandleA(nullptr);
  os.LoadIconA(module, reinterpret_cast<const char*>(static_cast<uintptr_t>(kIconResource)));

  SetConsoleColour(kGreen);
  Write(kBanner);

  // Owns a literal at first: releasing it does nothing, so every value of the
  // variable is released the same way, literal or heap text.
  OwnedText browser_path(platform::kDefaultBrowserPath);
  // ".\\path.txt" on Windows, ".//path.txt" here: the doubled separator is
  // handed to the platform as the name always was; both resolve against the
  // working folder, not the program's.
  OwnedText path_file(
      ConcatTexts({".", platform::kPathSeparator, platform::kPathSeparator, "path.txt"}));
  OwnedText unusable_name;  // the message, when GBK cannot name the path
  if (FileExists(path_file.get())) {
    bool unusable = false;
    browser_path.Reset(ReadPathFile(path_file.get(), &unusable));
    if (unusable) unusable_name.Reset(UnusableNameMessage(browser_path.get()));
  }
  browser_path.Reset(BrowserToStart(browser_path.get()));
  OwnedText foreign_files(ForeignFilesRefusal(path_file.get(), browser_path.get()));

  int32_t result = 0;
  OwnedText profile_folder;
  if (foreign_files.get() != nullptr) {
    Complain(foreign_files.get());
    result = 1;
  } else if (unusable_name.get() != nullptr || !FileExists(browser_path.get())) {
    OwnedText message(unusable_name.get() != nullptr ? unusable_name.Take() : NotFoundMessage());
    Complain(message.get());
    result = 1;
  } else {
    Write(kCountPrompt);
    OwnedText line(CallLibrary(ConsoleRead, {BoolSlot(true)}));
    int32_t count = CountTyped(line.get());
    line.Reset();

    OwnedText base(TempFolderText());
    DateTime now = CallLibrary(CurrentTime, {});
    OwnedText stamp(MakeTimestamp(now));
    // A fresh copy of the name through the value-to-text operation, so that
    // the name the folder gets is a text of its own whatever MakeTimestamp gave.
    OwnedText stamp_copy(CallLibrary(ToText, {TextSlot(TextOrEmpty(stamp.get()))}));
    stamp.Reset();

    for (int32_t i = 1; i <= count; ++i) {
      Refusal refusal = Refusal::kNone;
      if (i == 1 && ExpandsPercent(browser_path.get(), base.get())) {
        refusal = Refusal::kPercent;
        profile_folder.Reset(ConcatTexts({base.get()}));
      } else if (i == 1) {
        refusal = MakeProfileFolder(base.get(), stamp_copy.get(), profile_folder);
      } else {
        refusal = Judge(profile_folder.get(), profile_folder, true);  // gone, or not what was made
      }
      if (refusal != Refusal::kNone) {
        OwnedText message(RefusalMessage(refusal, profile_folder.get()));
        Complain(message.get());
        result = 1;
        break;
      }
      OwnedText command(BrowserCommandLine(browser_path.get(), profile_folder.get()));
      CallLibrary(RunProgram, {TextSlot(command.get()), BoolSlot(false), OmittedSlot()});
      command.Reset();
      CallLibrary(Delay, {IntSlot(kPauseMilliseconds)});
    }
  }
  browser_path.Reset();
  profile_folder.Reset();
  return result;
}
