#include "platform/PathText.h"

#include "core/text/Utf8.h"

namespace korvel {

QString pathText(std::string_view bytes) {
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (std::size_t i = 0; i < bytes.size();) {
        if (const auto [cp, n] = utf8::sequenceAt(bytes, i); n) {
            if (cp < 0x10000) {
                out += QChar(static_cast<char16_t>(cp));
            } else {
                out += QChar(QChar::highSurrogate(cp));
                out += QChar(QChar::lowSurrogate(cp));
            }
            i += n;
        } else {
            out += QChar(static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(bytes[i])));
            ++i;
        }
    }
    return out;
}

std::string pathBytes(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = text[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode())) {
            utf8::append(out, QChar::surrogateToUcs4(u, text[i + 1].unicode()));
            ++i;
        } else if (u >= 0xDC80 && u <= 0xDCFF) {
            out += static_cast<char>(u - 0xDC00); // a byte the file system holds as it is
        } else if (QChar::isSurrogate(u)) {
            out += '?'; // no bytes stand behind a lone surrogate of any other value
        } else {
            utf8::append(out, u);
        }
    }
    return out;
}

} // namespace korvel
