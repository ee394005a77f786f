#include "launcher/main_routine.h"

#include <cctype>
#include <cstring>
#include <string>

#include "launcher/path_file.h"
#include "launcher/profile_folder.h"
#include "launcher/routine_ids.h"
#include "platform/platform.h"
#include "resources/resource_ids.h"
#include "runtime/core/decimal.h"
#include "runtime/core/error_report.h"
#include "runtime/core/memory.h"
#include "runtime/core/startup.h"
#include "runtime/library/console.h"
#include "runtime/library/conversions.h"
#include "runtime/library/datetime.h"
#include "runtime/library/files.h"
#include "runtime/library/programs.h"

#define ZV_RULE "   **************************************************************\r\n"
#define ZV_EMPTY "   *                                                            *\r\n"

// The boxed welcome banner: 610 bytes of GBK. Line 3 holds the title
// 欢迎使用Kovo谷歌浏览器多开工具, line 7 the emoticon o(*￣▽￣*)ブ.
const char kBanner[] =
    "\r\n   \r\n" ZV_RULE ZV_EMPTY
    "   *         \xBB\xB6\xD3\xAD\xCA\xB9\xD3\xC3Kovo\xB9\xC8\xB8\xE8\xE4\xAF\xC0\xC0\xC6\xF7\xB6"
    "\xE0\xBF\xAA\xB9\xA4\xBE\xDF                     *\r\n" ZV_EMPTY
    "   *              version " ZV_VERSION "                                 *\r\n" ZV_EMPTY
    "   *              o(*\xA3\xFE\xA8\x8C\xA3\xFE*)\xA5\xD6                                 "
    "*\r\n" ZV_EMPTY ZV_RULE;

#undef ZV_RULE
#undef ZV_EMPTY

// Nine box lines of 65 bytes and their line ends, after the blank first line:
// a version of another length needs the padding after it changed.
static_assert(sizeof kBanner - 1 == 610, "the banner's box lines must keep their width");

// 说吧，要开几个浏览器？ / 输入要开的浏览器数量后按回车：
const char kCountPrompt[] =
    "\r\n   \r\n   \xCB\xB5\xB0\xC9\xA3\xAC\xD2\xAA\xBF\xAA\xBC\xB8\xB8\xF6\xE4\xAF\xC0\xC0\xC6\xF7"
    "\xA3\xBF\r\n\r\n   \xCA\xE4\xC8\xEB\xD2\xAA\xBF\xAA\xB5\xC4\xE4\xAF\xC0\xC0\xC6\xF7\xCA\xFD"
    "\xC1\xBF\xBA\xF3\xB0\xB4\xBB\xD8\xB3\xB5\xA3\xBA";

