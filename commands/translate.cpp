#include "commands/translate.h"

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
EngineStatus CopyViewText(DocumentHost& view, CommandHost& host, std::string& block) {
  const auto no_memory = [&host] {
    host.ShowMessage(strings::kNotEnoughMemory, strings::kAppTitle, MessageIcon::kStop);
    return EngineStatus::kNoMemory;
  };
  try {
    const std::string text = view.GetViewText();
    if (text.empty()) {
      host.ShowMessage(strings::kNoText, strings::kAppTitle, MessageIcon::kStop);
      return EngineStatus::kNoText;
    }
    if (!host.Allocate(block, text.size())) return no_memory();
    std::copy(text.begin(), text.end(), block.begin());
  } catch (const std::bad_alloc&) {
    return no_memory();
  }
  return EngineStatus::kDone;
}

// Shows `block` in a new, unmodified window titled with its own title and `suffix`.
EngineStatus OpenResultWindow(CommandHost& host, const std::string& block,
                              std::string_view suffix) {
  DocumentHost* window = host.OpenNewDocumentWindow();
  if (window == nullptr) {
    host.ShowMessage(strings::kNotEnoughMemory, strings::kAppTitle, MessageIcon::kStop);
    return EngineStatus::kNoMemory;
  }
  if (!window->PutViewText(block)) {
    window->CloseWindow();
    host.ShowMessage(strings::kNotEnoughMemory, strings::kAppTitle, MessageIcon::kStop);
    return EngineStatus::kNoMemory;
  }
  if (!suffix.empty()) window->SetTitle(window->Title() + std::string(suffix));
  window->SetModified(false);
  window->Redraw();
  return EngineStatus::kDone;
}

}  // namespace
}  // namespace detail

EngineStatus TranslateText(DocumentHost& view, CommandHost& host, int conversion) {
  if (conversion < 0 || conversion >= kConversionCount) return EngineStatus::kBadConversion;
  std::string block;
  if (const EngineStatus status = detail::CopyViewText(view, host, block);
      status != EngineStatus::kDone) {
    return status;
  }
  ConvertHighHalf(block.data(), block.size(), conversion);
  const std::string_view suffix =
      host.CurrentSettings().ShowTranslateWay != 0 ? ConversionTargetTag(conversion) : "";
  return detail::OpenResultWindow(host, block, suffix);
}

EngineStatus SetEighthBit(DocumentHost& view, CommandHost& host) {
  std::string block;
  if (const EngineStatus status = detail::CopyViewText(view, host, block);
      status != EngineStatus::kDone) {
    return status;
  }
  for (char& byte : block) byte = static_cast<char>(static_cast<unsigned char>(byte) | 0x80U);
  return detail::OpenResultWindow(host, block, "");
}

}  // namespace cyrvert
