// Routine identifiers and statement positions of the launcher's checks, as
// runtime error reports name them. They are fixed numbers, not derived from
// anything in this source: each routine kept the identifier (high half 0x0401)
// its reports have always carried, so that a report reads the same in every
// build. Those of the general conversions live with them in
// runtime/library/wide_text.cpp.
#pragma once

#include <cstdint>

inline constexpr int32_t kRoutineMainRoutine = 0x04010002;
inline constexpr int32_t kRoutineSetConsoleColour = 0x04012D28;
inline constexpr int32_t kRoutineFileExists = 0x040133F4;
inline constexpr int32_t kRoutineMakeTimestamp = 0x040135F1;
inline constexpr int32_t kRoutineDirectoryExists = 0x04013A0D;
inline constexpr int32_t kRoutineCreateDirectoryPath = 0x04013A46;

// Position of the check that can fail in this build. Platform calls are made
// through typed declarations, so the call-balance check (error 6) can never
// detect an imbalance and is not made.
inline constexpr int32_t kPositionBackgroundColour = 396;
