// Reading decimal numbers from text. Like every runtime header, it keeps all
// the operations the runtime defines, whether this program calls them or not.
// The launcher reads the count typed with ReadDecimal; ToInteger and the
// binder's ordinals use it too.
#pragma once

#include <cstdint>

// Reads a decimal number as atol does: blanks, one sign, then digits up to
// the first other byte, wrapping around at 32 bits. *exact, when given, tells
// whether the number written fits a signed 32-bit integer as it stands.
int32_t ReadDecimal(const char* text, bool* exact = nullptr);