namespace {

// The browser program was not found; check whether its folder is ... :
const char kNotFoundHead[] =
    "   \r\n   \xB9\xC8\xB8\xE8\xE4\xAF\xC0\xC0\xC6\xF7\xB3\xCC\xD0\xF2\xCE\xB4\xD5\xD2\xB5\xBD\xA3"
    "\xAC\xC7\xEB\xB2\xE9\xBF\xB4\xB9\xC8\xB8\xE8\xE4\xAF\xC0\xC0\xC6\xF7\xC4\xBF\xC2\xBC\xB5"
    "\xD8\xD6\xB7\xCA\xC7\xB7\xF1\xCA\xC7\xA3\xBA\r\n   ";
// ... if not, create path.txt in the working folder holding the real path.
const char kNotFoundTail[] =
    "\r\n   \r\n   \xC8\xE7\xB9\xFB\xB2\xBB\xCA\xC7\xA3\xAC\xC7\xEB\xD4\xDA\xD4\xCB\xD0\xD0\xC4\xBF"
    "\xC2\xBC\xCF\xC2\xD0\xC2\xBD\xA8\xCE\xC4\xBC\xFE path.txt \xC0\xEF\xC3\xE6\xB1\xA3\xB4\xE6"
    "\xB9\xC8\xB8\xE8\xE4\xAF\xC0\xC0\xC6\xF7\xB5\xC4\xD5\xE6\xCA\xB5\xB5\xD8\xD6\xB7\xBA\xF3"
    "\xD4\xCB\xD0\xD0\xB8\xC3\xC8\xED\xBC\xFE\xA1\xA3";

// The browser profile folder is not safe; the browser was not started: <folder>
// It is a link, not yours, writable by others, or its name holds characters
// that cannot be used. Delete it or use another temporary folder, then run again.
const char kUnsafeFolderHead[] =
    "   \r\n   \xE4\xAF\xC0\xC0\xC6\xF7\xD7\xCA\xC1\xCF\xCE\xC4\xBC\xFE\xBC\xD0\xB2\xBB\xB0"
    "\xB2\xC8\xAB\xA3\xAC\xC3\xBB\xD3\xD0\xC6\xF4\xB6\xAF\xE4\xAF\xC0\xC0\xC6\xF7\xA3\xBA\r\n   ";
const char kUnsafeFolderTail[] =
    "\r\n   \r\n   \xCB\xFC\xCA\xC7\xC1\xB4\xBD\xD3\xA1\xA2\xB2\xBB\xCA\xF4\xD3\xDA\xC4\xFA\xA1"
    "\xA2\xB1\xF0\xC8\xCB\xD2\xB2\xC4\xDC\xD0\xB4\xC8\xEB\xA3\xAC\xBB\xF2\xD5\xDF\xC3\xFB\xD7"
    "\xD6\xC0\xEF\xD3\xD0\xCE\xDE\xB7\xA8\xCA\xB9\xD3\xC3\xB5\xC4\xD7\xD6\xB7\xFB\xA1\xA3\xC7"
    "\xEB\xC9\xBE\xB3\xFD\xCB\xFC\xBB\xF2\xBB\xBB\xD2\xBB\xB8\xF6\xC1\xD9\xCA\xB1\xCE\xC4\xBC"
    "\xFE\xBC\xD0\xBA\xF3\xD4\xD9\xD4\xCB\xD0\xD0\xB8\xC3\xC8\xED\xBC\xFE\xA1\xA3";

// It belongs to another user, so you cannot delete or change it. Set the
// environment variable TMPDIR to a folder of your own (for example export
// TMPDIR=$HOME/tmp), then run again.
const char kUnsafeForeignTail[] =
    "\r\n   \r\n   \xCB\xFC\xCA\xF4\xD3\xDA\xB1\xF0\xB5\xC4\xD3\xC3\xBB\xA7\xA3\xAC\xC4\xFA\xCE"
    "\xDE\xB7\xA8\xC9\xBE\xB3\xFD\xBB\xF2\xD0\xDE\xB8\xC4\xCB\xFC\xA1\xA3\xC7\xEB\xB0\xD1\xBB"
    "\xB7\xBE\xB3\xB1\xE4\xC1\xBF TMPDIR \xC9\xE8\xCE\xAA\xC4\xFA\xD7\xD4\xBC\xBA\xB5\xC4\xCE"
    "\xC4\xBC\xFE\xBC\xD0\xA3\xA8\xC0\xFD\xC8\xE7 export TMPDIR=$HOME/tmp\xA3\xA9\xBA\xF3\xD4"
    "\xD9\xD4\xCB\xD0\xD0\xB8\xC3\xC8\xED\xBC\xFE\xA1\xA3";

// This file belongs to another user; the browser was not started: <file>
// It belongs to the user <account>. Only files of your own or root's (path.txt,
// the browser program it names and the links on the way) are used. Use a file
// of your own, then run again.
const char kForeignFileHead[] =
    "   \r\n   \xD5\xE2\xB8\xF6\xCE\xC4\xBC\xFE\xCA\xF4\xD3\xDA\xB1\xF0\xB5\xC4\xD3\xC3\xBB\xA7"
    "\xA3\xAC\xC3\xBB\xD3\xD0\xC6\xF4\xB6\xAF\xE4\xAF\xC0\xC0\xC6\xF7\xA3\xBA\r\n   ";
const char kForeignFileMiddle[] = "\r\n   \r\n   \xCB\xFC\xCA\xF4\xD3\xDA\xD3\xC3\xBB\xA7 ";
const char kForeignFileTail[] =
    "\xA1\xA3\xB1\xBE\xC8\xED\xBC\xFE\xD6\xBB\xCA\xB9\xD3\xC3\xC4\xFA\xD7\xD4\xBC\xBA\xBB\xF2"
    " root \xB5\xC4\xCE\xC4\xBC\xFE\xA3\xA8path.txt\xA1\xA2\xCB\xFC\xD6\xB8\xCF\xF2\xB5\xC4\xE4"
    "\xAF\xC0\xC0\xC6\xF7\xB3\xCC\xD0\xF2\xBA\xCD\xCD\xBE\xD6\xD0\xB5\xC4\xC1\xB4\xBD\xD3\xA3"
    "\xA9\xA1\xA3\xC7\xEB\xBB\xBB\xD3\xC3\xC4\xFA\xD7\xD4\xBC\xBA\xB5\xC4\xCE\xC4\xBC\xFE\xBA"
    "\xF3\xD4\xD9\xD4\xCB\xD0\xD0\xB8\xC3\xC8\xED\xBC\xFE\xA1\xA3";

// The browser profile folder could not be made; the browser was not started:
// <folder>. Make sure the temporary folder exists and can be written to, then
// run again.
const char kFolderNotMadeHead[] =
    "   \r\n   \xE4\xAF\xC0\xC0\xC6\xF7\xD7\xCA\xC1\xCF\xCE\xC4\xBC\xFE\xBC\xD0\xCE\xDE\xB7"
    "\xA8\xB4\xB4\xBD\xA8\xA3\xAC\xC3\xBB\xD3\xD0\xC6\xF4\xB6\xAF\xE4\xAF\xC0\xC0\xC6\xF7"
    "\xA3\xBA\r\n   ";
const char kFolderNotMadeTail[] =
    "\r\n   \r\n   \xC7\xEB\xC8\xB7\xC8\xCF\xC1\xD9\xCA\xB1\xCE\xC4\xBC\xFE\xBC\xD0\xB4\xE6"
    "\xD4\xDA\xB2\xA2\xC7\xD2\xBF\xC9\xD2\xD4\xD0\xB4\xC8\xEB\xA3\xAC\xC8\xBB\xBA\xF3\xD4"
    "\xD9\xD4\xCB\xD0\xD0\xB8\xC3\xC8\xED\xBC\xFE\xA1\xA3";

// The browser program's path has characters that cannot be used (characters
// GBK lacks); the browser was not started: <path>. Move the browser program or
// the working folder to a folder without such characters, then run again.
const char kUnusableNameHead[] =
    "   \r\n   \xE4\xAF\xC0\xC0\xC6\xF7\xB3\xCC\xD0\xF2\xB5\xC4\xC2\xB7\xBE\xB6\xC0\xEF\xD3\xD0"
    "\xCE\xDE\xB7\xA8\xCA\xB9\xD3\xC3\xB5\xC4\xD7\xD6\xB7\xFB\xA3\xA8GBK \xC0\xEF\xC3\xBB\xD3\xD0"
    "\xB5\xC4\xD7\xD6\xB7\xFB\xA3\xA9\xA3\xAC\xC3\xBB\xD3\xD0\xC6\xF4\xB6\xAF\xE4\xAF\xC0\xC0\xC6"
    "\xF7\xA3\xBA\r\n   ";
const char kUnusableNameTail[] =
    "\r\n   \r\n   \xC7\xEB\xB0\xD1\xE4\xAF\xC0\xC0\xC6\xF7\xB3\xCC\xD0\xF2\xBB\xF2\xD4\xCB\xD0"
    "\xD0\xC4\xBF\xC2\xBC\xB7\xC5\xB5\xBD\xC3\xFB\xD7\xD6\xC0\xEF\xC3\xBB\xD3\xD0\xD5\xE2\xD0\xA9"
    "\xD7\xD6\xB7\xFB\xB5\xC4\xCE\xC4\xBC\xFE\xBC\xD0\xC0\xEF\xA3\xAC\xC8\xBB\xBA\xF3\xD4\xD9\xD4"
    "\xCB\xD0\xD0\xB8\xC3\xC8\xED\xBC\xFE\xA1\xA3";

// The temporary folder's name has characters that cannot be used (characters
// GBK lacks); the browser was not started: <folder>. Name another temporary
// folder with the environment variable <TEMP or TMPDIR>, then run again.
const char kTempNameHead[] =
    "   \r\n   \xC1\xD9\xCA\xB1\xCE\xC4\xBC\xFE\xBC\xD0\xB5\xC4\xC3\xFB\xD7\xD6\xC0\xEF\xD3\xD0"
    "\xCE\xDE\xB7\xA8\xCA\xB9\xD3\xC3\xB5\xC4\xD7\xD6\xB7\xFB\xA3\xA8GBK \xC0\xEF\xC3\xBB\xD3\xD0"
    "\xB5\xC4\xD7\xD6\xB7\xFB\xA3\xA9\xA3\xAC\xC3\xBB\xD3\xD0\xC6\xF4\xB6\xAF\xE4\xAF\xC0\xC0\xC6"
    "\xF7\xA3\xBA\r\n   ";
const char kTempNameTail[] = "\r\n   \r\n   \xC7\xEB\xD3\xC3\xBB\xB7\xBE\xB3\xB1\xE4\xC1\xBF ";
const char kTempNameEnd[] =
    " \xD6\xB8\xB6\xA8\xC1\xED\xD2\xBB\xB8\xF6\xC1\xD9\xCA\xB1\xCE\xC4\xBC\xFE\xBC\xD0\xA3\xAC\xC8"
    "\xBB\xBA\xF3\xD4\xD9\xD4\xCB\xD0\xD0\xB8\xC3\xC8\xED\xBC\xFE\xA1\xA3";

// The browser is a batch file, but the profile folder's name holds a %, which
// the command interpreter replaces with other text; the browser was not
// started: <folder>. Name the browser program itself in path.txt, or a
// temporary folder without % in TEMP, then run again.
const char kPercentHead[] =
    "   \r\n   \xE4\xAF\xC0\xC0\xC6\xF7\xCA\xC7\xC5\xFA\xB4\xA6\xC0\xED\xCE\xC4\xBC\xFE\xA3\xAC"
    "\xD7\xCA\xC1\xCF\xCE\xC4\xBC\xFE\xBC\xD0\xB5\xC4\xC3\xFB\xD7\xD6\xC0\xEF\xC8\xB4\xD3\xD0 %"
    "\xA3\xAC\xC3\xFC\xC1\xEE\xBD\xE2\xCA\xCD\xC6\xF7\xBB\xE1\xB0\xD1\xCB\xFC\xBB\xBB\xB3\xC9\xB1"
    "\xF0\xB5\xC4\xCE\xC4\xD7\xD6\xA3\xAC\xC3\xBB\xD3\xD0\xC6\xF4\xB6\xAF\xE4\xAF\xC0\xC0\xC6\xF7"
    "\xA3\xBA\r\n   ";
const char kPercentTail[] =
    "\r\n   \r\n   \xC7\xEB\xD4\xDA path.txt \xC0\xEF\xD0\xB4\xE4\xAF\xC0\xC0\xC6\xF7\xB3\xCC\xD0"
    "\xF2\xB1\xBE\xC9\xED\xA3\xAC\xBB\xF2\xD5\xDF\xD3\xC3\xBB\xB7\xBE\xB3\xB1\xE4\xC1\xBF TEMP "
    "\xD6\xB8\xB6\xA8\xC3\xFB\xD7\xD6\xC0\xEF\xC3\xBB\xD3\xD0 % \xB5\xC4\xC1\xD9\xCA\xB1\xCE\xC4"
    "\xBC\xFE\xBC\xD0\xA3\xAC\xC8\xBB\xBA\xF3\xD4\xD9\xD4\xCB\xD0\xD0\xB8\xC3\xC8\xED\xBC\xFE\xA1"
    "\xA3";

constexpr char kFolderName[] = "zelmorvika";
constexpr char kOpeningQuote[] = "\"";
constexpr char kOptionText[] = "\" --user-data-dir=";
constexpr int32_t kIconResource = ZV_ICON_RESOURCE;
constexpr int32_t kGreen = 2;
constexpr int32_t kRed = 4;
constexpr int32_t kPauseMilliseconds = 500;
constexpr int32_t kBackgroundAttributes[] = {0x10, 0x20, 0, 0x40};

void EndOfProgram() {}

void Write(Text text) { CallLibrary(ConsoleWrite, {OmittedSlot(), TextSlot(text)}); }

// A message in red, then a wait for Enter.
void Complain(Text message) {
  SetConsoleColour(kRed);
  Write(message);
  OwnedText line(CallLibrary(ConsoleRead, {OmittedSlot()}));
}

// Names tried for the profile folder before giving up: a second of names.
constexpr int32_t kNamesToTry = 1000;

// Why no browser may be started on the profile folder: an entry on the way
// to it that is unsafe and the user's own, or another account's; no folder;
// a temporary-files folder GBK cannot name; a "%" a batch file would expand.
enum class Refusal { kNone, kUnsafe, kForeign, kNotMade, kUnusableName, kPercent };

// Judges the folder at `path`: kNone when it is private, or missing and
// `must_exist` is false; otherwise the refusal, `refused` naming the entry at
// fault (the folder itself when the platform names none).
Refusal Judge(Text path, OwnedText& refused, bool must_exist) {
  OwnedText culprit;
  int status = FolderStatus(path, &culprit);
  if (status == platform::kFolderPrivate || (status == platform::kFolderMissing && !must_exist))
    return Refusal::kNone;
  if (culprit.get() == nullptr) culprit.Reset(ConcatTexts({path}));
  refused.Reset(culprit.Take());
  return status == platform::kFolderForeign ? Refusal::kForeign : Refusal::kUnsafe;
}

// Makes this run's profile folder, fresh: below `base`, in the tool's folder
// of the user's own, named by `stamp` or, when that name is taken (two runs
// in one second, a clock set back), by the next millisecond's. `folder`
// receives the folder made, or the entry that is refused. The shared parent
// is judged before anything is made in it, and both again once the folder
// is made. A file at the name, or a path too long for the system, leaves the
// folder not made.
Refusal MakeProfileFolder(Text base, Text stamp, OwnedText& folder) {
  OwnedText parent(ConcatTexts({base, kFolderName, platform::Os().UserFolderSuffix()}));
  OwnedText name(ConcatTexts({stamp}));
  folder.Reset(ConcatTexts({parent.get(), platform::kPathSeparator, name.get()}));
  if (base == nullptr) return Refusal::kNotMade;
  if (!NamesTempFolder(base)) {
    folder.Reset(ConcatTexts({base}));
    return Refusal::kUnusableName;
  }
  if (Refusal refusal = Judge(parent.get(), folder, false); refusal != Refusal::kNone)
    return refusal;
  CreateDirectoryPath(parent.get());
  for (int32_t tries = 1; !MakeDirectory(folder.get()); ++tries) {
    if (tries == kNamesToTry || !DirectoryExists(folder.get())) {
      Refusal refusal = Judge(parent.get(), folder, false);
      return refusal != Refusal::kNone ? refusal : Refusal::kNotMade;
    }
    name.Reset(NextTimestamp(name.get()));
    folder.Reset(ConcatTexts({parent.get(), platform::kPathSeparator, name.get()}));
  }
  if (Refusal refusal = Judge(parent.get(), folder, true); refusal != Refusal::kNone)
    return refusal;
  return Judge(folder.get(), folder, true);
}

// The refusal to show when another account owns `path` or a link on the way
// to it; null when the user or root owns them all.
Text ForeignFileRefusal(Text path) {
  const platform::Api& os = platform::Os();
  OwnedText owned;
  char* found = nullptr;
  platform::DWORD size = 0;
  for (;;) {  // the size needed may change between calls: the files are not ours
    platform::DWORD n = os.GetForeignOwner(TextOrEmpty(path), found, size);
    if (n == 0) return nullptr;
    if (n <= size) break;
    found = static_cast<char*>(AllocZeroed(n + 2));  // its NULs, whatever it writes
    owned.Reset(found);
    size = n;
  }
  return ForeignFileMessage(found, found + std::strlen(found) + 1);
}

// Only the user or root decides what runs: the refusal when path.txt, the
// browser it names (or the default one), or a link on the way to either
// belongs to another account; null otherwise.
Text ForeignFilesRefusal(Text path_file, Text browser_path) {
  Text refusal = ForeignFileRefusal(path_file);
  return refusal != nullptr ? refusal : ForeignFileRefusal(browser_path);
}

// The browser path as started: without the one pair of double quotes that
// may wrap it, and absolute, so that the file started is the file checked
// (a program is otherwise searched for in other folders first). Null when
// it is empty or a command line cannot carry it.
Text BrowserToStart(Text path) {
  const platform::Api& os = platform::Os();
  OwnedText unquoted(ConcatTexts({path}));
  uint32_t length = TextLength(path);
  if (length >= 2 && path[0] == '"' && path[length - 1] == '"')
    unquoted.Reset(TextFromBuffer(path + 1, static_cast<int32_t>(length - 2)));
  if (unquoted.get() == nullptr || std::strchr(unquoted.get(), '"') != nullptr) return nullptr;
  if (os.PathIsRelativeA(unquoted.get()) == 0) return unquoted.Take();
  platform::DWORD size = os.GetFullPathNameA(unquoted.get(), 0, nullptr, nullptr);
  if (size == 0 || size > 0x7FFFFFFF) return nullptr;
  auto* buffer = static_cast<char*>(AllocZeroed(size));
  OwnedText full(buffer);
  platform::DWORD n = os.GetFullPathNameA(unquoted.get(), size, buffer, nullptr);
  if (n == 0 || n >= size) return nullptr;
  return TextFromBuffer(buffer, static_cast<int32_t>(n));
}

// Whether the command interpreter runs `browser`, a batch file, and so would
// expand a % in the `folder` handed to it. Windows ignores dots and blanks
// that end a file name.
bool ExpandsPercent(Text browser, Text folder) {
  if (!platform::kRunsBatchFiles || std::strchr(TextOrEmpty(folder), '%') == nullptr) return false;
  std::string name = TextOrEmpty(browser);
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  std::string extension = name.substr(name.size() < 4 ? 0 : name.size() - 4);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".bat" || extension == ".cmd";
}

Text RefusalMessage(Refusal refusal, Text folder) {
  switch (refusal) {
    case Refusal::kUnsafe:
    case Refusal::kForeign:
      return UnsafeFolderMessage(folder, refusal == Refusal::kForeign);
    case Refusal::kUnusableName:
      return ConcatTexts(
          {kTempNameHead, folder, kTempNameTail, platform::kTempFolderVariable, kTempNameEnd});
    case Refusal::kPercent:
      return ConcatTexts({kPercentHead, folder, kPercentTail});
    default:
      return FolderNotMadeMessage(folder);
  }
}

// The argument quoted so that the Microsoft C runtime's splitting gives it back
// whole: backslashes before a quote are doubled, quotes escaped.
std::string Quoted(const char* argument) {
  std::string out = "\"";
  size_t backslashes = 0;
  for (const char* p = argument; *p != 0; ++p) {
    if (*p == '\\') {
      ++backslashes;
      continue;
    }
    if (*p == '"') backslashes = backslashes * 2 + 1;
    out.append(backslashes, '\\');
    backslashes = 0;
    out.push_back(*p);
  }
  out.append(backslashes * 2, '\\');
  out.push_back('"');
  return out;
}

}  // namespace

