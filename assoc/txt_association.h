// The .txt association: whether plain-text files open with this program, taking that over and
// giving it back. Lives in the user's mimeapps.list: the default application of text/plain,
// and the one it replaced in a group of ours.
#pragma once

#include <filesystem>
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

// The association as one mimeapps.list holds it.
class TxtAssociation {
 public:
  explicit TxtAssociation(std::filesystem::path mimeappsList);

  // True when the default application of text/plain is the editor's desktop entry.
  bool IsAssociated() const;
  // Makes the file agree with `associated`: taking over stores the previous default, giving
  // back restores it (or removes our entry when there was none).
  AssocResult Apply(bool associated) const;
  // Gives the association back only while the editor holds it: the uninstall step.
  AssocResult Uninstall() const;

  const std::filesystem::path& Path() const { return m_path; }

 private:
  // Puts the stored previous default back, or removes our entry.
  AssocResult GiveBack(KeyFile& file) const;

  std::filesystem::path m_path;
};

// The command-line text after the program name as one string, leading blanks and control
// characters skipped (the arguments joined by single blanks).
std::string CommandTail(int argc, const char* const* argv);

}  // namespace cyrvert
