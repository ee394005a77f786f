// The browser path held in path.txt, read as editors save it.
#pragma once

#include "runtime/core/text.h"

// The path the file `name` holds, as GBK text without the blanks, tabs and
// line breaks around it; null when nothing is left. After a byte-order mark
// the file is read as UTF-8 or UTF-16 (either byte order); without one, as
// UTF-8 when it is valid UTF-8 and not plain ASCII, otherwise as GBK, up to
// its first NUL. When both of these readings are possible and only the GBK
// one names an existing file, that one is taken. `unusable` tells that GBK
// cannot name the path: it holds characters GBK lacks and has no short name,
// or it is relative and GBK cannot name the working folder.
Text ReadPathFile(Text name, bool* unusable);
