#include "core/catalog/CatalogText.h"

#include "core/text/Cp437.h"
#include "core/text/Utf8.h"

#include <cstdio>

namespace korvel::catalog {

std::string cp437ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char b : bytes)
        utf8::append(out, cp437::toUnicode(static_cast<unsigned char>(b)));
    return out;
}

std::string nameToUtf8(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t n = utf8::sequenceAt(name, i).length;
        if (n) {
            out.append(name.substr(i, n));
            i += n;
        } else {
            utf8::append(out, static_cast<unsigned char>(name[i]));
            ++i;
        }
    }
    return out;
}

std::string jsonQuote(std::string_view s) {
    std::string out = "\"";
    out.reserve(s.size() + 2);
    for (char ch : s) {
        const unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += ch;
            }
        }
    }
    out += '"';
    return out;
}

std::string htmlEscape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace korvel::catalog
