#include "runtime/library/conversions.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/gbk.h"
#include "platform/platform.h"
#include "runtime/core/decimal.h"
#include "runtime/core/memory.h"
#include "runtime/library/datetime.h"

namespace {

// The Chinese words for true and false.
constexpr char kTrueText[] = "\xD5\xE6";
constexpr char kFalseText[] = "\xBC\xD9";

// Fixed-point texts of this magnitude and beyond no longer fit the work buffer.
constexpr double kFixedPointLimit = 1e251;
// Doubles from here on have no 64-bit integer part.
constexpr double kTwoTo63 = 9223372036854775808.0;

// The text a TAG_TEXT slot refers to; null for any other slot.
Text SlotText(const ArgSlot& slot) {
  return slot.tag == TAG_TEXT ? static_cast<Text>(SlotPointer(slot)) : nullptr;
}

float SlotFloat(const ArgSlot& slot) {
  float value;
  std::memcpy(&value, &slot.low, sizeof value);
  return value;
}

int32_t CopyOut(char (&buffer)[kWorkBufferSize], const char* text) {
  size_t n = std::strlen(text);
  std::memcpy(buffer, text, n + 1);
  return static_cast<int32_t>(n);
}

// Fixed point with six decimals, then TrimFraction. Magnitudes whose fixed
// text would not fit are written in exponent form with the mantissa trimmed
// the same way (1e+251); NaN is "nan", the infinities "inf" and "-inf".
int32_t FormatDouble(double value, char (&buffer)[kWorkBufferSize]) {
  if (std::isnan(value)) return CopyOut(buffer, "nan");
  if (std::isinf(value)) return CopyOut(buffer, std::signbit(value) ? "-inf" : "inf");
  if (std::fabs(value) < kFixedPointLimit) {
    std::snprintf(buffer, sizeof buffer, "%f", value);
    TrimFraction(buffer);
    return static_cast<int32_t>(std::strlen(buffer));
  }
  char mantissa[kWorkBufferSize];
  std::snprintf(mantissa, sizeof mantissa, "%e", value);
  char* exponent = std::strchr(mantissa, 'e');
  char exponent_text[16] = "";
  if (exponent != nullptr) {
    std::snprintf(exponent_text, sizeof exponent_text, "%s", exponent);
    *exponent = 0;
  }
  TrimFraction(mantissa);
  int n = std::snprintf(buffer, sizeof buffer, "%s%s", mantissa, exponent_text);
  return n < 0 ? 0 : static_cast<int32_t>(std::strlen(buffer));
}

// Bytes of the blank at `at`: 1 for a space, 2 for the full-width space, 0 for anything else.
size_t BlankLength(const unsigned char* at) {
  if (at[0] == 0x20) return 1;
  return at[0] == 0xA1 && at[1] == 0xA1 ? 2 : 0;
}

// Whether the n bytes of find stand at `at`. Find texts are a character or
// two, where a library call per position costs more than the comparison.
bool MatchesAt(const char* at, const char* find, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (at[i] != find[i]) return false;
  return true;
}

// Output buffer of ReplaceAll: heap memory taken directly, grown to the size
// needed plus 128 bytes whenever an append does not fit.
class GrowableBuffer {
 public:
  GrowableBuffer() = default;
  GrowableBuffer(const GrowableBuffer&) = delete;
  GrowableBuffer& operator=(const GrowableBuffer&) = delete;
  ~GrowableBuffer() {
    if (data_ != nullptr) platform::Os().HeapFree(platform::Os().GetProcessHeap(), 0, data_);
  }

  // False when the heap refused to grow the buffer; it is left as it was.
  bool Append(const char* bytes, size_t n) {
    if (n == 0) return true;
    if (n > capacity_ - used_) {
      const platform::Api& os = platform::Os();
      size_t needed = used_ + n + 128;
      auto* grown = static_cast<char*>(os.HeapAlloc(os.GetProcessHeap(), 0, needed));
      if (grown == nullptr) return false;
      if (used_ > 0) std::memcpy(grown, data_, used_);
      if (data_ != nullptr) os.HeapFree(os.GetProcessHeap(), 0, data_);
      data_ = grown;
      capacity_ = needed;
    }
    std::memcpy(data_ + used_, bytes, n);
    used_ += n;
    return true;
  }

