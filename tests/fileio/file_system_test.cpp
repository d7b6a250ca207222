// Replacing files: long names, failures that leave the old file whole, attributes kept, the
// check that the file replaced is the file read, backups that never replace, signals.
#include "fileio/file_system.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fileio/text_file.h"
#include "tests/fileio/scratch_folder.h"

namespace cyrvert {
namespace {

namespace fs = std::filesystem;

// Runs `body` in a child process and returns its exit status (-1 when it did not exit).
template <class Body>
int InChild(Body body) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

using FileSystemTest = test::ScratchFolderTest;
using test::Contents;
using test::Write;

TEST_F(FileSystemTest, NamesUpToTheLongestAllowedAreReplaced) {
  for (const std::size_t length : {std::size_t{248}, std::size_t{251}, std::size_t{255}}) {
    const fs::path file = m_dir / std::string(length, 'n');
    Write(file, "old");
    EXPECT_EQ(SaveTextToFile(file, "new").error, SaveError::kNone) << length;
    EXPECT_EQ(Contents(file), "new") << length;
    fs::remove(file);
  }
  EXPECT_TRUE(Names().empty());
}

TEST_F(FileSystemTest, AFailedWriteLeavesTheOldFileWholeAndNoTemporary) {
  const fs::path file = m_dir / "doc.txt";
  Write(file, "the old text");
  // A file size limit makes the write fail part way, as a full disk would.
  const int status = InChild([&] {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 10;
    const SaveResult result = SaveTextToFile(file, std::string(1 << 20, 'x'));
    if (result.error != SaveError::kWrite) return 11;
    return result.reason == "File too large" ? 0 : 12;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Contents(file), "the old text");
  EXPECT_EQ(Names(), std::vector<std::string>{"doc.txt"});
}

TEST_F(FileSystemTest, AFileReplacedSinceItWasReadIsNotOverwritten) {
  const fs::path file = m_dir / "doc.txt";
  Write(file, "read");
  int error = 0;
  const FileId read = Inspect(file, error).id;
  // Someone else puts a new file in its place.
  Write(m_dir / "other", "theirs");
  fs::rename(m_dir / "other", file);
  Replacement replacement(file, {});
  ASSERT_TRUE(replacement.Write("ours"));
  EXPECT_FALSE(replacement.Commit(&read));
  EXPECT_EQ(replacement.Stage(), ReplaceStage::kChanged);
  EXPECT_EQ(Contents(file), "theirs");
  EXPECT_EQ(Names(), std::vector<std::string>{"doc.txt"});
}

TEST_F(FileSystemTest, KeptCopiesHoldWhatWasReadAndNeverReplace) {
  const fs::path file = m_dir / "doc.txt";
  Write(file, "original");
  Write(m_dir / "doc.txt.bak", "an older backup");
  SourceFile source(file, true);
  ASSERT_EQ(source.Error(), 0);
  EXPECT_EQ(KeepCopy(source, file, m_dir / "doc.txt.bak"), EEXIST);
  EXPECT_EQ(Contents(m_dir / "doc.txt.bak"), "an older backup");
  ASSERT_EQ(KeepCopy(source, file, m_dir / "doc.txt.bak.1"), 0);
  int error = 0;
  EXPECT_EQ(Inspect(m_dir / "doc.txt.bak.1", error).id, source.Info().id) << "a hard link";
  // Once the name holds another file, the copy is made from the file read.
  Write(m_dir / "other", "later");
  fs::rename(m_dir / "other", file);
  ASSERT_EQ(KeepCopy(source, file, m_dir / "doc.txt.bak.2"), 0);
  EXPECT_EQ(Contents(m_dir / "doc.txt.bak.2"), "original");
}

TEST_F(FileSystemTest, ModeOwnerGroupAndAttributesAreKept) {
  const fs::path file = m_dir / "doc.txt";
  Write(file, "old");
  fs::permissions(file, static_cast<fs::perms>(0640), fs::perm_options::replace);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(file.c_str(), 4242, 4243), 0);
  }
  const bool xattrs = ::setxattr(file.c_str(), "user.origin", "mail", 4, 0) == 0;
  Replacement replacement(file, {});
  ASSERT_TRUE(replacement.Write("new"));
  ASSERT_TRUE(replacement.Commit());
  EXPECT_TRUE(replacement.NotKept().empty());
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(st.st_uid, 4242u);
    EXPECT_EQ(st.st_gid, 4243u);
  }
  if (xattrs) {
    char value[8] = {};
    EXPECT_EQ(::getxattr(file.c_str(), "user.origin", value, sizeof value), 4);
    EXPECT_STREQ(value, "mail");
  }
  EXPECT_EQ(Contents(file), "new");
}

TEST_F(FileSystemTest, SetIdBitsAreDroppedWithAnOwnerThatCannotBeKept) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs the superuser to make a second user's file";
  // Another user, 4242, may write in the folder and replaces a file of user 4243.
  fs::permissions(m_dir, static_cast<fs::perms>(0777), fs::perm_options::replace);
  const fs::path file = m_dir / "tool";
  Write(file, "old");
  ASSERT_EQ(::chown(file.c_str(), 4243, 4243), 0);
  ASSERT_EQ(::chmod(file.c_str(), 06755), 0);
  const int status = InChild([&] {
    if (::setgid(4242) != 0 || ::setuid(4242) != 0) return 10;
    Replacement replacement(file, {});
    if (!replacement.Write("new") || !replacement.Commit()) return 11;
    return replacement.NotKept().size() == 2 ? 0 : 12;  // owner and group
  });
  EXPECT_EQ(status, 0);
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 4242u);
  EXPECT_EQ(st.st_mode & 07777, 0755u);
}

TEST_F(FileSystemTest, ASignalRemovesTheTemporaryFile) {
  const fs::path file = m_dir / "doc.txt";
  Write(file, "old");
  int ready[2];
  int release[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(release), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    RemoveTemporariesOnSignals();
    Replacement replacement(file, {});
    replacement.Write("half of the new text");
    char byte = 'r';
    if (::write(ready[1], &byte, 1) != 1) ::_exit(10);
    ::read(release[0], &byte, 1);  // waits here until the signal ends it
    ::_exit(11);
  }
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  EXPECT_EQ(Names().size(), 2u) << "the temporary file is there";
  ::kill(pid, SIGTERM);
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
  EXPECT_EQ(Names(), std::vector<std::string>{"doc.txt"});
  EXPECT_EQ(Contents(file), "old");
  for (int fd : {ready[0], ready[1], release[0], release[1]}) ::close(fd);
}

}  // namespace
}  // namespace cyrvert
