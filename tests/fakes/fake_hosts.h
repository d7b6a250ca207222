// Display-free stand-ins for the document windows and the application around the commands.
#pragma once

#include <functional>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "commands/command_host.h"

namespace cyrvert::test {

// A document window that records what the commands do to it.
class FakeDocument : public DocumentHost {
 public:
  FakeDocument(std::string text, std::string title)
      : m_text(std::move(text)), m_title(std::move(title)) {}
  std::string GetViewText() const override {
    if (m_throw_on_get) throw std::bad_alloc();
    return m_text;
  }
  bool PutViewText(std::string_view text) override {
    if (m_fail_put) {
      m_text.clear();
      return false;
    }
    m_text.assign(text);
    return true;
  }
  std::string Title() const override { return m_title; }
  void SetTitle(std::string_view title) override { m_title.assign(title); }
  void SetModified(bool modified) override { m_modified = modified; }
  void SetReadOnly(bool read_only) override { m_read_only = read_only; }
  void SetCloseAllowed(bool allowed) override { m_close_allowed = allowed; }
  void Redraw() override { ++m_redraws; }
  void CloseWindow() override { m_closed = true; }

  std::string m_text;
  std::string m_title;
  bool m_modified = true;  // a fresh window that nobody cleared counts as modified
  bool m_read_only = false;
  bool m_close_allowed = true;
  int m_redraws = 0;
  bool m_fail_put = false;      // PutViewText runs out of memory
  bool m_throw_on_get = false;  // GetViewText runs out of memory
  bool m_closed = false;
};

// One message box shown.
struct ShownMessage {
  std::string text;
  std::string caption;
  MessageIcon icon;
};

// The application: windows numbered like the editor's, messages and flags recorded.
class FakeHost : public CommandHost {
 public:
  DocumentHost* OpenNewDocumentWindow() override {
    if (m_fail_windows) return nullptr;
    m_windows.push_back(
        std::make_unique<FakeDocument>("", "Cyrvert" + std::to_string(m_next_number++)));
    m_windows.back()->m_fail_put = m_fail_puts;
    if (m_on_open) m_on_open(*this);
    return m_windows.back().get();
  }
  void ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon) override {
    m_messages.push_back({std::string(text), std::string(caption), icon});
    if (m_on_message) m_on_message(m_messages.back());
  }
  void Beep(int hertz, int milliseconds) override { m_beeps.push_back({hertz, milliseconds}); }
  const Settings& CurrentSettings() const override { return m_settings; }
  bool PumpPendingMessages() override {
    ++m_pumps;
    if (m_stop_requested) ++m_pumps_after_stop;
    return m_on_pump ? m_on_pump(*this) : true;
  }
  void PostQuit() override { ++m_quit_posts; }
  bool IsMinimised() const override { return m_minimised; }
  void SetEngineBusy(bool busy) override {
    m_busy = busy;
    m_busy_changes.push_back(busy);
  }
  bool StopRequested() const override { return m_stop_requested; }
  void ClearStopRequest() override { m_stop_requested = false; }
  void OpenProgress(int lower, int upper, int position) override {
    m_progress.push_back("open " + std::to_string(lower) + ".." + std::to_string(upper) + " " +
                         std::to_string(position));
  }
  void SetProgress(int position) override { m_progress.push_back(std::to_string(position)); }
  void CloseProgress() override { m_progress.push_back("close"); }
  void ShowVariantList(const std::vector<std::string>& previews,
                       const std::vector<Variant>& variants,
                       const std::function<void(const Variant&)>& open) override {
    ++m_variant_lists;
    m_list_previews = previews;
    m_list_variants = variants;
    if (m_on_variant_list) m_on_variant_list(open);
  }
  bool Allocate(std::string& block, std::size_t size) override {
    if (m_fail_allocations) return false;
    return CommandHost::Allocate(block, size);
  }

  FakeDocument& Window(std::size_t i) { return *m_windows.at(i); }

  Settings m_settings;
  bool m_minimised = false;
  bool m_busy = false;
  bool m_stop_requested = false;
  bool m_fail_allocations = false;  // Allocate refuses
  bool m_fail_puts = false;         // new windows cannot take a text
  bool m_fail_windows = false;      // no window can be opened
  int m_next_number = 2;
  int m_pumps = 0;
  int m_pumps_after_stop = 0;
  int m_quit_posts = 0;
  int m_variant_lists = 0;
  std::vector<std::unique_ptr<FakeDocument>> m_windows;
  std::vector<ShownMessage> m_messages;
  std::vector<std::pair<int, int>> m_beeps;
  std::vector<bool> m_busy_changes;
  std::vector<std::string> m_progress;
  std::vector<std::string> m_list_previews;
  std::vector<Variant> m_list_variants;
  std::function<bool(FakeHost&)> m_on_pump;
  std::function<void(FakeHost&)> m_on_open;
  std::function<void(const ShownMessage&)> m_on_message;
  std::function<void(const std::function<void(const Variant&)>&)> m_on_variant_list;
};

// Russian UTF-8 text as cp-1251 bytes (ASCII kept, other characters become '?').
inline std::string ToCp1251(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      out.push_back(static_cast<char>(lead));
      continue;
    }
    const auto next = i + 1 < utf8.size() ? static_cast<unsigned char>(utf8[i + 1]) : 0U;
    const unsigned code = ((lead & 0x1FU) << 6U) | (next & 0x3FU);
    ++i;
    if (code >= 0x410 && code <= 0x44F) {
      out.push_back(static_cast<char>(0xC0U + (code - 0x410U)));
    } else if (code == 0x401) {
      out.push_back(static_cast<char>(0xA8));
    } else if (code == 0x451) {
      out.push_back(static_cast<char>(0xB8));
    } else {
      out.push_back('?');
    }
  }
  return out;
}

// Ordinary Russian prose in cp-1251, a few hundred bytes long.
inline std::string RussianSample() {
  return ToCp1251(
      "Мы получили ваше письмо и сразу ответили на все вопросы, которые там были.\r\n"
      "Если что-то осталось непонятным, напишите нам снова, и мы постараемся помочь.\r\n"
      "Отправка товара состоится в понедельник, если погода не помешает нашим планам.\r\n"
      "Спасибо за терпение и за то, что выбрали именно нас. С уважением, отдел продаж.\r\n");
}

}  // namespace cyrvert::test
