// Key files kept byte for byte, and the lookup of default applications and their Exec lines.
#include "assoc/mimeapps.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace cyrvert {
namespace {

namespace fs = std::filesystem;

TEST(KeyFileTest, UnchangedTextComesBackByteForByte) {
  constexpr std::string_view kTexts[] = {
      "",
      "\n",
      "\n\n",
      "[a]",
      "[a]\nk=v",
      "# only a comment\n",
      "  # indented comment\r\n[a b]\r\n k = v \r\n\r\n",
      "[Default Applications]\ntext/plain=x.desktop;\n\n\n[Added Associations]\nk=\n",
      "[Desktop Entry]\nName[ru]=\xD0\x9A\xD0\xB8\nExec=a \"%u\" --b\n",
  };
  for (std::string_view text : kTexts) {
    SCOPED_TRACE(text);
    const std::optional<KeyFile> file = KeyFile::Parse(text);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Text(), text);
  }
}

TEST(KeyFileTest, ValuesAreTrimmedAndTheFirstWins) {
  const std::optional<KeyFile> file =
      KeyFile::Parse("[g]\nk =  first value \r\nk=second\n[h]\nk=other\n[g]\nk=third\nj=later\n");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Value("g", "k"), "first value");
  EXPECT_EQ(file->Value("g", "j"), "later");
  EXPECT_EQ(file->Value("h", "k"), "other");
  EXPECT_EQ(file->Value("h", "j"), std::nullopt);
  EXPECT_EQ(file->Value("G", "k"), std::nullopt);
}

TEST(KeyFileTest, RemoveTakesOutOneLine) {
  std::optional<KeyFile> file = KeyFile::Parse("[g]\na=1\nk=2\n# c\nk=3\n");
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->RemoveValue("g", "k"));
  EXPECT_EQ(file->Text(), "[g]\na=1\n# c\nk=3\n");
  EXPECT_FALSE(file->RemoveValue("g", "missing"));
}

TEST(KeyFileTest, FirstDesktopIdOfAList) {
  EXPECT_EQ(FirstDesktopId("a.desktop;b.desktop;"), "a.desktop");
  EXPECT_EQ(FirstDesktopId(" a.desktop "), "a.desktop");
  EXPECT_EQ(FirstDesktopId(";a.desktop"), "");
  EXPECT_EQ(FirstDesktopId(""), "");
}

void WriteAll(const fs::path& path, std::string_view text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

TEST(WriteFileAtomicallyTest, AFailedWriteLeavesTheOldListWhole) {
  const fs::path dir = fs::path(::testing::TempDir()) / "mimeapps_failed_write";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path list = dir / "mimeapps.list";
  const std::string old_text = "[Default Applications]\ntext/plain=editor.desktop;\n";
  std::ofstream(list, std::ios::binary) << old_text;
  // A file size limit in a child process fails the write part way, as a full disk would.
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{16, 16};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const std::string text = old_text + "[Added Associations]\ntext/plain=cyrvert.desktop;\n";
    ::_exit(WriteFileAtomically(list, text) == KeyFileError::kWriteFailed ? 0 : 1);
  }
  int status = -1;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  std::ifstream in(list, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), old_text);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1)
      << "no temporary file stays behind";
  fs::remove_all(dir);
}

