// Saving and reading whole files: what is replaced, what is written in place, what is refused,
// and the reasons given.
#include "fileio/text_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "tests/fileio/scratch_folder.h"

namespace cyrvert {
namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

using TextFileTest = test::ScratchFolderTest;
using test::Contents;
using test::Write;

const std::string kText("a\0\xFF\r\n\x98", 6);

TEST_F(TextFileTest, RegularFilesAreReplacedWholeWithTheirPermissions) {
  const fs::path file = m_dir / "doc.txt";
  ASSERT_EQ(SaveTextToFile(file, "first version, longer"), SaveError::kNone);
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
                  fs::perm_options::replace);
  const SaveResult result = SaveTextToFile(file, kText);
  EXPECT_EQ(result, SaveError::kNone);
  EXPECT_TRUE(result.reason.empty());
  EXPECT_EQ(Contents(file), kText);
  EXPECT_EQ(fs::status(file).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(Names(), std::vector<std::string>{"doc.txt"});
}

TEST_F(TextFileTest, LinksAreFollowedAndKept) {
  struct Case {
    std::string_view name;
    bool target_exists;
    bool relative;
  };
  for (const Case& c : {Case{"to a file", true, false}, Case{"relative", true, true},
                        Case{"dangling", false, true}}) {
    const fs::path target = m_dir / "target.txt";
    const fs::path link = m_dir / "link.txt";
    fs::remove(target);
    fs::remove(link);
    if (c.target_exists) Write(target, "old");
    fs::create_symlink(c.relative ? fs::path("target.txt") : target, link);
    ASSERT_EQ(SaveTextToFile(link, kText), SaveError::kNone) << c.name;
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link))) << c.name;
    EXPECT_EQ(Contents(target), kText) << c.name;
    EXPECT_EQ(Names(), (std::vector<std::string>{"link.txt", "target.txt"})) << c.name;
  }
}

TEST_F(TextFileTest, SpecialFilesAreNeverReplaced) {
  const fs::path fifo = m_dir / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const fs::path fifo_link = m_dir / "fifo-link";
  fs::create_symlink(fifo, fifo_link);
  const fs::path null_link = m_dir / "null-link";
  fs::create_symlink("/dev/null", null_link);
  struct Case {
    fs::path path;
    SaveError error;
    std::string_view reason;
    fs::file_type type_after;  // of the path the name finally leads to
  };
  const Case cases[] = {
      {fifo, SaveError::kNotRegular, "Not a regular file", fs::file_type::fifo},
      {fifo_link, SaveError::kNotRegular, "Not a regular file", fs::file_type::fifo},
      {"/dev/null", SaveError::kNone, "", fs::file_type::character},
      {null_link, SaveError::kNone, "", fs::file_type::character},
      {"/dev/full", SaveError::kWrite, "No space left on device", fs::file_type::character},
      {m_dir, SaveError::kNotRegular, "Is a directory", fs::file_type::directory},
      {m_dir / "no" / "such.txt", SaveError::kOpen, "No such file or directory",
       fs::file_type::not_found},
  };
  for (const Case& c : cases) {
    const SaveResult result = SaveTextToFile(c.path, kText);
    EXPECT_EQ(result.error, c.error) << c.path;
    EXPECT_EQ(result.reason, c.reason) << c.path;
    EXPECT_EQ(fs::status(c.path).type(), c.type_after) << c.path;
  }
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(fifo_link)));
  EXPECT_EQ(Names(), (std::vector<std::string>{"fifo", "fifo-link", "null-link"}));
}

TEST_F(TextFileTest, AFolderClosedToNewFilesStillSavesAWritableFile) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  const fs::path file = m_dir / "doc.txt";
  Write(file, "old");
  fs::permissions(m_dir, fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
  EXPECT_EQ(SaveTextToFile(file, kText), SaveError::kNone);
  EXPECT_EQ(Contents(file), kText);
  const SaveResult result = SaveTextToFile(m_dir / "new.txt", kText);
  EXPECT_EQ(result, SaveError::kOpen);
  EXPECT_EQ(result.reason, "Permission denied");
}

TEST_F(TextFileTest, ReadsFilesAndPipesAndRefusesDevices) {
  const fs::path file = m_dir / "doc.txt";
  Write(file, kText);
  const fs::path fifo = m_dir / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::thread writer([&fifo] { Write(fifo, kText); });
  const ReadResult piped = ReadTextFromFile(fifo);
  writer.join();
  EXPECT_EQ(piped.error, ReadError::kNone);
  EXPECT_EQ(piped.bytes, kText);

  struct Case {
    fs::path path;
    ReadError error;
    std::string_view reason;
    std::string_view bytes;
  };
  const Case cases[] = {
      {file, ReadError::kNone, "", kText},
      {m_dir / "empty", ReadError::kOpen, "No such file or directory", ""},
      {"/dev/zero", ReadError::kNotRegular, "Not a regular file", ""},
      {m_dir, ReadError::kNotRegular, "Is a directory", ""},
  };
  for (const Case& c : cases) {
    const ReadResult result = ReadTextFromFile(c.path);
    EXPECT_EQ(result.error, c.error) << c.path;
    EXPECT_EQ(result.reason, c.reason) << c.path;
    EXPECT_EQ(result.bytes, c.bytes) << c.path;
  }
}

TEST_F(TextFileTest, AFileBiggerThanMemoryIsReportedNotFatal) {
  if (kSanitized) GTEST_SKIP() << "the sanitizer reserves more address space than the limit";
  const fs::path file = m_dir / "huge.txt";
  { std::ofstream(file, std::ios::binary).put('x'); }
  fs::resize_file(file, std::uintmax_t{8} << 30);  // sparse: takes no disk space
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_AS, &saved), 0);
  rlimit limited = saved;
  limited.rlim_cur = rlim_t{4} << 30;  // as under "ulimit -v 4194304"
  if (saved.rlim_max != RLIM_INFINITY && saved.rlim_max < limited.rlim_cur) {
    limited.rlim_cur = saved.rlim_max;
  }
  ASSERT_EQ(setrlimit(RLIMIT_AS, &limited), 0);
  const ReadResult result = ReadTextFromFile(file);
  setrlimit(RLIMIT_AS, &saved);
  EXPECT_EQ(result.error, ReadError::kNoMemory);
  EXPECT_EQ(result.reason, "Cannot allocate memory");
  EXPECT_TRUE(result.bytes.empty());
}

}  // namespace
}  // namespace cyrvert
