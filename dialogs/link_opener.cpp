#include "dialogs/link_opener.h"

#include <QProcess>
#include <QRegularExpression>
#include <array>

namespace cyrvert {

void OpenTarget(LinkOpener& opener, const QString& target, OpenDone done) {
  opener.ShellOpen(target, [&opener, target, done = std::move(done)](int shell) {
    if (shell >= kOpenSucceeded) return done(shell);
    const std::optional<QString> handler = opener.WebPageHandlerCommand();
    if (!handler) return done(shell);
    const QStringList command = HandlerCommand(*handler, target);
    if (command.isEmpty()) return done(shell);
    done(opener.Start(command.front(), command.mid(1)));
  });
}

QStringList HandlerCommand(const QString& execLine, const QString& target) {
  // The field codes that stand for the file or URL to open.
  static const QRegularExpression kQuoted(QStringLiteral("\"%[uUfF]\""));
  static const QRegularExpression kBare(QStringLiteral("%[uUfF]"));
  QString line = execLine;
  QRegularExpressionMatch match = kQuoted.match(line);
  if (!match.hasMatch()) match = kBare.match(line);
  if (match.hasMatch()) line.truncate(match.capturedStart());

  QStringList command;
  for (QString& word : QProcess::splitCommand(line)) {
    // Other field codes (icon, name, location) have nothing to stand for here.
    if (word.size() == 2 && word.front() == '%' && word.back() != '%') continue;
    command.append(word.replace(QStringLiteral("%%"), QStringLiteral("%")));
  }
  if (command.isEmpty()) return {};
  command.append(target);
  return command;
}

QString OpenErrorText(int code) {
  struct Entry {
    int code;
    const char* text;
  };
  static constexpr std::array<Entry, 13> kTexts = {{
      {0, "The operating system is out\nof memory or resources."},
      {2, "The specified file was not found."},
      {3, "The specified path was not found."},
      {5, "The operating system denied\naccess to the specified file."},
      {8, "There was not enough memory to complete the operation."},
      {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
      {26, "A sharing violation occurred. "},
      {27, "The filename association is\nincomplete or invalid."},
      {28, "The DDE transaction could not\nbe completed because the request timed out."},
      {29, "The DDE transaction failed."},
      {30,
       "The DDE transaction could not\nbe completed because other DDE transactions\nwere being "
       "processed."},
      {31, "There is no application associated\nwith the given filename extension."},
      {32, "The specified dynamic-link library was not found."},
  }};
  QString text = QStringLiteral("Unknown Error (%1) occurred.").arg(code);
  for (const Entry& entry : kTexts) {
    if (entry.code == code) text = QString::fromLatin1(entry.text);
  }
  return QStringLiteral("Unable to open hyperlink:\n\n") + text;
}

}  // namespace cyrvert
