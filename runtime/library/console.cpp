#include "runtime/library/console.h"

#include <algorithm>
#include <cstring>

#include "platform/platform.h"
#include "runtime/library/conversions.h"
#include "runtime/library/datetime.h"

namespace {

constexpr uint32_t kWriteChunk = 1024;
constexpr int32_t kLineBuffer = 2048;
constexpr int kKeyEnter = 13;
constexpr int kKeyFailed = -1;

// Writes in chunks of at most 1024 bytes. A write that fails or makes no
// progress ends this value: retrying could loop for ever.
void WriteBytes(const platform::Api& os, platform::HANDLE out, const char* bytes, uint32_t n) {
  while (n > 0) {
    platform::DWORD chunk = std::min(n, kWriteChunk);
    platform::DWORD written = 0;
    if (os.WriteFile(out, bytes, chunk, &written, nullptr) == 0 || written == 0) return;
    written = std::min(written, chunk);  // no further than this chunk, whatever was claimed
    bytes += written;
    n -= written;
  }
}

void WriteValue(const platform::Api& os, platform::HANDLE out, const ArgSlot& value) {
  if (value.tag == TAG_TEXT) {
    auto text = static_cast<Text>(SlotPointer(value));
    WriteBytes(os, out, text, TextLength(text));
    return;
  }
  if ((value.tag & TAG_ARRAY) != 0 || value.tag == TAG_BYTES) return;  // nothing to print
  if (value.tag == TAG_DATETIME) {
    OwnedText text(DateTimeToText(SlotDouble(value), false));
    WriteBytes(os, out, text.get(), TextLength(text.get()));
    return;
  }
  char buffer[kWorkBufferSize];
  int32_t n = FormatValue(value, buffer);
  if (n > 0) WriteBytes(os, out, buffer, static_cast<uint32_t>(n));
}

// The cut of a line read with echo: the bytes before the first NUL, CR or LF.
int32_t LineLength(const char* buffer, int32_t n) {
  for (int32_t i = 0; i < n; ++i)
    if (buffer[i] == 0 || buffer[i] == '\r' || buffer[i] == '\n') return i;
  return n;
}

}  // namespace

void ConsoleWrite(int32_t count, const ArgSlot* args) {
  const platform::Api& os = platform::Os();
  const ArgSlot& direction = SlotAt(count, args, 0);
  bool to_error = SlotGiven(direction) && SlotInt(direction) == 2;
  platform::HANDLE out =
      os.GetStdHandle(to_error ? platform::STD_ERROR_HANDLE : platform::STD_OUTPUT_HANDLE);
  if (out == nullptr) return;
  for (int32_t i = 1; i < count; ++i) WriteValue(os, out, args[i]);
}

// An empty line comes back as the empty text, like a line whose characters
// were all cut away. A failed key read (no console) ends the unechoed read
// with what was typed so far.
Text ConsoleRead(int32_t count, const ArgSlot* args) {
  const platform::Api& os = platform::Os();
  char buffer[kLineBuffer];
  const ArgSlot& echo_slot = SlotAt(count, args, 0);
  bool echo = !SlotGiven(echo_slot) || echo_slot.low != 0;
  if (echo) {
    platform::HANDLE in = os.GetStdHandle(platform::STD_INPUT_HANDLE);
    if (in == nullptr) return nullptr;
    platform::DWORD read = 0;
    if (os.ReadConsoleA(in, buffer, kLineBuffer, &read, nullptr) == 0) return nullptr;
    int32_t n = read < kLineBuffer ? static_cast<int32_t>(read) : kLineBuffer;
    return TextFromBuffer(buffer, LineLength(buffer, n));
  }
  int32_t n = 0;
  while (n < kLineBuffer) {
    int key = os._getch();
    if (key == kKeyEnter || key == kKeyFailed) break;
    buffer[n++] = static_cast<char>(key);
  }
  return TextFromBuffer(buffer, n);
}
