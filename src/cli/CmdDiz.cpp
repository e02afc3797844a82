// korvel-cli diz [--mode MODE] [--custom NAME] [--custom-list FILE] [--codepage NAME] [--png FILE]
// [--nine] [--font PSF] [--text] [--sauce] [--file] ARCHIVE: the description the main window
// would show for the archive, as raw bytes on stdout and the member named by the caption on
// stderr; or, with --png, --text or --sauce, its picture, its UTF-8 text or its SAUCE fields.
#include "cli/ArchiveCli.h"
#include "cli/Command.h"
#include "cli/LookupOptions.h"
#include "core/description/ArchiveDescription.h"
#include "core/render/DescriptionRender.h"
#include "core/render/PsfFont.h"
#include "core/render/ScreenPicture.h"
#include "engineclient/ArchiveEngine.h"
#include "engineclient/DescriptionEngine.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace korvel::cli {

namespace {

const char* const kUsage =
    "usage: korvel-cli diz [--mode auto|fileid|readme|filename|custom] [--custom NAME] "
    "[--custom-list FILE] [--codepage NAME] [--png FILE [--nine] [--font PSF]] [--text] [--sauce] "
    "[--file] ARCHIVE\n";

struct Output {
    std::string png;  // picture file, when asked for
    std::string font; // PSF font file; the system's console font when empty
    bool nine = false;
    bool text = false;
    bool sauce = false;
    RenderChoice choice;
    bool any() const { return !png.empty() || text || sauce; }
};

bool readFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

int writePicture(const DescriptionLayout& layout, const Output& o) {
    const std::string fontPath = o.font.empty() ? PsfFont::findDefault() : o.font;
    if (fontPath.empty()) {
        std::fputs("korvel-cli: no console font found (install console-setup-linux, or give --font)\n",
                   stderr);
        return 3;
    }
    std::string error;
    const auto font = PsfFont::load(fontPath, &error);
    if (!font) {
        std::fprintf(stderr, "korvel-cli: cannot use the font %s: %s\n", fontPath.c_str(), error.c_str());
        return 3;
    }
    const std::string png = screenPng(describeScreen(layout), *font, layout.nineColumns || o.nine);
    std::ofstream out(o.png, std::ios::binary | std::ios::trunc);
    out.write(png.data(), static_cast<std::streamsize>(png.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "korvel-cli: cannot write %s\n", o.png.c_str());
        return 3;
    }
    return 0;
}

// The picture, text and SAUCE outputs of one description.
int writeOutputs(const std::string& bytes, const Output& o) {
    const DescriptionLayout layout = layOutDescription(bytes, o.choice);
    if (o.sauce) {
        if (!layout.parts.record) {
            std::fputs("korvel-cli: the description has no SAUCE record\n", stderr);
            return 1;
        }
        std::fputs(sauceFieldLines(layout.parts).c_str(), stdout);
    }
    if (o.text) {
        const std::string t = descriptionAsUtf8(layout);
        std::fwrite(t.data(), 1, t.size(), stdout);
    }
    std::fflush(stdout);
    return o.png.empty() ? 0 : writePicture(layout, o);
}

int run(const Args& a) {
    LookupRequest req = commandLineLookup();
    Output o;
    bool plainFile = false;
    std::string archive;
    for (size_t i = 0; i < a.size(); ++i) {
        const std::string& s = a[i];
        const bool hasValue = i + 1 < a.size();
        if (const auto taken = takeLookupOption(a, i, req, kUsage); taken != LookupOption::NotOne) {
            if (taken == LookupOption::Invalid)
                return 2;
        } else if (s == "--codepage" && hasValue) {
            const auto page = parseCodePage(a[++i]);
            if (!page) {
                std::fprintf(stderr,
                             "korvel-cli: unknown code page %s (CP437, CP850, CP852, CP866, Windows-1252, "
                             "ISO-8859-1, UTF-8)\n",
                             a[i].c_str());
                return 2;
            }
            o.choice.page = *page;
            o.choice.detectUtf8 = false; // a page asked for is the page used
        } else if (s == "--png" && hasValue) {
            o.png = a[++i];
        } else if (s == "--font" && hasValue) {
            o.font = a[++i];
        } else if (s == "--nine") {
            o.nine = true;
        } else if (s == "--text") {
            o.text = true;
        } else if (s == "--sauce") {
            o.sauce = true;
        } else if (s == "--file") {
            plainFile = true;
        } else if (archive.empty() && (s.empty() || s[0] != '-' || s == "-")) {
            archive = s;
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (archive.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (plainFile) {
        std::string bytes;
        if (!readFile(archive, bytes)) {
            std::fprintf(stderr, "korvel-cli: cannot read %s\n", archive.c_str());
            return 2;
        }
        if (!o.any()) {
            std::fwrite(bytes.data(), 1, bytes.size(), stdout);
            return 0;
        }
        return writeOutputs(bytes, o);
    }
    req.archivePath = archive;
    // ZIP archives go to the unzip engine, the other formats to the archive reader.
    bool noEngines = false;
    ArchiveResult problem;
    const LookupResult r = lookUpDescriptionRouted(
        req,
        [&noEngines](const LookupRequest& q) {
            noEngines = !loadArchiveEngines();
            return noEngines ? LookupResult{} : lookUpDescriptionInArchive(q);
        },
        &problem);
    if (noEngines)
        return 3;
    if (!r.found && problem.ok() && !isReaderArchive(archive)) {
        // Nothing found: say so when the archive itself cannot be read, as `list` does.
        std::vector<ArchiveMember> members;
        const int listed = ArchiveEngine::list(archive, members);
        if (listed == PK_NOZIP) {
            std::fprintf(stderr, "korvel-cli: %s: %s\n", archive.c_str(),
                         ArchiveEngine::unzipResultText(listed).c_str());
            return 1;
        }
    }
    if (!o.any()) {
        std::fwrite(r.text.data(), 1, r.text.size(), stdout);
        std::fflush(stdout);
    }
    if (r.caption)
        std::fprintf(stderr, "%s\n", r.caption->c_str());
    if (!problem.ok())
        std::fprintf(stderr, "korvel-cli: %s\n", problem.message.c_str());
    if (!r.found)
        return 1;
    return o.any() ? writeOutputs(r.text, o) : 0;
}

} // namespace

KORVEL_CLI_COMMAND(
    "diz",
    "[--mode auto|fileid|readme|filename|custom] [--custom NAME] [--custom-list FILE] "
    "[--codepage NAME] [--png FILE [--nine] [--font PSF]] [--text] [--sauce] [--file] ARCHIVE   "
    "the archive's description on stdout, its member name on stderr; or its picture (PNG), "
    "its UTF-8 text or its SAUCE fields (--file: ARCHIVE is the description file itself)",
    run);

} // namespace korvel::cli
