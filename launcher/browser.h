// Which browser program is started, and how: the path as started, who may
// decide it, and its command line.
#pragma once

#include "runtime/core/text.h"

// The browser path as started: without the one pair of double quotes that
// may wrap it, and absolute, so that the file started is the file checked
// (a program is otherwise searched for in other folders first). Null when
// it is empty or a command line cannot carry it.
Text BrowserToStart(Text path);

// Only the user or root decides what runs: the refusal when path.txt, the
// browser it names (or the default one), or a link on the way to either
// belongs to another account; null otherwise.
Text ForeignFilesRefusal(Text path_file, Text browser_path);

// Whether `browser` names a batch file as Windows reads the name: it ends in
// .bat or .cmd in any case, once the dots and blanks that end it are dropped.
bool IsBatchFile(Text browser);

// Whether the command interpreter runs `browser`, a batch file, and so would
// expand a % in the `folder` handed to it.
bool ExpandsPercent(Text browser, Text folder);

// The command line of one browser start. The folder is quoted (by the
// Microsoft C runtime's rules) only when it holds a blank, a double quote or
// a character the command interpreter acts on (& | < > ^ ( )).
Text BrowserCommandLine(Text browser_path, Text profile_folder);
