#pragma once
// Paths are the bytes the file system holds. The windows show them as text: bytes that are valid
// UTF-8 become their characters, every other byte b becomes the lone surrogate U+DC00 + b (only
// bytes 0x80 to 0xFF can be invalid, so U+DC80 to U+DCFF), and pathBytes gives back exactly the
// bytes listed. Such a text must not go to QFile, QDir or QFileInfo (they would spoil those
// characters): file work goes through core with the bytes.

#include <QString>

#include <string>
#include <string_view>

namespace korvel {

QString pathText(std::string_view bytes);
std::string pathBytes(const QString& text);

} // namespace korvel
