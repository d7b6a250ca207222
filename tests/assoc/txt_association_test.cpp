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
#include <vector>

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

// A user and a system of our own: config and data folders in a fresh TempDir, with the
// programs the cases name installed (the editor's entry counts as installed regardless).
struct Xdg {
  TempDir dir;
  XdgDirs dirs;
  explicit Xdg(std::vector<std::string> desktops = {}) {
    dirs.config_home = dir.Path() / "config";
    dirs.config_dirs = {dir.Path() / "etc"};
    dirs.data_home = dir.Path() / "data";
    dirs.data_dirs = {dir.Path() / "share"};
    dirs.desktops = std::move(desktops);
    for (std::string_view id :
         {"kate.desktop", "org.gnome.gedit.desktop", "mousepad.desktop", "eog.desktop"}) {
      WriteAll(dirs.data_dirs.front() / "applications" / id,
               "[Desktop Entry]\nType=Application\nName=X\nExec=true %f\n");
    }
  }
  fs::path UserList(std::string_view name = "mimeapps.list") const {
    return dirs.config_home / name;
  }
  TxtAssociation Association() const { return TxtAssociation(dirs); }
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
     AssocResult::kUnchanged,
     std::string_view("[Default Applications]\ntext/plain=cyrvert.desktop;\0\n", 51)},
};

TEST(TxtAssociationTest, ApplyRewritesOnlyOurEntries) {
  for (const ApplyCase& c : kApplyCases) {
    SCOPED_TRACE(c.name);
    const Xdg xdg;
    const fs::path list = xdg.UserList();
    if (c.before != kNoFile) WriteAll(list, c.before);
    const TxtAssociation association = xdg.Association();
    EXPECT_EQ(association.Apply(c.associate), c.result);
    EXPECT_EQ(ReadAll(list), c.after);
    if (c.result == AssocResult::kWritten) {
      EXPECT_EQ(association.IsAssociated(), c.associate);
    }
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(xdg.dirs.config_home), fs::directory_iterator()),
              1);
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
    const Xdg xdg;
    WriteAll(xdg.UserList(), c.text);
    EXPECT_EQ(xdg.Association().IsAssociated(), c.want);
  }
  const Xdg xdg;
  EXPECT_FALSE(xdg.Association().IsAssociated());
}

TEST(TxtAssociationTest, UnwritableFolderChangesNothing) {
  const Xdg xdg;
  // A regular file where the config folder should be: nothing can be created below it.
  WriteAll(xdg.dirs.config_home, "not a folder");
  const TxtAssociation association = xdg.Association();
  EXPECT_EQ(association.Apply(true), AssocResult::kWriteFailed);
  EXPECT_EQ(ReadAll(xdg.dirs.config_home), "not a folder");
  EXPECT_FALSE(association.IsAssociated());
}

TEST(TxtAssociationTest, ReadOnlyFileIsNotReplaced) {
  const Xdg xdg;
  const fs::path list = xdg.UserList();
  const std::string_view text = "[Default Applications]\ntext/plain=kate.desktop\n";
  WriteAll(list, text);
  fs::permissions(list, fs::perms::owner_read);
  if (std::FILE* probe = std::fopen(list.c_str(), "ab")) {
    std::fclose(probe);
    GTEST_SKIP() << "file permissions do not bind this user";
  }
  EXPECT_EQ(xdg.Association().Apply(true), AssocResult::kWriteFailed);
  EXPECT_EQ(ReadAll(list), text);
}

