// mimeapps.list parsing: any accepted text comes back byte for byte, and changing our entries
// keeps every other line and stays parsable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "assoc/mimeapps.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::optional<cyrvert::KeyFile> file = cyrvert::KeyFile::Parse(text);
  if (!file) return 0;
  if (file->Text() != text) std::abort();
  file->SetValue("Default Applications", "text/plain", "cyrvert.desktop;");
  file->SetValue("X-Cyrvert Previous Defaults", "text/plain", "");
  std::optional<cyrvert::KeyFile> again = cyrvert::KeyFile::Parse(file->Text());
  if (!again) std::abort();
  if (again->Value("Default Applications", "text/plain") != "cyrvert.desktop;") std::abort();
  if (again->Text() != file->Text()) std::abort();
  again->RemoveValue("Default Applications", "text/plain");
  if (!cyrvert::KeyFile::Parse(again->Text())) std::abort();
  return 0;
}
