#include "runtime/core/decimal.h"

int32_t ReadDecimal(const char* text, bool* exact) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  uint32_t value = 0;
  uint64_t whole = 0;  // stops growing once past every 32-bit value
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10u + (*p - '0');
    if (whole <= UINT32_MAX) whole = whole * 10 + (*p - '0');
  }
  if (exact != nullptr) *exact = whole <= (negative ? uint64_t{1} << 31 : INT32_MAX);
  return static_cast<int32_t>(negative ? 0u - value : value);
}
