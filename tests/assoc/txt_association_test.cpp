// The .txt association against temporary mimeapps.list files, txtassoc as a process, and
// agreement with xdg-mime.
#include "assoc/txt_association.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace cyrvert {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, std::string_view text) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// A fresh folder per test, removed afterwards.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "cyrvert-assoc-XXXXXX").string();
    m_path = mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ec;
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_path, ec);
  }
  const fs::path& Path() const { return m_path; }

 private:
  fs::path m_path;
};

constexpr std::string_view kNoFile = "<none>";

struct ApplyCase {
  std::string_view name;
  std::string_view before;  // kNoFile: no mimeapps.list
  bool associate;
  AssocResult result;
  std::string_view after;
};

constexpr ApplyCase kApplyCases[] = {
    {"take over gedit", "[Default Applications]\ntext/plain=org.gnome.gedit.desktop\n", true,
     AssocResult::kWritten,
     "[Default Applications]\ntext/plain=cyrvert.desktop;\n\n[X-Cyrvert Previous Defaults]\n"
     "text/plain=org.gnome.gedit.desktop\n"},
    {"give back to gedit",
     "[Default Applications]\ntext/plain=cyrvert.desktop;\n\n[X-Cyrvert Previous Defaults]\n"
     "text/plain=org.gnome.gedit.desktop\n",
     false, AssocResult::kWritten,
     "[Default Applications]\ntext/plain=org.gnome.gedit.desktop\n\n"
     "[X-Cyrvert Previous Defaults]\ntext/plain=org.gnome.gedit.desktop\n"},
    {"give back without a stored default removes ours",
     "[Default Applications]\nimage/png=eog.desktop\ntext/plain=cyrvert.desktop;\n", false,
     AssocResult::kWritten, "[Default Applications]\nimage/png=eog.desktop\n"},
    {"no file: take over, remembering there was no default", kNoFile, true, AssocResult::kWritten,
     "[Default Applications]\ntext/plain=cyrvert.desktop;\n\n[X-Cyrvert Previous Defaults]\n"
     "text/plain=\n"},
    {"an empty stored default removes ours",
     "[Default Applications]\ntext/plain=cyrvert.desktop;\n\n[X-Cyrvert Previous Defaults]\n"
     "text/plain=\n",
     false, AssocResult::kWritten,
     "[Default Applications]\n\n[X-Cyrvert Previous Defaults]\ntext/plain=\n"},
    {"another program's default is stored over our old one",
     "[Default Applications]\ntext/plain=kate.desktop\n\n[X-Cyrvert Previous Defaults]\n"
     "text/plain=org.gnome.gedit.desktop\n",
     true, AssocResult::kWritten,
     "[Default Applications]\ntext/plain=cyrvert.desktop;\n\n[X-Cyrvert Previous Defaults]\n"
     "text/plain=kate.desktop\n"},
    {"other groups, comments, blank lines and CR LF kept",
     "# my defaults\r\n\r\n[Added Associations]\r\ntext/plain=a.desktop;b.desktop;\r\n\r\n"
     "[Default Applications]\r\nimage/png=eog.desktop\r\ntext/plain = kate.desktop\r\n"
     "   \r\n[Removed Associations]\r\ntext/plain=c.desktop\r\n",
     true, AssocResult::kWritten,
     "# my defaults\r\n\r\n[Added Associations]\r\ntext/plain=a.desktop;b.desktop;\r\n\r\n"
     "[Default Applications]\r\nimage/png=eog.desktop\r\ntext/plain=cyrvert.desktop;\r\n"
     "   \r\n[Removed Associations]\r\ntext/plain=c.desktop\r\n\n"
     "[X-Cyrvert Previous Defaults]\ntext/plain=kate.desktop\n"},
    {"entry added at the end of its group, before the blank separator",
     "[Default Applications]\nimage/png=eog.desktop\n\n[X-Cyrvert Previous Defaults]\n"
     "text/plain=kate.desktop\n",
     true, AssocResult::kWritten,
     "[Default Applications]\nimage/png=eog.desktop\ntext/plain=cyrvert.desktop;\n\n"
     "[X-Cyrvert Previous Defaults]\ntext/plain=\n"},
    {"a last line without line end", "[Default Applications]\nimage/png=eog.desktop", true,
     AssocResult::kWritten,
     "[Default Applications]\nimage/png=eog.desktop\ntext/plain=cyrvert.desktop;\n\n"
     "[X-Cyrvert Previous Defaults]\ntext/plain=\n"},
    {"already ours: nothing written", "[Default Applications]\ntext/plain=cyrvert.desktop\n", true,
     AssocResult::kUnchanged, "[Default Applications]\ntext/plain=cyrvert.desktop\n"},
    {"already not ours: nothing written", "[Default Applications]\ntext/plain=kate.desktop\n",
     false, AssocResult::kUnchanged, "[Default Applications]\ntext/plain=kate.desktop\n"},
    {"a line that is no entry: untouched", "text/plain=kate.desktop\nnot an entry\n", true,
     AssocResult::kUnusable, "text/plain=kate.desktop\nnot an entry\n"},
    {"an entry before any group: untouched", "text/plain=kate.desktop\n", true,
     AssocResult::kUnusable, "text/plain=kate.desktop\n"},
    {"a broken group header: untouched", "[Default Applications\ntext/plain=x\n", true,
     AssocResult::kUnusable, "[Default Applications\ntext/plain=x\n"},
    {"a zero byte: untouched",
     std::string_view("[Default Applications]\ntext/plain=cyrvert.desktop;\0\n", 51), false,
     AssocResult::kUnusable,
     std::string_view("[Default Applications]\ntext/plain=cyrvert.desktop;\0\n", 51)},
};