  const char* data() const { return data_; }
  size_t size() const { return used_; }

 private:
  char* data_ = nullptr;
  size_t used_ = 0;
  size_t capacity_ = 0;
};

}  // namespace

void TrimFraction(char* number) {
  // Only the fraction is trimmed: a text without a point keeps its zeros.
  if (std::strchr(number, '.') == nullptr) return;
  size_t i = std::strlen(number) - 1;
  if (number[i] == '.') {
    number[i] = 0;
    return;
  }
  while (i > 0 && number[i] == '0') --i;
  if (number[i] == '0') return;  // zeros up to the first character
  if (number[i] == '.') {
    number[i] = 0;
  } else {
    number[i + 1] = 0;
  }
}

int32_t FormatValue(const ArgSlot& slot, char (&buffer)[kWorkBufferSize]) {
  switch (slot.tag) {
    case TAG_BOOL:
      return CopyOut(buffer, slot.low != 0 ? kTrueText : kFalseText);
    case TAG_BYTE:
    case TAG_SHORT:
    case TAG_INT:
    case TAG_SUBPTR:
      return std::snprintf(buffer, sizeof buffer, "%d", SlotInt(slot));
    case TAG_INT64:
      return std::snprintf(buffer, sizeof buffer, "%" PRId64, static_cast<int64_t>(SlotBits(slot)));
    case TAG_FLOAT:
      return FormatDouble(static_cast<double>(SlotFloat(slot)), buffer);
    case TAG_DOUBLE:
      return FormatDouble(SlotDouble(slot), buffer);
    default:
      return -1;
  }
}

Text BytesToText(const void* block, int32_t element_size) {
  if (block == nullptr) return nullptr;
  int64_t n = ElementCount(block);
  if (n == 0) return nullptr;
  // The byte count is taken as a signed 32-bit number, as the block's sizes are.
  auto total = static_cast<int32_t>(
      static_cast<uint32_t>(static_cast<uint64_t>(n) * static_cast<uint64_t>(element_size)));
  if (total <= 0) return nullptr;
  const uint8_t* data = ArrayElements(block);
  const void* nul = std::memchr(data, 0, static_cast<size_t>(total));
  int32_t length =
      nul != nullptr ? static_cast<int32_t>(static_cast<const uint8_t*>(nul) - data) : total;
  return TextFromBuffer(data, length);
}

bool ReplaceAll(Text* text, Text find, Text replacement, bool release_old) {
  if (text == nullptr || *text == nullptr || find == nullptr || *find == 0) return false;
  const char* source = *text;
  const size_t length = std::strlen(source);
  const size_t find_length = std::strlen(find);
  const size_t replacement_length = TextLength(replacement);

  GrowableBuffer out;
  size_t matched_up_to = 0;  // end of the last match
  bool any = false;
  for (size_t at = 0; at < length;) {
    if (length - at >= find_length && MatchesAt(source + at, find, find_length)) {
      // A heap that will not grow the buffer leaves the text as it was.
      if (!out.Append(source + matched_up_to, at - matched_up_to) ||
          !out.Append(replacement, replacement_length))
        return false;
      any = true;
      at += find_length;
      matched_up_to = at;
    } else {
      at += platform::gbk::IsLeadByte(static_cast<unsigned char>(source[at])) ? 2 : 1;
    }
  }
  if (!any) return false;
  if (!out.Append(source + matched_up_to, length - matched_up_to)) return false;

  Text result = TextFromBuffer(out.data(), static_cast<int32_t>(out.size()));
  if (release_old) FreeBlock(source);
  *text = result;
  return true;
}

