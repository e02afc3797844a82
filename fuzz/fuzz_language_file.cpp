// Any bytes read as a language file: every key gets a text, every text is valid UTF-8 and no
// longer than the 2047 characters a value may hold.
#include "core/lang/LanguageFile.h"
#include "core/lang/LanguageText.h"
#include "core/text/Utf8.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    korvel::lang::LanguageFile file(bytes);
    auto list = file.assignments();
    if (list.size() != korvel::lang::keyTable().size())
        std::abort();
    for (const auto& a : list) {
        if (!korvel::utf8::isValid(a.text))
            std::abort();
        // A Latin-1 character takes at most two bytes in UTF-8.
        if (a.text.size() > 2 * korvel::ProfileFile::MaxValueLength && a.text != a.key->defaultText)
            std::abort();
    }
    return 0;
}
