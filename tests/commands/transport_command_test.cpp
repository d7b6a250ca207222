#include "commands/transport_command.h"

#include <gtest/gtest.h>

#include <new>
#include <vector>

#include "resources/strings.h"
#include "tests/fakes/fake_transport_ui.h"
#include "transport/transport_commands.h"

namespace cyrvert {
namespace {

using test::FakeDocument;
using test::FakeHost;
using test::FakeTransportUi;
using Id = TransportCommandId;

// One command run on `text` with fakes all round.
struct CommandRun {
  explicit CommandRun(std::string text, std::string title = "Cyrvert1")
      : doc(std::move(text), std::move(title)), ui(host) {}

  EngineStatus operator()(Id id) {
    const std::string before = doc.m_text;
    const EngineStatus status = TransportCommand(id, doc, host, ui);
    // Whatever happened: the source is untouched, and the wait window never stood over a
    // message or dialog and is gone.
    EXPECT_EQ(doc.m_text, before);
    EXPECT_EQ(ui.m_shown_over_wait, 0);
    EXPECT_FALSE(ui.m_wait_open);
    return status;
  }
  // The one message shown, or an empty one.
  test::ShownMessage Message() const {
    EXPECT_EQ(host.m_messages.size(), 1U);
    return host.m_messages.empty() ? test::ShownMessage{} : host.m_messages[0];
  }

