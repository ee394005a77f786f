// Files as the program opens and names them.
#include <fstream>

#include "testing/conformance.h"

// The bytes one ReadFile gives, or that it failed and how many it said it read.
static std::string Read(HANDLE file, DWORD count) {
  char buffer[16];
  DWORD read = 9;
  return os.ReadFile(file, buffer, count, &read, nullptr) ? std::string(buffer, read)
                                                          : "failed, read " + std::to_string(read);
}

TEST(Files, ExistingFilesOpenByTheirGbkNamesAndReadToTheEnd) {
  const ScratchFolder folder;
  const std::string dir = folder / "dir", none = folder / "none", gbk = folder / "\xD6\xD0";
  std::filesystem::create_directory(dir);
  std::ofstream(folder.path / u"\u4E2D", std::ios::binary) << "\xD6\xD0\r\nz";
  for (const std::string& name : {dir, none}) EXPECT_EQ(Open(name), kInvalidHandle) << name;
  EXPECT_TRUE(os.PathFileExistsA(dir.c_str()));
  EXPECT_FALSE(os.PathFileExistsA(none.c_str()));
  EXPECT_EQ(os.GetForeignOwner(dir.c_str(), nullptr, 0), 0u);  // the user's own
  HANDLE file = Open(gbk);
  DWORD high = 7;
  EXPECT_EQ(os.GetFileSize(file, &high), 5u);
  EXPECT_EQ(high, 0u);
  EXPECT_EQ(Read(file, 3), "\xD6\xD0\r");
  EXPECT_EQ(Read(file, 9), "\nz");  // to the end
  EXPECT_EQ(Read(file, 9), "");     // at the end
  EXPECT_TRUE(os.CloseHandle(file));
  EXPECT_FALSE(os.CloseHandle(file));  // closed already
  file = Open(gbk, GENERIC_WRITE);     // a handle that cannot read
  EXPECT_EQ(Read(file, 3), "failed, read 0");
  EXPECT_TRUE(os.CloseHandle(file));
}

TEST(Files, RelativePathsAreTakenAgainstTheWorkingFolder) {
  const std::string sep = kPathSeparator, path = "n";  // one character
  const std::string full = std::filesystem::current_path().string() + sep + path;
  const DWORD size = DWORD(full.size());
  char got[1024], *name = nullptr;
  EXPECT_TRUE(os.PathIsRelativeA(path.c_str()));
  EXPECT_FALSE(os.PathIsRelativeA((sep + "zv").c_str()));
  EXPECT_EQ(os.GetFullPathNameA(path.c_str(), 0, nullptr, nullptr), size + 1);  // NUL counted
  EXPECT_EQ(os.GetFullPathNameA(path.c_str(), size, got, &name), size + 1);
  EXPECT_EQ(os.GetFullPathNameA(path.c_str(), size + 1, got, &name), size);
  EXPECT_EQ(got, full);
  EXPECT_EQ(name - got, ptrdiff_t(size) - 1);  // the file's name
  EXPECT_EQ(os.GetFullPathNameA(full.c_str(), 1024, got, nullptr), size);
}