Text NotFoundMessage() {
  return ConcatTexts({kNotFoundHead, platform::kDefaultBrowserPath, kNotFoundTail});
}

Text UnsafeFolderMessage(Text folder, bool foreign) {
  return ConcatTexts({kUnsafeFolderHead, folder, foreign ? kUnsafeForeignTail : kUnsafeFolderTail});
}

Text ForeignFileMessage(Text file, Text account) {
  return ConcatTexts({kForeignFileHead, file, kForeignFileMiddle, account, kForeignFileTail});
}

Text FolderNotMadeMessage(Text folder) {
  return ConcatTexts({kFolderNotMadeHead, folder, kFolderNotMadeTail});
}

Text UnusableNameMessage(Text path) {
  return ConcatTexts({kUnusableNameHead, path, kUnusableNameTail});
}

Text BrowserCommandLine(Text browser_path, Text profile_folder) {
  Text folder = TextOrEmpty(profile_folder);
  // Blanks split the argument; the rest would split it where the command
  // interpreter runs the browser (a batch-file wrapper on Windows).
  if (std::strpbrk(folder, " \t\"&|<>^()") == nullptr)
    return ConcatTexts({kOpeningQuote, browser_path, kOptionText, folder});
  std::string quoted = Quoted(folder);
  return ConcatTexts({kOpeningQuote, browser_path, kOptionText, quoted.c_str()});
}

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
    attribute = kBackgroundAttributes[colour - 1] + 128.0;
  } else {
    attribute = colour + 8.0;
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
    int32_t count = CallLibrary(ToInteger, {TextSlot(TextOrEmpty(line.get()))});
    // A number too large for the count is not the one typed: it wrapped.
    OwnedText half(CallLibrary(ToHalfWidth, {TextSlot(TextOrEmpty(line.get()))}));
    bool exact = false;
    ReadDecimal(TextOrEmpty(half.get()), &exact);
    if (!exact) count = 0;
    half.Reset();
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
