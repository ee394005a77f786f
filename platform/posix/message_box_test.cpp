#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/posix/posix_backend.h"
#include "platform/posix/terminal_text.h"

namespace {

// Runs `body` with standard error sent to a temporary file; returns what it wrote.
template <typename Body>
std::string CaptureStandardError(Body body) {
  std::FILE* file = std::tmpfile();
  int saved = dup(STDERR_FILENO);
  dup2(fileno(file), STDERR_FILENO);
  body();
  dup2(saved, STDERR_FILENO);
  close(saved);
  std::string out;
  std::rewind(file);
  for (int c; (c = std::fgetc(file)) != EOF;) out.push_back(static_cast<char>(c));
  std::fclose(file);
  return out;
}

TEST(MessageBox, WritesCaptionAndTextToStandardErrorAndReturnsAtOnce) {
  int result = 0;
  std::string written = CaptureStandardError([&] {
    result = platform::posix::MessageBoxA(nullptr, "\xC4\xDA\xB4\xE6\xB2\xBB\xD7\xE3", "error",
                                          platform::MB_ICONERROR);
  });
  EXPECT_EQ(result, platform::IDOK);
  // Not a terminal: the GBK bytes go out as they are.
  EXPECT_EQ(written, "error: \xC4\xDA\xB4\xE6\xB2\xBB\xD7\xE3\n");
}

TEST(TerminalText, SplitDoubleByteCharacterIsKeptWhole) {
  if (std::string(platform::posix::TerminalCodeset()) != "UTF-8") GTEST_SKIP();
  platform::posix::GbkToTerminal converter;
  // 中 (D6 D0) cut between two writes.
  std::string out = converter.Convert("a\xD6", 2);
  out += converter.Convert("\xD0z", 2);
  out += converter.Flush();
  EXPECT_EQ(out,
            "a\xE4\xB8\xAD"
            "z");
  EXPECT_EQ(platform::posix::TerminalToGbk("\xE4\xB8\xAD\xE0\xB8\x81", 6), "\xD6\xD0?");
}

}  // namespace
