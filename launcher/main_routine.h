// The launcher's entry and main routines, and its two small helpers.
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/core/text.h"

// Runs the main routine once and ends the run through RuntimeExit with code 0.
[[noreturn]] void LauncherEntry();

// The tool's interactive flow; 0 after the launch loop, 1 after the
// browser-not-found message.
int32_t MainRoutine();

// Sets the console's text colour: colour n as bright text on black, or with
// `background` one of four bright backgrounds (1 to 4) under black text.
bool SetConsoleColour(int32_t colour, std::optional<bool> background = {});

// Whether a file or folder exists at `path`.
bool FileExists(Text path);

// Fixed texts of the run, exposed for tests.
extern const char kBanner[];
Text NotFoundMessage();  // names the platform's default browser path
extern const char kCountPrompt[];

// The message shown instead of starting the browser when `folder` is a link or
// a folder another user controls; `foreign` when another account owns it, so
// that the user cannot remove it and is told to use another TMPDIR.
Text UnsafeFolderMessage(Text folder, bool foreign = false);
// The message shown instead of starting the browser when `file`, on the way
// to the browser program, belongs to another `account`.
Text ForeignFileMessage(Text file, Text account);
// The message shown instead of starting the browser when no fresh `folder`
// could be made.
Text FolderNotMadeMessage(Text folder);
// The message shown instead of the browser-not-found message when GBK cannot
// name the browser's `path` from path.txt.
Text UnusableNameMessage(Text path);

// The command line of one browser start. The folder is quoted (by the
// Microsoft C runtime's rules) only when it holds a blank, a double quote or
// a character the command interpreter acts on (& | < > ^ ( )).
Text BrowserCommandLine(Text browser_path, Text profile_folder);