TEST(TxtAssociationTest, ApplyRewritesOnlyOurEntries) {
  for (const ApplyCase& c : kApplyCases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const fs::path list = dir.Path() / "mimeapps.list";
    if (c.before != kNoFile) WriteAll(list, c.before);
    const TxtAssociation association(list);
    EXPECT_EQ(association.Apply(c.associate), c.result);
    EXPECT_EQ(ReadAll(list), c.after);
    if (c.result == AssocResult::kWritten) {
      EXPECT_EQ(association.IsAssociated(), c.associate);
    }
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
  }
}

TEST(TxtAssociationTest, IsAssociatedReadsTheFirstDefault) {
  struct Case {
    std::string_view text;
    bool want;
  };
  constexpr Case kCases[] = {
      {"[Default Applications]\ntext/plain=cyrvert.desktop;\n", true},
      {"[Default Applications]\ntext/plain=cyrvert.desktop\n", true},
      {"[Default Applications]\ntext/plain=cyrvert.desktop;kate.desktop;\n", true},
      {"[Default Applications]\ntext/plain=kate.desktop;cyrvert.desktop;\n", false},
      {"[Default Applications]\ntext/plain=Cyrvert.desktop\n", false},
      {"[Default Applications]\ntext/plain=cyrvert.desktop.old\n", false},
      {"[Added Associations]\ntext/plain=cyrvert.desktop;\n", false},
      {"[Default Applications]\ntext/plain=kate.desktop\n[Default Applications]\n"
       "text/plain=cyrvert.desktop\n",
       false},
      {"[Default Applications]\ntext/plain=cyrvert.desktop\nbroken\n", false},
      {"", false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    TempDir dir;
    WriteAll(dir.Path() / "mimeapps.list", c.text);
    EXPECT_EQ(TxtAssociation(dir.Path() / "mimeapps.list").IsAssociated(), c.want);
  }
  TempDir dir;
  EXPECT_FALSE(TxtAssociation(dir.Path() / "missing.list").IsAssociated());
}

TEST(TxtAssociationTest, UnwritableFolderChangesNothing) {
  TempDir dir;
  // A regular file where the config folder should be: nothing can be created below it.
  WriteAll(dir.Path() / "config", "not a folder");
  const TxtAssociation association(dir.Path() / "config" / "mimeapps.list");
  EXPECT_EQ(association.Apply(true), AssocResult::kWriteFailed);
  EXPECT_EQ(ReadAll(dir.Path() / "config"), "not a folder");
  EXPECT_FALSE(association.IsAssociated());
}

TEST(TxtAssociationTest, ReadOnlyFileIsNotReplaced) {
  TempDir dir;
  const fs::path list = dir.Path() / "mimeapps.list";
  const std::string_view text = "[Default Applications]\ntext/plain=kate.desktop\n";
  WriteAll(list, text);
  fs::permissions(list, fs::perms::owner_read);
  if (std::FILE* probe = std::fopen(list.c_str(), "ab")) {
    std::fclose(probe);
    GTEST_SKIP() << "file permissions do not bind this user";
  }
  EXPECT_EQ(TxtAssociation(list).Apply(true), AssocResult::kWriteFailed);
  EXPECT_EQ(ReadAll(list), text);
}

TEST(TxtAssociationTest, WritingKeepsLinkAndPermissions) {
  TempDir dir;
  const fs::path real = dir.Path() / "dotfiles" / "mimeapps.list";
  WriteAll(real, "[Default Applications]\ntext/plain=kate.desktop\n");
  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
  const fs::path link = dir.Path() / "mimeapps.list";
  fs::create_symlink(fs::path("dotfiles") / "mimeapps.list", link);

  ASSERT_EQ(TxtAssociation(link).Apply(true), AssocResult::kWritten);
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
  EXPECT_TRUE(TxtAssociation(real).IsAssociated());
  EXPECT_EQ(fs::status(real).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

// Runs txtassoc with `args` (a shell word list) and XDG_CONFIG_HOME at `config`; what it
// printed lands in `output`.
int RunTxtassoc(const fs::path& config, std::string_view args, std::string* output) {
  const fs::path out =
      fs::temp_directory_path() / ("txtassoc-" + std::to_string(getpid()) + ".out");
  const std::string command = "XDG_CONFIG_HOME='" + config.string() + "' '" TXTASSOC_PATH "' " +
                              std::string(args) + " >'" + out.string() + "' 2>&1";
  const int status = std::system(command.c_str());
  *output = ReadAll(out);
  fs::remove(out);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(TxtassocProgramTest, GivesBackOnlyOnExactSwitchAndOnlyOurs) {
  constexpr std::string_view kOurs =
      "[Default Applications]\ntext/plain=cyrvert.desktop;\n\n[X-Cyrvert Previous Defaults]\n"
      "text/plain=kate.desktop\n";
  constexpr std::string_view kGivenBack =
      "[Default Applications]\ntext/plain=kate.desktop\n\n[X-Cyrvert Previous Defaults]\n"
      "text/plain=kate.desktop\n";
  constexpr std::string_view kOthers =
      "[Default Applications]\ntext/plain=mousepad.desktop\n\n[X-Cyrvert Previous Defaults]\n"
      "text/plain=kate.desktop\n";
  struct Case {
    std::string_view args;
    std::string_view before;
    std::string_view after;
  };
  const Case kCases[] = {
      {"/uninstall", kOurs, kGivenBack},
      {"'  /uninstall'", kOurs, kGivenBack},
      {"", kOurs, kOurs},
      {"/UNINSTALL", kOurs, kOurs},
      {"'/uninstall '", kOurs, kOurs},
      {"/uninstall now", kOurs, kOurs},
      {"-uninstall", kOurs, kOurs},
      {"/uninstall", kOthers, kOthers},
      {"/uninstall", "[Default Applications]\ntext/plain=cyrvert.desktop;\n",
       "[Default Applications]\n"},
      {"/uninstall", "garbage\n", "garbage\n"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.args) + " on " + std::string(c.before));
    TempDir dir;
    WriteAll(dir.Path() / "mimeapps.list", c.before);
    std::string output;
    EXPECT_EQ(RunTxtassoc(dir.Path(), c.args, &output), 0);
    EXPECT_EQ(output, "");
    EXPECT_EQ(ReadAll(dir.Path() / "mimeapps.list"), c.after);
  }
  // No mimeapps.list at all, or a config folder that cannot exist: still silent and 0.
  TempDir dir;
  std::string output;
  EXPECT_EQ(RunTxtassoc(dir.Path(), "/uninstall", &output), 0);
  EXPECT_FALSE(fs::exists(dir.Path() / "mimeapps.list"));
  EXPECT_EQ(RunTxtassoc(dir.Path() / "missing" / "deeper", "/uninstall", &output), 0);
}

// What `xdg-mime query default text/plain` says with these XDG folders, or nothing without it.
std::optional<std::string> XdgMimeDefault(const XdgDirs& dirs) {
  if (std::system("command -v xdg-mime >/dev/null 2>&1") != 0) return std::nullopt;
  const fs::path out = dirs.configHome / "query.out";
  const std::string command =
      "env -u XDG_CURRENT_DESKTOP -u KDE_FULL_SESSION -u GNOME_DESKTOP_SESSION_ID -u "
      "DESKTOP_SESSION"
      " XDG_CONFIG_HOME='" +
      dirs.configHome.string() + "' XDG_CONFIG_DIRS='" + dirs.configDirs.front().string() +
      "' XDG_DATA_HOME='" + dirs.dataHome.string() + "' XDG_DATA_DIRS='" +
      dirs.dataDirs.front().string() + "' xdg-mime query default text/plain >'" + out.string() +
      "' 2>/dev/null";
  std::system(command.c_str());
  std::string answer = ReadAll(out);
  fs::remove(out);
  while (!answer.empty() && answer.back() == '\n') answer.pop_back();
  return answer;
}

TEST(TxtAssociationTest, AgreesWithXdgMime) {
  TempDir dir;
  XdgDirs dirs;
  dirs.configHome = dir.Path() / "config";
  dirs.configDirs = {dir.Path() / "etc"};
  dirs.dataHome = dir.Path() / "data";
  dirs.dataDirs = {dir.Path() / "share"};
  constexpr std::string_view kEntry =
      "[Desktop Entry]\nType=Application\nName=X\nExec=true %f\nMimeType=text/plain;\n";
  WriteAll(dirs.dataHome / "applications" / "cyrvert.desktop", kEntry);
  WriteAll(dirs.dataDirs.front() / "applications" / "kate.desktop", kEntry);
  WriteAll(UserMimeAppsPath(dirs),
           "[Added Associations]\ntext/plain=kate.desktop;\n\n[Default Applications]\n"
           "text/plain=kate.desktop\n");
  const TxtAssociation association(UserMimeAppsPath(dirs));

  for (const bool on : {true, false, true}) {
    SCOPED_TRACE(on);
    ASSERT_EQ(association.Apply(on), AssocResult::kWritten);
    EXPECT_EQ(association.IsAssociated(), on);
    const std::string want = on ? "cyrvert.desktop" : "kate.desktop";
    EXPECT_EQ(DefaultApplication(dirs, kTextPlainType), want);
    if (std::optional<std::string> xdg = XdgMimeDefault(dirs)) {
      EXPECT_EQ(*xdg, want);
    }
  }
}

TEST(TxtAssociationTest, CommandTailSkipsLeadingBlanksOnly) {
  struct Case {
    std::vector<const char*> argv;
    std::string_view want;
  };
  const Case kCases[] = {
      {{"txtassoc"}, ""},
      {{"txtassoc", "/uninstall"}, "/uninstall"},
      {{"txtassoc", "\t /uninstall"}, "/uninstall"},
      {{"txtassoc", "", "/uninstall"}, "/uninstall"},
      {{"txtassoc", "/uninstall", ""}, "/uninstall "},
      {{"txtassoc", "/uninstall", "x"}, "/uninstall x"},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(CommandTail(static_cast<int>(c.argv.size()), c.argv.data()), c.want);
  }
}

}  // namespace
}  // namespace cyrvert
