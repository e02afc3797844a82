// The SAUCE reader and the ANSI interpreter over any bytes: the file is split, laid out with the
// first byte choosing code page and cell width, played onto the screen, drawn and exported. The
// split must give back the input, the text must come back byte for byte through the editor's
// characters in the chosen page, and the picture must be as large as the screen says.
#include "core/description/DescriptionText.h"
#include "core/render/DescriptionRender.h"
#include "core/render/ScreenPicture.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    RenderChoice choice;
    choice.page = kAllCodePages[data[0] % kAllCodePages.size()];
    choice.detectUtf8 = (data[0] & 0x10) != 0;
    choice.nineColumns = (data[0] & 0x20) != 0;

    std::string withoutNul(bytes);
    for (char& c : withoutNul)
        if (c == 0)
            c = ' ';
    if (displayToDescription(descriptionToDisplay(withoutNul, choice.page), choice.page) != withoutNul)
        std::abort();

    const SauceSplit split = splitSauce(bytes);
    if (std::string(split.text) + std::string(split.tail) != bytes)
        std::abort();

    DescriptionLayout layout = layOutDescription(bytes, choice);
    // Keep the fuzzer fast: no picture wider than 200 cells.
    if (layout.ansiOptions.width > 200)
        layout.ansiOptions.width = 200;
    const CellScreen screen = describeScreen(layout);
    if (static_cast<std::size_t>(screen.width()) * screen.height() > CellScreen::kMaxCells)
        std::abort();
    (void)descriptionAsUtf8(layout);
    (void)sauceFieldLines(layout.parts);
    if (screen.height() <= 64) {
        static const PsfFont font =
            *PsfFont::parse(std::string("\x36\x04\x00\x10", 4) + std::string(256 * 16, '\x5A'));
        const IndexedPicture pic = drawScreen(screen, font, layout.nineColumns);
        if (pic.pixels.size() != static_cast<std::size_t>(pic.width) * pic.height)
            std::abort();
        (void)encodePng(pic);
    }
    return 0;
}
