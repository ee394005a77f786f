// Folders, directory calls and OLE dates, as the profile folder relies on them.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"

namespace {

const platform::Api& os = platform::NativeApi();

std::u16string TempFolder() {
  platform::WCHAR buffer[1024] = {};
  platform::DWORD n = os.GetTempPathW(1024, buffer);
  return std::u16string(buffer, n);
}

TEST(Folders, TempPathEndsWithTheSeparatorAndReportsTheSizeItNeeds) {
  std::u16string temp = TempFolder();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), static_cast<char16_t>(platform::kPathSeparator[0]));
  platform::WCHAR tiny[2] = {u'x', u'y'};
  // Too small: the size needed, NUL included.
  EXPECT_EQ(os.GetTempPathW(2, tiny), temp.size() + 1);
}

TEST(Folders, DirectoriesAreMadeOnceAndRecognised) {
  std::u16string dir = TempFolder() + u"zv_folders_test_\u4E2D";
  os.CreateDirectoryW(dir.c_str(), nullptr);  // left over from an earlier run
  EXPECT_EQ(os.PathIsDirectoryW(dir.c_str()),
            static_cast<platform::BOOL>(platform::FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(os.CreateDirectoryW(dir.c_str(), nullptr), 0);  // exists already
  std::u16string missing = dir + u"_missing";
  EXPECT_EQ(os.PathIsDirectoryW(missing.c_str()), 0);
  std::u16string nested = missing + u"/deeper";
  if (platform::kPathSeparator[0] == '\\') nested = missing + u"\\deeper";
  EXPECT_EQ(os.CreateDirectoryW(nested.c_str(), nullptr), 0);  // parent missing
  EXPECT_EQ(os.PathIsDirectoryW(nullptr), 0);
}

TEST(Folders, SpecialFolderFailsOrGivesAPathWithinTheBuffer) {
  for (int csidl : {5, 16, 26, 35, 37}) {
    platform::WCHAR buffer[260] = {};
    if (os.SHGetSpecialFolderPathW(nullptr, buffer, csidl, platform::kFalse) != 0) {
      EXPECT_GT(os.lstrlenW(buffer), 0) << csidl;
      EXPECT_EQ(os.PathIsDirectoryW(buffer),
                static_cast<platform::BOOL>(platform::FILE_ATTRIBUTE_DIRECTORY))
          << csidl;
    }
  }
}

struct OleCase {
  double date;
  int year, month, day, hour, minute, second;
};

TEST(OleDates, ConvertToCalendarPartsRoundedToTheSecond) {
  const OleCase cases[] = {
      {0.0, 1899, 12, 30, 0, 0, 0},
      {2.5, 1900, 1, 1, 12, 0, 0},
      {-1.25, 1899, 12, 29, 6, 0, 0},
      {25569.333333333332, 1970, 1, 1, 8, 0, 0},
      {45306.5 + 1.0 / 86400 * 0.6, 2024, 1, 15, 12, 0, 1},
      {45306.99999999, 2024, 1, 16, 0, 0, 0},
      {36585.0, 2000, 2, 29, 0, 0, 0},
      {-657434.0, 100, 1, 1, 0, 0, 0},
      {2958465.0, 9999, 12, 31, 0, 0, 0},
  };
  for (const OleCase& c : cases) {
    platform::SYSTEMTIME st{};
    ASSERT_NE(os.VariantTimeToSystemTime(c.date, &st), 0) << c.date;
    EXPECT_EQ(st.wYear, c.year) << c.date;
    EXPECT_EQ(st.wMonth, c.month) << c.date;
    EXPECT_EQ(st.wDay, c.day) << c.date;
    EXPECT_EQ(st.wHour, c.hour) << c.date;
    EXPECT_EQ(st.wMinute, c.minute) << c.date;
    EXPECT_EQ(st.wSecond, c.second) << c.date;
    EXPECT_EQ(st.wMilliseconds, 0) << c.date;
  }
  platform::SYSTEMTIME st{};
  ASSERT_NE(os.VariantTimeToSystemTime(45306.0, &st), 0);
  EXPECT_EQ(st.wDayOfWeek, 1);  // 2024-01-15 was a Monday
  EXPECT_EQ(os.VariantTimeToSystemTime(-657435.0, &st), 0);
  EXPECT_EQ(os.VariantTimeToSystemTime(2958466.0, &st), 0);
}

}  // namespace
