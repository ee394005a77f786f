// Uniform reports of runtime errors: a numbered message box, then the end of
// the run. Like every runtime header, it keeps all the operations the runtime
// defines, whether this program calls them or not. The launcher and the
// library operations call ReportRuntimeError, which alone uses
// RuntimeErrorDescription and FormatRuntimeError; nothing in this program
// calls SetRuntimeErrorHook.
#pragma once

#include <cstdint>

// The codes raised outside the runtime's core: a value of the wrong type, a
// choice out of range.
inline constexpr int32_t kErrorTypeMismatch = 5;
inline constexpr int32_t kErrorChoiceIndex = 9;

// Called with the error code and the formatted report; returns non-zero when
// it dealt with the report (no message box is shown then).
using RuntimeErrorHook = int (*)(int32_t code, const char* report);

// Installs the report hook; none is installed by the program itself.
void SetRuntimeErrorHook(RuntimeErrorHook hook);

// Description of error codes 1 to 11; null for any other code.
const char* RuntimeErrorDescription(int32_t code);

// Formats the report into `buffer` (256 bytes) and returns it.
const char* FormatRuntimeError(char (&buffer)[256], int32_t code, int32_t routine,
                               int32_t position);

// Shows the report for `code` raised in `routine` at statement `position`
// (0, 0 from library operations) and ends the run with exit code 0.
[[noreturn]] void ReportRuntimeError(int32_t code, int32_t routine, int32_t position);
