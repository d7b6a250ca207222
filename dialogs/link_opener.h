// Opening a link's target: the desktop's handler first, the web-page handler after it, and the
// texts of the error codes. The opener is an interface so link logic is tested with a fake.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace cyrvert {

// Result codes of opening: above kOpenSucceeded - 1 means success, lower values are errors.
inline constexpr int kOpenSucceeded = 33;
inline constexpr int kOpenNotFound = 2;         // the file or program does not exist
inline constexpr int kOpenBadAssociation = 27;  // the handler for the target failed
inline constexpr int kOpenNoHandler = 31;       // nothing is associated with the target

// What an open reports: kOpenSucceeded or an error code.
using OpenDone = std::function<void(int code)>;

// The desktop services a link needs.
class LinkOpener {
 public:
  virtual ~LinkOpener() = default;
  // Opens `target` with the desktop's handler for it and calls `done` with the result, at once
  // or later from the event loop once the handler has answered; never after the opener is
  // destroyed.
  virtual void ShellOpen(const QString& target, OpenDone done) = 0;
  // The Exec line of the default application for web pages, when there is one.
  virtual std::optional<QString> WebPageHandlerCommand() = 0;
  // Starts `program` with `arguments` without waiting; kOpenSucceeded or an error code.
  virtual int Start(const QString& program, const QStringList& arguments) = 0;
};

// Opens `target` through the desktop, falling back to starting the web-page handler with it;
// `done` gets the result code of whichever decided (above 32 on success). The opener must live
// until `done` has been called or the opener is destroyed.
void OpenTarget(LinkOpener& opener, const QString& target, OpenDone done);

// The program and arguments that start a handler's Exec line on `target`: the line is cut at
// its file or URL placeholder (with its quotes), and the target added as the last argument.
// Empty when the line names no program.
QStringList HandlerCommand(const QString& execLine, const QString& target);

// The message for a failed open with `code`, "Unable to open hyperlink:" first.
QString OpenErrorText(int code);

}  // namespace cyrvert