  FakeHost host;
  FakeDocument doc;
  FakeTransportUi ui;
};

std::string Bytes(std::string_view text) { return std::string(text); }

TEST(TransportCommand, EachCommandPutsItsConversionInOneUnmodifiedWindow) {
  struct Case {
    Id id;
    std::string in;
    std::string want;
  };
  const std::string prose = test::RussianSample();
  const Case cases[] = {
      {ImportFrom(TransportFormat::kUtf7), "Hi +BB8EQAQ4BDIENQRC-", "Hi \xCF\xF0\xE8\xE2\xE5\xF2"},
      {ImportFrom(TransportFormat::kUtf8), "\xD0\x9F\xD1\x80 ok", "\xCF\xF0 ok"},
      {ImportFrom(TransportFormat::kQuotedPrintable), "a=3D=C0=\r\nb\r\n",
       "a=\xC0"
       "b\r\n"},
      {ImportFrom(TransportFormat::kBase64), "z/Do4uXy", "\xCF\xF0\xE8\xE2\xE5\xF2"},
      {ImportFrom(TransportFormat::kUu), "begin 644 a.txt\n#86)C\n`\nend\n", "abc"},
      {ImportFrom(TransportFormat::kUnix), "a\nb\r\nc\r", "a\r\nb\r\nc\r"},
      {ExportTo(TransportFormat::kUtf7), prose, ExportText(TransportFormat::kUtf7, prose)},
      {ExportTo(TransportFormat::kUtf8), prose, ExportText(TransportFormat::kUtf8, prose)},
      {ExportTo(TransportFormat::kQuotedPrintable), prose,
       ExportText(TransportFormat::kQuotedPrintable, prose)},
      {ExportTo(TransportFormat::kBase64), Bytes(std::string_view("\0\xFF\r\n", 4)),
       ExportText(TransportFormat::kBase64, std::string_view("\0\xFF\r\n", 4))},
      {ExportTo(TransportFormat::kUu), prose, ExportText(TransportFormat::kUu, prose, "Cyrvert1")},
      {ExportTo(TransportFormat::kUnix), "a\r\nb\r\r\n\n", "a\nb\r\n\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    CommandRun run(c.in);
    run.host.m_settings.Import = 1;
    run.ui.m_target = ResultTarget::kNewWindow;  // the UTF-8 export asks every time

    EXPECT_EQ(run(c.id), EngineStatus::kDone);

    ASSERT_EQ(run.host.m_windows.size(), 1U);
    EXPECT_EQ(run.host.Window(0).m_text, c.want);
    EXPECT_FALSE(run.host.Window(0).m_modified);
    EXPECT_TRUE(run.host.m_messages.empty());
    EXPECT_EQ(run.ui.m_wait_windows, 1);
    EXPECT_EQ(run.ui.m_log.back(), "update views");
    EXPECT_TRUE(run.ui.m_files.empty());
  }
}

TEST(TransportCommand, ImportSettingChoosesWhereMimeImportsGo) {
  struct Case {
    std::string_view name;
    int import;
    ResultTarget answer;               // the output-choice dialog's answer, when asked
    std::optional<std::string> path;   // the Save As dialog's answer
    std::vector<std::string> dialogs;  // dialogs shown, in order
    EngineStatus status;
    bool window;
    bool file;
  };
  const Case cases[] = {
      {"0: file at once",
       0,
       ResultTarget::kNewWindow,
       "/tmp/x",
       {"ask path"},
       EngineStatus::kDone,
       false,
       true},
      {"1: window at once", 1, ResultTarget::kFile, "/tmp/x", {}, EngineStatus::kDone, true, false},
      {"2: asked, file",
       2,
       ResultTarget::kFile,
       "/tmp/x",
       {"ask target", "ask path"},
       EngineStatus::kDone,
       false,
       true},
      {"2: asked, window",
       2,
       ResultTarget::kNewWindow,
       "/tmp/x",
       {"ask target"},
       EngineStatus::kDone,
       true,
       false},
      {"2: asked, cancelled",
       2,
       ResultTarget::kCancelled,
       "/tmp/x",
       {"ask target"},
       EngineStatus::kCancelled,
       false,
       false},
      {"0: Save As cancelled",
       0,
       ResultTarget::kNewWindow,
       std::nullopt,
       {"ask path"},
       EngineStatus::kCancelled,
       false,
       false},
      {"2: file, Save As cancelled",
       2,
       ResultTarget::kFile,
       std::nullopt,
       {"ask target", "ask path"},
       EngineStatus::kCancelled,
       false,
       false},
      {"3: out of range",
       3,
       ResultTarget::kFile,
       "/tmp/x",
       {},
       EngineStatus::kCancelled,
       false,
       false},
      {"-1: out of range",
       -1,
       ResultTarget::kFile,
       "/tmp/x",
       {},
       EngineStatus::kCancelled,
       false,
       false},
  };
  for (const Id id :
       {ImportFrom(TransportFormat::kBase64), ImportFrom(TransportFormat::kQuotedPrintable),
        ImportFrom(TransportFormat::kUu)}) {
    const std::string in = id == ImportFrom(TransportFormat::kUu)
                               ? "begin 644 a.txt\n#86)C\n`\nend\n"
                           : id == ImportFrom(TransportFormat::kBase64) ? "YWJj"
                                                                        : "abc";
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + " / " + in);
      CommandRun run(in);
      run.host.m_settings.Import = c.import;
      run.ui.m_target = c.answer;
      run.ui.m_path = c.path;

      EXPECT_EQ(run(id), c.status);

      std::vector<std::string> dialogs;
      for (const std::string& entry : run.ui.m_log) {
        if (entry.starts_with("ask")) dialogs.push_back(entry);
      }
      EXPECT_EQ(dialogs, c.dialogs);
      EXPECT_EQ(run.host.m_windows.size(), c.window ? 1U : 0U);
      if (c.window) {
        EXPECT_EQ(run.host.Window(0).m_text, "abc");
      }
      if (c.file) {
        EXPECT_EQ(run.ui.m_files, (std::map<std::string, std::string>{{"/tmp/x", "abc"}}));
      } else {
        EXPECT_TRUE(run.ui.m_files.empty());
      }
      if (c.status == EngineStatus::kCancelled) {
        const auto message = run.Message();
        EXPECT_EQ(message.text, strings::kImportCanceled);
        EXPECT_EQ(message.caption, strings::kImportCanceledCaption);
        EXPECT_EQ(message.icon, MessageIcon::kStop);
      } else {
        EXPECT_TRUE(run.host.m_messages.empty());
      }
    }
  }
}

TEST(TransportCommand, Utf8ExportAlwaysAsksAndHasItsOwnCancelMessage) {
  struct Case {
    int import;
    ResultTarget answer;
    std::optional<std::string> path;
    EngineStatus status;
  };
  const Case cases[] = {
      {1, ResultTarget::kCancelled, "/tmp/x", EngineStatus::kCancelled},
      {0, ResultTarget::kNewWindow, "/tmp/x", EngineStatus::kDone},
      {7, ResultTarget::kFile, "/tmp/x", EngineStatus::kDone},
      {2, ResultTarget::kFile, std::nullopt, EngineStatus::kCancelled},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.import);
    CommandRun run("\xCF\xF0");
    run.host.m_settings.Import = c.import;
    run.ui.m_target = c.answer;
    run.ui.m_path = c.path;

    EXPECT_EQ(run(ExportTo(TransportFormat::kUtf8)), c.status);

    EXPECT_EQ(run.ui.m_log.at(3), "ask target");  // wait open, convert, wait close, ask
    if (c.status == EngineStatus::kCancelled) {
      EXPECT_EQ(run.Message().text, strings::kUtf8ExportCanceled);
      EXPECT_EQ(run.Message().caption, strings::kUtf8ExportCanceledCaption);
      EXPECT_TRUE(run.host.m_windows.empty());
      EXPECT_TRUE(run.ui.m_files.empty());
    } else if (c.answer == ResultTarget::kFile) {
      EXPECT_EQ(run.ui.m_files.at("/tmp/x"), ExportText(TransportFormat::kUtf8, "\xCF\xF0"));
    } else {
      EXPECT_EQ(run.host.Window(0).m_text, ExportText(TransportFormat::kUtf8, "\xCF\xF0"));
    }
  }
}

