// The console: a file as its stream.
#include <fstream>

#include "testing/conformance.h"

TEST(Console, FilesTakeTheBytesButNoColoursAndNoLineInput) {
  const ScratchFolder folder;
  std::ofstream(folder.path / "out").close();
  HANDLE file = Open(folder / "out", GENERIC_WRITE);
  DWORD done = 9, unwritten = 9, unread = 9;
  for (const std::string bytes : {"\xD6\xD0", "x"}) {
    EXPECT_TRUE(os.WriteFile(file, bytes.data(), DWORD(bytes.size()), &done, nullptr));
    EXPECT_EQ(done, bytes.size());
  }
  EXPECT_FALSE(os.WriteFile(nullptr, "x", 1, &unwritten, nullptr));  // no stream
  EXPECT_EQ(unwritten, 0u);
  EXPECT_FALSE(os.SetConsoleTextAttribute(file, 10));
  EXPECT_FALSE(os.ReadConsoleA(file, &done, 4, &unread, nullptr));
  EXPECT_EQ(unread, 0u);
  EXPECT_TRUE(os.CloseHandle(file));
  std::ifstream written(folder.path / "out", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), "\xD6\xD0x");
  EXPECT_NE(os.GetStdHandle(STD_INPUT_HANDLE), os.GetStdHandle(STD_OUTPUT_HANDLE));
}
