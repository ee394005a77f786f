// The launcher's texts, as GBK bytes: the banner, the count prompt and every
// message shown in red in place of a browser start.
#pragma once

#include "launcher/profile_folder.h"
#include "runtime/core/text.h"

extern const char kBanner[];
extern const char kCountPrompt[];

// The browser program was not found: names the platform's default browser path.
Text NotFoundMessage();

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

// The message of a `refusal` (not Refusal::kNone) to use `folder`.
Text RefusalMessage(Refusal refusal, Text folder);