TEST(TransportCommand, DecodeErrorsShowTheirMessageAndOpenNothing) {
  struct Case {
    Id id;
    std::string in;
    std::string_view text;
    std::string_view caption;
  };
  const Case cases[] = {
      {ImportFrom(TransportFormat::kUtf7), "abc \xC0", strings::kUtf7DecodeError,
       strings::kUtf7DecodeCaption},
      {ImportFrom(TransportFormat::kUtf8), "abc \x80", strings::kUtf8DecodeError,
       strings::kUtf8DecodeCaption},
      {ImportFrom(TransportFormat::kQuotedPrintable), "a=G1", strings::kQpDecodeError,
       strings::kQpDecodeCaption},
      {ImportFrom(TransportFormat::kBase64), "@@@@", strings::kBase64DecodeError,
       strings::kBase64DecodeCaption},
      {ImportFrom(TransportFormat::kUu), "no begin line", strings::kUuDecodeError,
       strings::kUuDecodeCaption},
      // A begin line must name the file the data is for.
      {ImportFrom(TransportFormat::kUu), "begin 644\n#86)C\n`\nend\n", strings::kUuDecodeError,
       strings::kUuDecodeCaption},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    CommandRun run(c.in);
    run.host.m_settings.Import = 2;

    EXPECT_EQ(run(c.id), EngineStatus::kDecodeFailed);

    const auto message = run.Message();
    EXPECT_EQ(message.text, c.text);
    EXPECT_EQ(message.caption, c.caption);
    EXPECT_EQ(message.icon, MessageIcon::kStop);
    EXPECT_TRUE(run.host.m_windows.empty());
    EXPECT_EQ(run.ui.m_log, (std::vector<std::string>{"wait open", "convert", "wait close",
                                                      "message " + std::string(c.caption)}));
  }
}

TEST(TransportCommand, EmptyViewSaysSoForEveryCommand) {
  std::vector<Id> ids;
  for (const TransportFormatInfo& format : TransportFormats()) {
    ids.push_back(ImportFrom(format.format));
    ids.push_back(ExportTo(format.format));
  }
  for (const Id id : ids) {
    CommandRun run("");
    EXPECT_EQ(run(id), EngineStatus::kNoText);
    EXPECT_EQ(run.Message().text, strings::kNoText);
    EXPECT_EQ(run.Message().caption, strings::kAppTitle);
    EXPECT_TRUE(run.host.m_windows.empty());
  }
}

TEST(TransportCommand, MinimisedMainWindowShowsNoWaitWindow) {
  CommandRun run("z/Do4uXy");
  run.host.m_minimised = true;
  run.host.m_settings.Import = 1;

  EXPECT_EQ(run(ImportFrom(TransportFormat::kBase64)), EngineStatus::kDone);

  EXPECT_EQ(run.ui.m_wait_windows, 0);
  EXPECT_EQ(run.host.Window(0).m_text, "\xCF\xF0\xE8\xE2\xE5\xF2");
}