TEST(TxtAssociationTest, WritingKeepsLinkAndPermissions) {
  const Xdg xdg;
  const fs::path real = xdg.dir.Path() / "dotfiles" / "mimeapps.list";
  WriteAll(real, "[Default Applications]\ntext/plain=kate.desktop\n");
  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
  const fs::path link = xdg.UserList();
  fs::create_directories(link.parent_path());
  fs::create_symlink(fs::path("..") / "dotfiles" / "mimeapps.list", link);

  ASSERT_EQ(xdg.Association().Apply(true), AssocResult::kWritten);
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
  XdgDirs dotfiles = xdg.dirs;
  dotfiles.config_home = real.parent_path();
  EXPECT_TRUE(TxtAssociation(dotfiles).IsAssociated());
  EXPECT_EQ(fs::status(real).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

// The environment that hands `dirs` to a program run by the shell, and no desktop but theirs.
std::string XdgEnvironment(const XdgDirs& dirs) {
  std::string desktops;
  for (const std::string& name : dirs.desktops) {
    desktops += (desktops.empty() ? "" : ":") + name;
  }
  return "env -u KDE_FULL_SESSION -u GNOME_DESKTOP_SESSION_ID -u DESKTOP_SESSION "
         "XDG_CURRENT_DESKTOP='" +
         desktops + "' XDG_CONFIG_HOME='" + dirs.config_home.string() + "' XDG_CONFIG_DIRS='" +
         dirs.config_dirs.front().string() + "' XDG_DATA_HOME='" + dirs.data_home.string() +
         "' XDG_DATA_DIRS='" + dirs.data_dirs.front().string() + "' ";
}

// Runs txtassoc with `args` (a shell word list) on `dirs`; what it printed lands in `output`.
int RunTxtassoc(const XdgDirs& dirs, std::string_view args, std::string* output) {
  const fs::path out =
      fs::temp_directory_path() / ("txtassoc-" + std::to_string(getpid()) + ".out");
  const std::string command = XdgEnvironment(dirs) + "'" TXTASSOC_PATH "' " + std::string(args) +
                              " >'" + out.string() + "' 2>&1";
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
    const Xdg xdg;
    WriteAll(xdg.UserList(), c.before);
    std::string output;
    EXPECT_EQ(RunTxtassoc(xdg.dirs, c.args, &output), 0);
    EXPECT_EQ(output, "");
    EXPECT_EQ(ReadAll(xdg.UserList()), c.after);
  }
  // No mimeapps.list at all, or a config folder that cannot exist: still silent and 0.
  Xdg xdg;
  std::string output;
  EXPECT_EQ(RunTxtassoc(xdg.dirs, "/uninstall", &output), 0);
  EXPECT_FALSE(fs::exists(xdg.UserList()));
  xdg.dirs.config_home = xdg.dir.Path() / "missing" / "deeper";
  EXPECT_EQ(RunTxtassoc(xdg.dirs, "/uninstall", &output), 0);
}

// What `xdg-mime query default text/plain` says with these XDG folders, or nothing without it.
std::optional<std::string> XdgMimeDefault(const XdgDirs& dirs) {
  if (std::system("command -v xdg-mime >/dev/null 2>&1") != 0) return std::nullopt;
  const fs::path out = dirs.data_home / "query.out";
  fs::create_directories(dirs.data_home);
  const std::string command = XdgEnvironment(dirs) + "xdg-mime query default text/plain >'" +
                              out.string() + "' 2>/dev/null";
  std::system(command.c_str());
  std::string answer = ReadAll(out);
  fs::remove(out);
  while (!answer.empty() && answer.back() == '\n') answer.pop_back();
  return answer;
}

TEST(TxtAssociationTest, AgreesWithXdgMime) {
  const Xdg xdg;
  WriteAll(xdg.dirs.data_home / "applications" / "cyrvert.desktop",
           "[Desktop Entry]\nType=Application\nName=X\nExec=true %f\nMimeType=text/plain;\n");
  WriteAll(xdg.UserList(),
           "[Added Associations]\ntext/plain=kate.desktop;\n\n[Default Applications]\n"
           "text/plain=kate.desktop\n");
  const TxtAssociation association = xdg.Association();

  for (const bool on : {true, false, true}) {
    SCOPED_TRACE(on);
    ASSERT_EQ(association.Apply(on), AssocResult::kWritten);
    EXPECT_EQ(association.IsAssociated(), on);
    const std::string want = on ? "cyrvert.desktop" : "kate.desktop";
    EXPECT_EQ(DefaultApplication(xdg.dirs, kTextPlainType)->desktop_id, want);
    if (std::optional<std::string> xdg_mime = XdgMimeDefault(xdg.dirs)) {
      EXPECT_EQ(*xdg_mime, want);
    }
  }
}

// The lists of the current desktops outrank mimeapps.list: the association is taken in the
// list that decides, given back there (also by txtassoc), and xdg-mime agrees at every step.
TEST(TxtAssociationTest, DesktopSpecificListsDecide) {
  constexpr std::string_view kKate = "[Default Applications]\ntext/plain=kate.desktop\n";
  constexpr std::string_view kGedit =
      "[Default Applications]\ntext/plain=org.gnome.gedit.desktop\n";
  struct File {
    std::string_view where;  // "user" or "system", then the list's name
    std::string_view name;
    std::string_view text;
  };
  struct Case {
    std::string_view name;
    std::vector<File> files;
    std::string_view before;   // the default before
    std::string_view written;  // the list the association is taken in
    bool by_txtassoc;          // given back by txtassoc rather than the editor
  };
  const Case kCases[] = {
      {"the user's desktop list outranks the user's plain list",
       {{"user", "gnome-mimeapps.list", kGedit}, {"user", "mimeapps.list", kKate}},
       "org.gnome.gedit.desktop",
       "gnome-mimeapps.list",
       false},
      {"the first desktop's list outranks the second's",
       {{"user", "x-test-mimeapps.list", kKate}, {"user", "gnome-mimeapps.list", kGedit}},
       "kate.desktop",
       "x-test-mimeapps.list",
       true},
      {"a system desktop list is outranked by the user's plain list",
       {{"system", "gnome-mimeapps.list", kGedit},
        {"user", "mimeapps.list", "[Added Associations]\n"}},
       "org.gnome.gedit.desktop",
       "mimeapps.list",
       true},
      {"a desktop list naming nothing installed does not decide",
       {{"user", "gnome-mimeapps.list", "[Default Applications]\ntext/plain=gone.desktop\n"},
        {"user", "mimeapps.list", kKate}},
       "kate.desktop",
       "mimeapps.list",
       false},
      {"no lists at all: the user's plain list", {}, "", "mimeapps.list", true},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const Xdg xdg({"x-test", "gnome"});
    WriteAll(xdg.dirs.data_home / "applications" / "cyrvert.desktop",
             "[Desktop Entry]\nType=Application\nName=X\nExec=true %f\n");
    for (const File& file : c.files) {
      const fs::path base = file.where == "user" ? xdg.dirs.config_home : xdg.dirs.config_dirs[0];
      WriteAll(base / file.name, file.text);
    }
    auto default_now = [&] {
      const std::optional<DefaultApp> app = DefaultApplication(xdg.dirs, kTextPlainType);
      const std::string id = app ? app->desktop_id : "";
      if (std::optional<std::string> xdg_mime = XdgMimeDefault(xdg.dirs)) {
        EXPECT_EQ(*xdg_mime, id);
      }
      return id;
    };
    // Everything but the list that decides stays as it was.
    auto others_kept = [&](std::string_view except) {
      for (const File& file : c.files) {
        if (file.where == "user" && file.name == except) continue;
        const fs::path base = file.where == "user" ? xdg.dirs.config_home : xdg.dirs.config_dirs[0];
        EXPECT_EQ(ReadAll(base / file.name), file.text) << file.name;
      }
    };
    ASSERT_EQ(default_now(), c.before);
    const TxtAssociation association = xdg.Association();
    EXPECT_FALSE(association.IsAssociated());

    ASSERT_EQ(association.Apply(true), AssocResult::kWritten);
    EXPECT_TRUE(association.IsAssociated());
    EXPECT_EQ(default_now(), "cyrvert.desktop");
    const std::optional<DefaultApp> taken = DefaultApplication(xdg.dirs, kTextPlainType);
    EXPECT_EQ(taken->source, xdg.UserList(c.written));
    others_kept(c.written);

    if (c.by_txtassoc) {
      std::string output;
      EXPECT_EQ(RunTxtassoc(xdg.dirs, "/uninstall", &output), 0);
    } else {
      EXPECT_EQ(association.Apply(false), AssocResult::kWritten);
    }
    EXPECT_FALSE(association.IsAssociated());
    EXPECT_EQ(default_now(), c.before);
    others_kept(c.written);
  }
}

// Giving back uncovers an older entry of ours in a list further down: that one goes too.
TEST(TxtAssociationTest, GivingBackClearsEveryListThatNamesUs) {
  const Xdg xdg({"gnome"});
  WriteAll(xdg.UserList("gnome-mimeapps.list"),
           "[Default Applications]\ntext/plain=cyrvert.desktop;\n");
  WriteAll(xdg.UserList(),
           "[Default Applications]\ntext/plain=cyrvert.desktop;\n\n[X-Cyrvert Previous Defaults]\n"
           "text/plain=kate.desktop\n");
  const TxtAssociation association = xdg.Association();
  ASSERT_TRUE(association.IsAssociated());
  EXPECT_EQ(association.Apply(false), AssocResult::kWritten);
  EXPECT_FALSE(association.IsAssociated());
  EXPECT_EQ(DefaultApplication(xdg.dirs, kTextPlainType)->desktop_id, "kate.desktop");
  EXPECT_EQ(ReadAll(xdg.UserList("gnome-mimeapps.list")), "[Default Applications]\n");

  // A system list that names the editor is not ours to change.
  const Xdg system({"gnome"});
  WriteAll(system.dirs.config_dirs[0] / "mimeapps.list",
           "[Default Applications]\ntext/plain=cyrvert.desktop;\n");
  EXPECT_TRUE(system.Association().IsAssociated());
  EXPECT_EQ(system.Association().Apply(false), AssocResult::kUnchanged);
  EXPECT_FALSE(fs::exists(system.UserList()));
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