TEST(DefaultApplicationTest, UserListThenSystemListThenCache) {
  std::string pattern = (fs::temp_directory_path() / "cyrvert-xdg-XXXXXX").string();
  const fs::path root = mkdtemp(pattern.data());
  XdgDirs dirs;
  dirs.config_home = root / "config";
  dirs.config_dirs = {root / "etc"};
  dirs.data_home = root / "data";
  dirs.data_dirs = {root / "share"};
  const fs::path apps = root / "share" / "applications";
  WriteAll(apps / "browser.desktop",
           "[Desktop Entry]\nName=B\nExec=browser --new \"%u\" --x\n[Desktop Action n]\nExec=no\n");
  WriteAll(apps / "viewer.desktop", "[Desktop Entry]\nName=V\nExec=viewer %U\n");
  WriteAll(apps / "mimeinfo.cache", "[MIME Cache]\ntext/html=cached.desktop;viewer.desktop;\n");

  // Only the cache knows an application.
  EXPECT_EQ(DefaultApplication(dirs, "text/html")->desktop_id, "cached.desktop");
  // A system default wins over the cache; entries not installed are passed over.
  WriteAll(root / "etc" / "mimeapps.list",
           "[Default Applications]\ntext/html=gone.desktop;viewer.desktop\n");
  EXPECT_EQ(DefaultApplication(dirs, "text/html")->desktop_id, "viewer.desktop");
  // The user's default wins over both.
  WriteAll(dirs.config_home / "mimeapps.list",
           "[Default Applications]\ntext/html=browser.desktop\n");
  EXPECT_EQ(DefaultApplication(dirs, "text/html")->desktop_id, "browser.desktop");
  EXPECT_EQ(DefaultApplication(dirs, "image/png"), std::nullopt);

  const std::optional<fs::path> entry = FindDesktopEntry(dirs, "browser.desktop");
  ASSERT_TRUE(entry);
  EXPECT_EQ(DesktopEntryExec(*entry), "browser --new \"%u\" --x");
  EXPECT_EQ(FindDesktopEntry(dirs, "../applications/browser.desktop"), std::nullopt);
  EXPECT_EQ(FindDesktopEntry(dirs, "cached.desktop"), std::nullopt);
  fs::remove_all(root);
}

TEST(MimeAppsListsTest, DesktopListsComeFirstInEachFolder) {
  XdgDirs dirs;
  dirs.config_home = "/home/u/.config/";
  dirs.config_dirs = {"/etc/xdg"};
  dirs.data_home = "/home/u/.local/share";
  dirs.data_dirs = {"/usr/share"};
  dirs.desktops = {"x-test", "gnome"};
  const std::vector<fs::path> want = {
      "/home/u/.config/x-test-mimeapps.list",
      "/home/u/.config/gnome-mimeapps.list",
      "/home/u/.config/mimeapps.list",
      "/etc/xdg/x-test-mimeapps.list",
      "/etc/xdg/gnome-mimeapps.list",
      "/etc/xdg/mimeapps.list",
      "/home/u/.local/share/applications/x-test-mimeapps.list",
      "/home/u/.local/share/applications/gnome-mimeapps.list",
      "/home/u/.local/share/applications/mimeapps.list",
      "/usr/share/applications/x-test-mimeapps.list",
      "/usr/share/applications/gnome-mimeapps.list",
      "/usr/share/applications/mimeapps.list",
  };
  const std::vector<fs::path> lists = MimeAppsLists(dirs);
  ASSERT_EQ(lists.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(lists[i].lexically_normal(), want[i]) << i;
    EXPECT_EQ(IsUserMimeAppsList(dirs, lists[i]), i < 3) << i;
  }
}

TEST(MimeAppsListsTest, DesktopNamesComeLowerCasedFromTheEnvironment) {
  struct Case {
    const char* value;  // nullptr: unset
    std::vector<std::string> want;
  };
  const Case kCases[] = {
      {nullptr, {}},
      {"", {}},
      {"GNOME", {"gnome"}},
      {"ubuntu:GNOME", {"ubuntu", "gnome"}},
      {"X-Cinnamon::KDE:", {"x-cinnamon", "kde"}},
  };
  const char* saved = std::getenv("XDG_CURRENT_DESKTOP");
  const std::string saved_value = saved != nullptr ? saved : "";
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.value != nullptr ? c.value : "(unset)");
    if (c.value != nullptr) {
      setenv("XDG_CURRENT_DESKTOP", c.value, 1);
    } else {
      unsetenv("XDG_CURRENT_DESKTOP");
    }
    EXPECT_EQ(XdgDirsFromEnvironment().desktops, c.want);
  }
  if (saved != nullptr) {
    setenv("XDG_CURRENT_DESKTOP", saved_value.c_str(), 1);
  } else {
    unsetenv("XDG_CURRENT_DESKTOP");
  }
}

}  // namespace
}  // namespace cyrvert
