// repair --in-place run by two processes at once, or while someone replaces the file, or
// ended by a signal: each run is held at a point of its work by a hook, never by sleeping.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/repair_command.h"
#include "cli_runner.h"

namespace cyrvert::test {
namespace {

namespace fs = std::filesystem;
using cli::RepairEvent;

// A one-way channel between processes: one byte per message.
class Channel {
 public:
  Channel() { EXPECT_EQ(::pipe(m_fds), 0); }
  ~Channel() {
    ::close(m_fds[0]);
    ::close(m_fds[1]);
  }
  void Send(char message) const { EXPECT_EQ(::write(m_fds[1], &message, 1), 1); }
  char Receive() const {
    char message = 0;
    return ::read(m_fds[0], &message, 1) == 1 ? message : '\0';
  }

 private:
  int m_fds[2] = {-1, -1};
};

// Runs `repair ARGS` in a child process with `hook`; its output goes nowhere.
pid_t StartRepair(std::vector<std::string> args, cli::RepairHook hook) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  const int null = ::open("/dev/null", O_WRONLY);
  cli::Invocation call;
  for (std::string& arg : args) {
    if (arg.rfind("--", 0) == 0) {
      call.options.emplace_back(arg, std::string());
    } else {
      call.operands.push_back(arg);
    }
  }
  cli::Output out(null);
  std::ostringstream err;
  const int status = cli::RunRepairWith(call, out, err, hook);
  out.Flush();
  ::_exit(status);
}

// A hook that holds the run at `event`: it says so on `ready`, then waits for word on `go`.
cli::RepairHook HoldAt(RepairEvent event, const Channel& ready, const Channel& go) {
  return [event, &ready, &go](RepairEvent now, const std::string&) {
    if (now != event) return;
    ready.Send('r');
    go.Receive();
  };
}

int ExitStatus(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(CliRepairRace, TwoRunsOnOneFileKeepTheOriginal) {
  const fs::path dir = Scratch("race_two_runs");
  const fs::path file = dir / "a.txt";
  fs::copy_file(Sample("utf8-U8.txt"), file);
  const std::string original = ReadFile(file.string());
  Channel first_ready;
  Channel first_go;
  Channel second_news;
  // The first run has written its result and waits before the backup and the rename.
  const pid_t first = StartRepair({"--in-place", file.string()},
                                  HoldAt(RepairEvent::kWritten, first_ready, first_go));
  ASSERT_EQ(first_ready.Receive(), 'r');
  // The second run either waits for the first one's lock, or (without a lock) reads the
  // original too.
  const pid_t second =
      StartRepair({"--in-place", file.string()}, [&](RepairEvent event, const std::string&) {
        if (event == RepairEvent::kWaiting) second_news.Send('w');
        if (event == RepairEvent::kAnalysed) second_news.Send('a');
      });
  const char news = second_news.Receive();
  EXPECT_EQ(news, 'w') << "the second run read the file while the first held it";
  if (news == 'a') {
    EXPECT_EQ(ExitStatus(second), 0);  // let it finish first: the worst case
  }
  first_go.Send('g');
  EXPECT_EQ(ExitStatus(first), 0);
  if (news == 'w') {
    EXPECT_EQ(ExitStatus(second), 0);
  }
  EXPECT_EQ(ReadFile(file.string()), ReadFile(Sample("win-none.txt")));
  EXPECT_EQ(ReadFile((dir / "a.txt.bak").string()), original);
  EXPECT_EQ(Names(dir), (std::vector<std::string>{"a.txt", "a.txt.bak"}));
}

TEST(CliRepairRace, AFileReplacedWhileItIsRepairedIsLeftAlone) {
  const fs::path dir = Scratch("race_replaced");
  const fs::path file = dir / "a.txt";
  fs::copy_file(Sample("utf8-U8.txt"), file);
  Channel ready;
  Channel go;
  const pid_t run =
      StartRepair({"--in-place", file.string()}, HoldAt(RepairEvent::kWritten, ready, go));
  ASSERT_EQ(ready.Receive(), 'r');
  // An editor that knows nothing of the lock saves the file meanwhile.
  WriteFile((dir / "saved").string(), "the user's newer text");
  fs::rename(dir / "saved", file);
  go.Send('g');
  EXPECT_EQ(ExitStatus(run), 2);
  EXPECT_EQ(ReadFile(file.string()), "the user's newer text");
  EXPECT_EQ(Names(dir), std::vector<std::string>{"a.txt"});
}

TEST(CliRepairRace, ASignalLeavesNoTemporaryFile) {
  for (const int signal_number : {SIGINT, SIGTERM}) {
    const fs::path dir = Scratch("race_signal_" + std::to_string(signal_number));
    const fs::path file = dir / "a.txt";
    fs::copy_file(Sample("utf8-U8.txt"), file);
    const std::string original = ReadFile(file.string());
    Channel ready;
    Channel never;
    const pid_t run =
        StartRepair({"--in-place", file.string()}, HoldAt(RepairEvent::kWritten, ready, never));
    ASSERT_EQ(ready.Receive(), 'r');
    EXPECT_EQ(Names(dir).size(), 2u) << "the result waits beside the file";
    ::kill(run, signal_number);
    EXPECT_EQ(ExitStatus(run), 128 + signal_number);
    EXPECT_EQ(Names(dir), std::vector<std::string>{"a.txt"});
    EXPECT_EQ(ReadFile(file.string()), original);
  }
}

TEST(CliRepairRace, JsonRecordsComeAsEachFileIsDone) {
  const fs::path dir = Scratch("race_json");
  fs::copy_file(Sample("w2k-K2W.txt"), dir / "a.txt");
  fs::copy_file(Sample("win-none.txt"), dir / "b.txt");
  int pipe_fds[2];
  ASSERT_EQ(::pipe(pipe_fds), 0);
  ::fcntl(pipe_fds[0], F_SETFL, O_NONBLOCK);
  cli::Invocation call;
  call.options = {{"--json", ""}};
  call.operands = {(dir / "a.txt").string(), (dir / "b.txt").string()};
  cli::Output out(pipe_fds[1]);
  std::ostringstream err;
  std::string before_second;
  cli::RunRepairWith(call, out, err, [&](RepairEvent event, const std::string& file) {
    if (event != RepairEvent::kOpening || file != call.operands[1]) return;
    char buffer[4096];
    const ssize_t got = ::read(pipe_fds[0], buffer, sizeof buffer);
    if (got > 0) before_second.assign(buffer, static_cast<std::size_t>(got));
  });
  EXPECT_NE(before_second.find("a.txt\",\"verdict\":\"repaired\""), std::string::npos)
      << before_second;
  EXPECT_EQ(before_second.find("b.txt"), std::string::npos);
  ::close(pipe_fds[0]);
  ::close(pipe_fds[1]);
}

}  // namespace
}  // namespace cyrvert::test