TEST(TransportCommand, UudecodeNamesTheWindowAndProposesTheFileName) {
  struct Case {
    std::string name;          // on the begin line, cp-1251
    std::string title;         // of the new window, UTF-8
    std::string default_name;  // proposed by Save As, UTF-8
  };
  const Case cases[] = {
      {"a.txt", "a.txt", "a.txt"},
      {"\xCF\xE8\xF1\xFC\xEC\xEE.txt", "Письмо.txt", "Письмо.txt"},
      // A path on the begin line names the window but leads the dialog nowhere.
      {"../../home/x/.profile", "../../home/x/.profile", ".profile"},
      {"C:\\TEMP\\b.doc", "C:\\TEMP\\b.doc", "b.doc"},
      {"..", "..", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    const std::string in = "begin 644 " + c.name + "\r\n#86)C\r\n`\r\nend\r\n";
    for (const int import : {0, 1}) {
      CommandRun run(in);
      run.host.m_settings.Import = import;
      EXPECT_EQ(run(ImportFrom(TransportFormat::kUu)), EngineStatus::kDone);
      if (import == 1) {
        EXPECT_EQ(run.host.Window(0).m_title, c.title);
        EXPECT_FALSE(run.host.Window(0).m_modified);
      } else {
        EXPECT_EQ(run.ui.m_default_names, std::vector<std::string>{c.default_name});
      }
    }
  }
  // Other imports propose no name.
  CommandRun run("YWJj");
  run.host.m_settings.Import = 0;
  run(ImportFrom(TransportFormat::kBase64));
  EXPECT_EQ(run.ui.m_default_names, std::vector<std::string>{""});
}

TEST(TransportCommand, UuencodeWritesTheTitleInTheTextsCodePage) {
  CommandRun run("abc", "Письмо.txt");
  EXPECT_EQ(run(ExportTo(TransportFormat::kUu)), EngineStatus::kDone);
  EXPECT_NE(run.host.Window(0).m_text.find("begin 644 \xCF\xE8\xF1\xFC\xEC\xEE.txt\r\n"),
            std::string::npos);
}

TEST(TransportCommand, SaveFailureNamesTheFileAndTheReason) {
  CommandRun run("YWJj");
  run.host.m_settings.Import = 0;
  run.ui.m_path = "/no/such/dir/out.txt";
  run.ui.m_save_failure = "No such file or directory";

  EXPECT_EQ(run(ImportFrom(TransportFormat::kBase64)), EngineStatus::kSaveFailed);

  const auto message = run.Message();
  EXPECT_EQ(message.text, std::string(strings::kSaveResultFailed) +
                              "\n/no/such/dir/out.txt\nNo such file or directory");
  EXPECT_EQ(message.icon, MessageIcon::kStop);
  EXPECT_TRUE(run.host.m_windows.empty());
}

// A host that cannot make a window.
struct NoWindowHost : FakeHost {
  DocumentHost* OpenNewDocumentWindow() override { return nullptr; }
};

TEST(TransportCommand, NoMemoryForTheConversionOrTheWindow) {
  CommandRun run("\xCF\xF0");
  run.ui.m_fail_conversion = [] { throw std::bad_alloc(); };
  EXPECT_EQ(run(ExportTo(TransportFormat::kBase64)), EngineStatus::kNoMemory);
  EXPECT_EQ(run.Message().text, strings::kNotEnoughMemory);
  EXPECT_TRUE(run.host.m_windows.empty());

  NoWindowHost host;
  FakeTransportUi ui(host);
  FakeDocument doc("\xCF\xF0", "Cyrvert1");
  EXPECT_EQ(TransportCommand(ExportTo(TransportFormat::kBase64), doc, host, ui),
            EngineStatus::kNoMemory);
  ASSERT_EQ(host.m_messages.size(), 1U);
  EXPECT_EQ(host.m_messages[0].text, strings::kNotEnoughMemory);
  EXPECT_EQ(ui.m_shown_over_wait, 0);
  EXPECT_FALSE(ui.m_wait_open);

  // A window that cannot take the result is closed again, with the same message.
  CommandRun full("\xCF\xF0");
  full.host.m_fail_puts = true;
  EXPECT_EQ(full(ExportTo(TransportFormat::kBase64)), EngineStatus::kNoMemory);
  EXPECT_EQ(full.Message().text, strings::kNotEnoughMemory);
  ASSERT_EQ(full.host.m_windows.size(), 1U);
  EXPECT_TRUE(full.host.m_windows[0]->m_closed);
  EXPECT_FALSE(full.ui.m_wait_open);
}

TEST(TransportCommand, AutoOnlySaysSorry) {
  CommandRun run("anything");
  EXPECT_EQ(AutoImportCommand(run.host), EngineStatus::kNotImplemented);
  const auto message = run.Message();
  EXPECT_EQ(message.text, strings::kNotImplemented);
  EXPECT_EQ(message.caption, strings::kNotImplementedCaption);
  EXPECT_EQ(message.icon, MessageIcon::kExclamation);
  EXPECT_EQ(run.ui.m_wait_windows, 0);
  EXPECT_TRUE(run.host.m_windows.empty());
}

}  // namespace
}  // namespace cyrvert
