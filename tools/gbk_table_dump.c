/* Wine's own code page 936, as tools/gbk-table reads it: every single byte,
   every lead byte with every byte after it, and every UTF-16 unit, converted
   by MultiByteToWideChar and WideCharToMultiByte. One line each:
     b XX: UUUU...       a single byte (0x80 to 0xFF; ASCII is checked too)
     p XXYY: UUUU...     a lead byte and the byte after it
     w UUUU: XX... D     a UTF-16 unit with flags 0, then D = 1 where the
                         default character was used
     n UUUU: XX... D     the same with WC_NO_BEST_FIT_CHARS
   Built with mingw-w64 and run under Wine by tools/gbk-table. */
#include <stdio.h>
#include <windows.h>

static void Units(const char* bytes, int count) {
  WCHAR wide[8];
  int n = MultiByteToWideChar(936, 0, bytes, count, wide, 8);
  for (int i = 0; i < n; ++i) printf(" %04X", wide[i]);
  printf("\n");
}

static void Bytes(char kind, WCHAR unit, DWORD flags) {
  char bytes[8];
  BOOL used = FALSE;
  int n = WideCharToMultiByte(936, flags, &unit, 1, bytes, 8, NULL, &used);
  printf("%c %04X:", kind, unit);
  for (int i = 0; i < n; ++i) printf(" %02X", (unsigned char)bytes[i]);
  printf(" %d\n", used ? 1 : 0);
}

int main(void) {
  static char buffer[1 << 20];
  setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
  for (int b = 0; b < 256; ++b) {
    char one = (char)b;
    printf("b %02X:", b);
    Units(&one, 1);
  }
  for (int lead = 0x81; lead < 0xFF; ++lead) {
    for (int next = 0; next < 256; ++next) {
      char two[2] = {(char)lead, (char)next};
      printf("p %02X%02X:", lead, next);
      Units(two, 2);
    }
  }
  for (int unit = 0; unit < 0x10000; ++unit) {
    Bytes('w', (WCHAR)unit, 0);
    Bytes('n', (WCHAR)unit, WC_NO_BEST_FIT_CHARS);
  }
  return fflush(stdout) == 0 ? 0 : 1;
}
