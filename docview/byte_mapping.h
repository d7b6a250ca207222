// The byte table applied to Qt strings: what typed, pasted and searched text becomes.
#pragma once

#include <QString>
#include <string>

#include "engine/unicode_codec.h"

namespace cyrvert {

// The bytes behind `text`; characters with no byte become kUnmappableByte.
std::string QStringToBytes(const QString& text);

// `text` with every character that has no byte replaced by "?", so it can enter the view.
QString MapToByteCharacters(const QString& text);

}  // namespace cyrvert
