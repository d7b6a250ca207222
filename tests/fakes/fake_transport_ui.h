// A display-free wait window, output choice, Save As dialog and file system for the import
// and export commands. Every call is logged in order, together with the host's messages.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "commands/transport_command.h"
#include "tests/fakes/fake_hosts.h"

namespace cyrvert::test {

class FakeTransportUi : public TransportUi {
 public:
  // Logs `host`'s messages in the same sequence as the calls made here.
  explicit FakeTransportUi(FakeHost& host) {
    host.m_on_message = [this](const ShownMessage& message) { Log("message " + message.caption); };
  }

  void OpenWaitWindow() override {
    m_wait_open = true;
    ++m_wait_windows;
    m_log.push_back("wait open");
  }
  void CloseWaitWindow() override {
    m_wait_open = false;
    m_log.push_back("wait close");
  }
  void RunConversion(const std::function<void()>& conversion) override {
    m_log.push_back("convert");
    if (m_fail_conversion) m_fail_conversion();
    conversion();
  }
  ResultTarget AskResultTarget() override {
    Log("ask target");
    return m_target;
  }
  std::optional<std::string> AskSavePath(std::string_view default_name) override {
    Log("ask path");
    m_default_names.emplace_back(default_name);
    return m_path;
  }
  SaveOutcome SaveText(const std::string& path, std::string_view text) override {
    m_log.push_back("save");
    if (!m_save_failure.empty()) return SaveOutcome{m_save_failure};
    m_files[path].assign(text);
    return {};
  }
  void UpdateAllViews(DocumentHost&) override { m_log.push_back("update views"); }

  // How many log entries were made while the wait window was shown and should not have been.
  int m_shown_over_wait = 0;

  ResultTarget m_target = ResultTarget::kNewWindow;   // the output-choice answer
  std::optional<std::string> m_path = "/tmp/result";  // the Save As answer
  std::string m_save_failure;                         // non-empty: saving fails so
  std::function<void()> m_fail_conversion;            // throws instead of converting
  bool m_wait_open = false;
  int m_wait_windows = 0;
  std::vector<std::string> m_log;
  std::vector<std::string> m_default_names;
  std::map<std::string, std::string> m_files;

 private:
  // A message or dialog: the wait window must be gone by then.
  void Log(std::string entry) {
    if (m_wait_open) ++m_shown_over_wait;
    m_log.push_back(std::move(entry));
  }
};

}  // namespace cyrvert::test
