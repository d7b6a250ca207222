// Text on the clipboard as the editor's bytes: each byte crosses as the character the view
// shows for it, so what is copied and pasted back comes out byte for byte.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

class QMimeData;

namespace cyrvert {

// Clipboard data holding `bytes` as text, tagged with the title of the document they were
// copied from so that the clipboard monitor can tell the program's own copies apart.
QMimeData* MakeClipboardData(std::string_view bytes, const QString& source_title);

// The bytes of the text `data` holds (characters with no byte become "?"); none when it
// holds no text.
std::optional<std::string> ClipboardBytes(const QMimeData* data);

// The title of the document the program copied `data` from; empty when another program put
// it on the clipboard.
QString CopiedFromTitle(const QMimeData* data);

}  // namespace cyrvert
