// The .txt association: whether plain-text files open with this program, taking that over and
// giving it back. Lives in the user's mimeapps.list files: the default application of
// text/plain, and the one it replaced in a group of ours in the same file.
#pragma once

#include <string>
#include <string_view>

#include "assoc/mimeapps.h"

namespace cyrvert {

// The desktop entry of the editor: the handler that the association installs.
inline constexpr std::string_view kCyrvertDesktopId = "cyrvert.desktop";
// The MIME type of .txt files.
inline constexpr std::string_view kTextPlainType = "text/plain";
// The group of mimeapps.list that names default applications.
inline constexpr std::string_view kDefaultAppsGroup = "Default Applications";
// Our group that keeps the default we replaced, so that it can be given back.
inline constexpr std::string_view kPreviousDefaultsGroup = "X-Cyrvert Previous Defaults";

// What an association change did.
enum class AssocResult {
  kUnchanged,    // the file already agreed, or the association is another program's
  kWritten,      // the file was changed
  kUnusable,     // the file could not be read or parsed; left untouched
  kWriteFailed,  // the new file could not be written; the old one stands
};

// Names each result for diagnostics.
std::string_view AssocResultName(AssocResult result);

// The association as the freedesktop lists decide it: a desktop-specific list of the user
// ("gnome-mimeapps.list") outranks mimeapps.list, so the change is made in the list that
// decides, and given back there.
class TxtAssociation {
 public:
  explicit TxtAssociation(XdgDirs dirs);

  // True when the default application of text/plain is the editor's desktop entry, found as
  // xdg-mime finds it (the editor's entry counts as installed).
  bool IsAssociated() const;
  // Makes the lists agree with `associated`: taking over stores the previous default, giving
  // back restores it (or removes our entry when there was none).
  AssocResult Apply(bool associated) const;
  // Gives the association back only while the editor holds it: the uninstall step.
  AssocResult Uninstall() const;

 private:
  // Gives back in each of the user's lists that makes the editor the default, in order.
  AssocResult GiveBack() const;

  XdgDirs m_dirs;
};

// The command-line text after the program name as one string, leading blanks and control
// characters skipped (the arguments joined by single blanks).
std::string CommandTail(int argc, const char* const* argv);

}  // namespace cyrvert