Text ToText(int32_t count, const ArgSlot* args) {
  const ArgSlot& value = SlotAt(count, args, 0);
  const void* pointer = SlotPointer(value);
  if ((value.tag & TAG_ARRAY) != 0 && IsBasicTag(value.tag)) {
    switch (value.tag & ~TAG_ARRAY) {
      case TAG_BYTE:
        return BytesToText(pointer, 1);
      case TAG_SHORT:
        return BytesToText(pointer, 2);
      case TAG_INT:
      case TAG_SUBPTR:
        return BytesToText(pointer, 4);
      case TAG_INT64:
        return BytesToText(pointer, 8);
      default:
        return nullptr;
    }
  }
  ArgSlot narrowed = value;
  switch (value.tag) {
    case TAG_TEXT:
      return pointer != nullptr
                 ? TextFromBuffer(pointer,
                                  static_cast<int32_t>(TextLength(static_cast<Text>(pointer))))
                 : nullptr;
    case TAG_BYTES:
      return BytesToText(pointer, 1);
    case TAG_DATETIME:
      return DateTimeToText(SlotDouble(value), false);
    case TAG_BYTE:
      narrowed.low &= 0xFF;
      break;
    case TAG_SHORT:
      narrowed.low = static_cast<uint32_t>(int32_t{static_cast<int16_t>(value.low & 0xFFFF)});
      break;
    default:
      break;
  }
  char buffer[kWorkBufferSize];
  int32_t n = FormatValue(narrowed, buffer);
  return n > 0 ? TextFromBuffer(buffer, n) : nullptr;
}

Text TrimBlanks(int32_t count, const ArgSlot* args) {
  const auto* t = reinterpret_cast<const unsigned char*>(SlotText(SlotAt(count, args, 0)));
  if (t == nullptr) return nullptr;
  size_t first = 0;
  for (size_t blank; (blank = BlankLength(t + first)) > 0;) first += blank;
  if (t[first] == 0) return nullptr;

  size_t last = first;  // last byte of the last character that is not blank
  for (size_t i = first; t[i] != 0;) {
    if (size_t blank = BlankLength(t + i); blank > 0) {
      i += blank;
    } else if (platform::gbk::CharLength(t + i, 2) == 2) {  // NUL-terminated: two are there
      last = i + 1;
      i += 2;
    } else {
      // A single-byte character, or a lead byte cut off by the end (kept).
      last = i;
      i += 1;
    }
  }
  return TextFromBuffer(t + first, static_cast<int32_t>(last - first + 1));
}

Text ToHalfWidth(int32_t count, const ArgSlot* args) {
  Text source = SlotText(SlotAt(count, args, 0));
  if (TextLength(source) == 0) return nullptr;

  // The solidus and the reverse solidus first, then the mapping of the rest.
  Text work = source;
  bool own_work = ReplaceAll(&work, "\xA3\xAF", "/", false);
  own_work = ReplaceAll(&work, "\xA3\xDC", "\\", own_work) || own_work;
  OwnedText release_work(own_work ? work : nullptr);

  uint32_t length = TextLength(work);
  if (length >= INT32_MAX) return nullptr;
  char* mapped = static_cast<char*>(AllocZeroed(length + 1));
  platform::Os().LCMapStringA(platform::kLocaleChinesePrc, platform::LCMAP_HALFWIDTH, work,
                              static_cast<int>(length), mapped, static_cast<int>(length));
  // The half-width form is never longer than the text; the buffer's NUL ends it.
  Text result = TextFromBuffer(mapped, static_cast<int32_t>(strnlen(mapped, length)));
  FreeBlock(mapped);
  return result;
}

int32_t ToInteger(int32_t count, const ArgSlot* args) {
  const ArgSlot& value = SlotAt(count, args, 0);
  switch (value.tag) {
    case TAG_TEXT: {
      OwnedText half(ToHalfWidth(1, &value));
      return half.get() != nullptr ? ReadDecimal(half.get()) : 0;
    }
    case TAG_BYTE:
      return static_cast<int32_t>(value.low & 0xFF);
    case TAG_SHORT:
      return static_cast<int16_t>(value.low & 0xFFFF);
    case TAG_INT:
    case TAG_BOOL:
    case TAG_SUBPTR:
    case TAG_INT64:
      return static_cast<int32_t>(value.low);
    case TAG_FLOAT:
    case TAG_DOUBLE: {
      double number = value.tag == TAG_FLOAT ? SlotFloat(value) : SlotDouble(value);
      if (!(std::fabs(number) < kTwoTo63)) return 0;  // NaN, infinite or too large
      return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(number)));
    }
    default:
      return 0;
  }
}
