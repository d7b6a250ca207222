#include "engine/commands/translate.h"

#include <algorithm>
#include <new>
#include <string>

#include "engine/code_page.h"
#include "resources/strings.h"

namespace cyrvert {
namespace detail {
namespace {

// Takes `view`'s text into a block of its own; a status other than 0 says why not, and the
// message has been shown.
int CopyViewText(DocumentHost& view, CommandHost& host, std::string& block) {
  const auto no_memory = [&host] {
    host.ShowMessage(strings::kNotEnoughMemory, strings::kAppTitle, MessageIcon::kStop);
    return kStatusNoMemory;
  };
  try {
    const std::string text = view.GetViewText();
    if (text.empty()) {
      host.ShowMessage(strings::kNoText, strings::kAppTitle, MessageIcon::kStop);
      return kStatusNoText;
    }
    if (!host.Allocate(block, text.size())) return no_memory();
    std::copy(text.begin(), text.end(), block.begin());
  } catch (const std::bad_alloc&) {
    return no_memory();
  }
  return kStatusDone;
}

// Shows `block` in a new, unmodified window titled with its own title and `suffix`.
int OpenResultWindow(CommandHost& host, const std::string& block, std::string_view suffix) {
  DocumentHost* window = host.OpenNewDocumentWindow();
  if (window == nullptr) {
    host.ShowMessage(strings::kNotEnoughMemory, strings::kAppTitle, MessageIcon::kStop);
    return kStatusNoMemory;
  }
  if (!window->PutViewText(block)) {
    window->CloseWindow();
    host.ShowMessage(strings::kNotEnoughMemory, strings::kAppTitle, MessageIcon::kStop);
    return kStatusNoMemory;
  }
  if (!suffix.empty()) window->SetTitle(window->Title() + std::string(suffix));
  window->SetModified(false);
  window->Redraw();
  return kStatusDone;
}

}  // namespace
}  // namespace detail

int TranslateText(DocumentHost& view, CommandHost& host, int conversion) {
  if (conversion < 0 || conversion >= kConversionCount) return kStatusBadConversion;
  std::string block;
  if (const int status = detail::CopyViewText(view, host, block); status != kStatusDone) {
    return status;
  }
  ConvertHighHalf(block.data(), block.size(), conversion);
  const std::string_view suffix =
      host.CurrentSettings().ShowTranslateWay != 0 ? ConversionTargetTag(conversion) : "";
  return detail::OpenResultWindow(host, block, suffix);
}

int SetEighthBit(DocumentHost& view, CommandHost& host) {
  std::string block;
  if (const int status = detail::CopyViewText(view, host, block); status != kStatusDone) {
    return status;
  }
  for (char& byte : block) byte = static_cast<char>(static_cast<unsigned char>(byte) | 0x80U);
  return detail::OpenResultWindow(host, block, "");
}

}  // namespace cyrvert
