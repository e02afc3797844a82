#include "AudioTestSupport.h"
#include "core/audio/MPEGaudio.h"
#include "core/audio/StreamInfo.h"

#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

using namespace korvel;
using namespace korvel::test;

namespace {

// MPEG 1 Layer III, 128 kbit/s, 44100 Hz, no CRC; mode and flags in b3.
constexpr std::array<std::uint8_t, 4> Cbr128 = {0xFF, 0xFB, 0x90, 0x44}; // joint stereo, original
constexpr std::array<std::uint8_t, 4> Cbr128Stereo = {0xFF, 0xFB, 0x90, 0x04};

std::size_t frameLength(std::array<std::uint8_t, 4> h) {
    return TMPEGaudio::ComputeFrameLength(TMPEGaudio::DecodeHeader(h));
}

// `count` frames with the given header, their bodies filled with a non-zero pattern.
Bytes frames(std::array<std::uint8_t, 4> h, std::size_t count) {
    Bytes out;
    std::size_t len = frameLength(h);
    for (std::size_t i = 0; i < count; ++i) {
        out.insert(out.end(), h.begin(), h.end());
        for (std::size_t k = 4; k < len; ++k)
            out.push_back(static_cast<std::uint8_t>(0x11 + (k % 200)));
    }
    return out;
}

Bytes cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void put32be(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// A first frame carrying a Xing header (at 36 for MPEG 1 stereo) with frames, bytes and vendor text.
Bytes withXing(Bytes stream, std::uint32_t totalFrames, std::uint32_t totalBytes, const std::string& vendor) {
    std::memcpy(stream.data() + 36, "Xing", 4);
    put32be(stream, 36 + 4, 0x0F);
    put32be(stream, 36 + 8, totalFrames);
    put32be(stream, 36 + 12, totalBytes);
    std::memcpy(stream.data() + 36 + 120, vendor.data(), std::min<std::size_t>(8, vendor.size()));
    return stream;
}

TMPEGaudio analyse(const Bytes& file) {
    TMPEGaudio a;
    MemorySource src(file);
    EXPECT_TRUE(a.Analyse(src));
    return a;
}

// A file of any size made of CBR frames, generated on demand; counts what is read.
class SyntheticStream : public ByteSource {
public:
    explicit SyntheticStream(std::int64_t size) : size_(size), frame_(frames(Cbr128, 1)) {}
    std::int64_t Size() const override { return size_; }
    std::int64_t ReadAt(std::int64_t offset, std::span<std::uint8_t> buffer) override {
        if (offset < 0)
            return -1;
        std::int64_t n = std::max<std::int64_t>(0, std::min<std::int64_t>(size_ - offset, buffer.size()));
        for (std::int64_t i = 0; i < n; ++i)
            buffer[i] =
                frame_[static_cast<std::size_t>((offset + i) % static_cast<std::int64_t>(frame_.size()))];
        bytesRead += n;
        ++reads;
        return n;
    }
    std::int64_t bytesRead = 0;
    int reads = 0;

private:
    std::int64_t size_;
    Bytes frame_;
};

} // namespace

TEST(MPEGHeader, ValidityAndFrameLength) {
    EXPECT_TRUE(TMPEGaudio::IsHeaderValid(Cbr128));
    EXPECT_EQ(frameLength(Cbr128), 417u);
    EXPECT_EQ(frameLength({0xFF, 0xFB, 0x92, 0x44}), 418u); // padded
    EXPECT_EQ(frameLength({0xFF, 0xF3, 0x80, 0xC4}), 208u); // MPEG 2 Layer III 64 kbit/s 22050 Hz
    EXPECT_EQ(frameLength({0xFF, 0xE3, 0x28, 0xC4}), 144u); // MPEG 2.5 Layer III 16 kbit/s 8000 Hz
    EXPECT_EQ(frameLength({0xFF, 0xFD, 0x80, 0xC4}), 417u); // MPEG 1 Layer II 128 kbit/s 44100 Hz
    EXPECT_EQ(frameLength({0xFF, 0xF5, 0x80, 0xC4}),
              417u); // MPEG 2 Layer II 64 kbit/s: 1152 samples as in MPEG 1
    EXPECT_EQ(frameLength({0xFF, 0xFF, 0x80, 0xC4}), 276u); // MPEG 1 Layer I 256 kbit/s: 69 slots of 4 bytes
    EXPECT_EQ(frameLength({0xFF, 0xFF, 0x82, 0xC4}), 280u); // padded: one more slot
    const std::vector<std::array<std::uint8_t, 4>> invalid = {
        {0xFE, 0xFB, 0x90, 0x44}, // no sync
        {0xFF, 0xEB, 0x90, 0x44}, // reserved version
        {0xFF, 0xF9, 0x90, 0x44}, // reserved layer
        {0xFF, 0xFB, 0x00, 0x44}, // free format
        {0xFF, 0xFB, 0xF0, 0x44}, // bad bit rate
        {0xFF, 0xFB, 0x9C, 0x44}, // reserved sample rate
        {0xFF, 0xFB, 0x90, 0x46}, // reserved emphasis
    };
    for (const auto& h : invalid)
        EXPECT_FALSE(TMPEGaudio::IsHeaderValid(h)) << int(h[1]) << " " << int(h[2]) << " " << int(h[3]);
    EXPECT_FALSE(TMPEGaudio::IsHeaderValid(std::span<const std::uint8_t>(Cbr128).first(3)));
}

TEST(MPEGStream, ConstantBitRateFromTheTableAndDurationFromTheSize) {
    Bytes file = frames(Cbr128Stereo, 100);
    TMPEGaudio a = analyse(file);
    ASSERT_TRUE(a.FirstFrame().Located);
    EXPECT_EQ(a.FirstFrame().StartOffset, 0);
    EXPECT_EQ(a.FirstFrame().ByteLength, 417);
    EXPECT_FALSE(a.IsVbr());
    EXPECT_EQ(a.BitRateKbps(), 128);
    EXPECT_EQ(a.SampleRateHz(), 44100);
    EXPECT_DOUBLE_EQ(a.DurationSeconds(), 41700.0 * 8 / 128 / 1000);
    EXPECT_EQ(a.VersionText(), "MPEG 1");
    EXPECT_EQ(a.LayerText(), "Layer III");
    EXPECT_EQ(a.ChannelModeText(), "Stereo");
    EXPECT_EQ(a.EncoderText(), "Blade"); // 128 kbit/s stereo without other marks
    EXPECT_TRUE(a.IsUsable());
}

TEST(MPEGStream, ALoneHeaderIsSkippedAndDisagreeingNeighboursAreAccepted) {
    Bytes lone = {0, 0, 0xFF, 0xFB, 0x90, 0x44, 1, 2, 3};
    lone.resize(600, 7);
    TMPEGaudio a = analyse(cat(lone, frames(Cbr128, 20)));
    ASSERT_TRUE(a.FirstFrame().Located);
    EXPECT_EQ(a.FirstFrame().StartOffset, 600);

    // A 128 kbit/s header followed at its length by a 64 kbit/s one: taken as it is.
    Bytes mixed = cat(frames(Cbr128, 1), frames({0xFF, 0xFB, 0x50, 0x44}, 20));
    a = analyse(mixed);
    EXPECT_TRUE(a.FirstFrame().Located);
    EXPECT_EQ(a.BitRateKbps(), 128);
}

TEST(MPEGStream, LongGarbageAtTheStartMakesTheMiddleWindowCount) {
    Bytes garbage(5000, 0x20);
    Bytes file = cat(garbage, frames(Cbr128, 50));
    TMPEGaudio a = analyse(file);
    ASSERT_TRUE(a.FirstFrame().Located);
    std::int64_t middle = static_cast<std::int64_t>(file.size()) / 2;
    EXPECT_EQ(a.FirstFrame().StartOffset, static_cast<std::int32_t>((417 - (middle - 5000) % 417) % 417));

    // Without a full first window there is no second try.
    a = analyse(Bytes(3000, 0x20));
    EXPECT_FALSE(a.FirstFrame().Located);
}

TEST(MPEGStream, XingHeaderGivesVariableBitRateAndDuration) {
    Bytes file = withXing(frames(Cbr128, 30), 1000, 1000 * 300, "LAME3.90");
    TMPEGaudio a = analyse(file);
    ASSERT_TRUE(a.VbrInfo().Located);
    EXPECT_EQ(a.VbrInfo().Signature, "Xing");
    EXPECT_EQ(a.VbrInfo().VendorText, "LAME3.90");
    EXPECT_TRUE(a.IsVbr());
    EXPECT_EQ(a.BitRateKbps(), 92); // 300 * 44100 / 144 / 1000 = 91.875
    EXPECT_DOUBLE_EQ(a.DurationSeconds(), 144.0 * 1000 * 8 / 44100);
    EXPECT_EQ(a.EncoderText(), "LAME 3.90");
    auto t = MakeStreamInfoTexts(a);
    EXPECT_EQ(t.BitRate, "VBR 92 kbit/s");
    EXPECT_EQ(t.Duration, "26.1 sec.");

    // No frame count: the constant formulas.
    a = analyse(withXing(frames(Cbr128, 30), 0, 5000, "Xing0000"));
    EXPECT_TRUE(a.IsVbr());
    EXPECT_EQ(a.BitRateKbps(), 128);
    EXPECT_EQ(a.EncoderText(), "Xing");
    // Hostile counts never overflow the bit rate.
    a = analyse(withXing(frames(Cbr128, 30), 1, 0x7FFFFFFF, "GOGO"));
    EXPECT_EQ(a.BitRateKbps(), 65535);
    EXPECT_FALSE(a.IsUsable());
    EXPECT_EQ(a.EncoderText(), "GoGo");
    a = analyse(withXing(frames(Cbr128, 30), 5, 0x80000000u, "MPGE"));
    EXPECT_EQ(a.BitRateKbps(), 0);
    EXPECT_EQ(a.GuessEncoder(), EncoderKind::GoGo);
}

TEST(MPEGStream, VbriHeaderIsFoundOnlyAt36) {
    Bytes file = frames(Cbr128, 30);
    std::memcpy(file.data() + 36, "VBRI", 4);
    file[36 + 9] = 77;
    put32be(file, 36 + 10, 400 * 200);
    put32be(file, 36 + 14, 400);
    TMPEGaudio a = analyse(file);
    ASSERT_TRUE(a.VbrInfo().Located);
    EXPECT_EQ(a.VbrInfo().Signature, "VBRI");
    EXPECT_EQ(a.VbrInfo().QualityByte, 77);
    EXPECT_EQ(a.EncoderText(), "FhG");

    Bytes mono = frames({0xFF, 0xFB, 0x90, 0xC4}, 30);
    std::memcpy(mono.data() + 36, "VBRI", 4);
    EXPECT_FALSE(analyse(mono).VbrInfo().Located);
}

TEST(MPEGStream, ShortFilesStillGiveTheStreamTheyHold) {
    // Fewer bytes than a window, no VBR header: the end window starts at the file's start.
    Bytes file = frames(Cbr128, 5); // 2085 bytes
    TMPEGaudio a = analyse(file);
    EXPECT_TRUE(a.FirstFrame().Located);
    EXPECT_EQ(a.FileSizeBytes(), 2085);
    EXPECT_TRUE(a.IsUsable());
    // Even shorter than an ID3v1 tag: two MPEG 2.5 frames of 48 bytes.
    Bytes tiny = frames({0xFF, 0xE3, 0x14, 0xC4}, 2);
    ASSERT_EQ(tiny.size(), 96u);
    a = analyse(tiny);
    EXPECT_TRUE(a.FirstFrame().Located);
    EXPECT_EQ(a.VersionText(), "MPEG 2.5");
}

TEST(MPEGStream, Id3v2TagIsSkippedUnlessItClaimsTooMuch) {
    Bytes tag = {'I', 'D', '3', 3, 0, 0, 0, 0, 0x08, 0x00}; // 1024 bytes of frames
    tag.resize(10 + 1024, 0);
    tag[10] = 0xFF; // a lone header-like byte run inside the tag is never looked at
    TMPEGaudio a = analyse(cat(tag, frames(Cbr128, 20)));
    EXPECT_EQ(a.FirstFrame().StartOffset, 0);
    EXPECT_DOUBLE_EQ(a.DurationSeconds(), 20.0 * 417 * 8 / 128 / 1000);

    Bytes liar = {'I', 'D', '3', 3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F};
    a = analyse(cat(liar, frames(Cbr128, 20)));
    EXPECT_EQ(a.Id3v2Tag().TagSize(), 0);
    EXPECT_EQ(a.FirstFrame().StartOffset, 10);
}

TEST(MPEGStream, EndScanFindsLameOnlyWithinTwoFramesBeforeTheTag) {
    auto fileWith = [](std::size_t fromEnd, bool v1) {
        Bytes f = frames(Cbr128, 30);
        std::memcpy(f.data() + f.size() - fromEnd, "LAME3.99", 8);
        if (v1) {
            Bytes tag(128, 0);
            std::memcpy(tag.data(), "TAG", 3);
            f = cat(f, tag);
        }
        return f;
    };
    // The scan looks at the 4 bytes starting 8 + i bytes before the end, i from 0 to 2 * 417.
    EXPECT_EQ(analyse(fileWith(8, false)).EncoderText(), "LAME 3.99");
    EXPECT_EQ(analyse(fileWith(8 + 834, true)).EncoderText(), "LAME 3.99");
    EXPECT_EQ(analyse(fileWith(8 + 835, true)).EndEncoderTag(), "");
}

TEST(MPEGStream, LameVersionKeepsAThreeDigitMinorNumber) {
    // Nine bytes of version text, in an Info header and near the end of a stream without one.
    const std::pair<const char*, const char*> cases[] = {
        {"LAME3.100", "LAME 3.100"}, {"LAME3.99r", "LAME 3.99"}, {"LAME3.90.", "LAME 3.90"}};
    for (const auto& [bytes, shown] : cases) {
        Bytes info = frames({0xFF, 0xFB, 0x50, 0x44}, 1);
        std::memcpy(info.data() + 36, "Info", 4);
        std::memcpy(info.data() + 36 + 120, bytes, 9);
        EXPECT_EQ(analyse(cat(info, frames(Cbr128, 20))).EncoderText(), shown) << bytes;
        Bytes plain = frames(Cbr128, 30);
        std::memcpy(plain.data() + plain.size() - 20, bytes, 9);
        EXPECT_EQ(analyse(plain).EncoderText(), shown) << bytes;
    }
    // Eight bytes at the very end of the stream: nothing follows them.
    Bytes plain = frames(Cbr128, 30);
    std::memcpy(plain.data() + plain.size() - 8, "LAME3.10", 8);
    EXPECT_EQ(analyse(plain).EncoderText(), "LAME 3.10");
}

TEST(MPEGStream, FreeFormatIsNeverFound) {
    Bytes f;
    for (int i = 0; i < 30; ++i) {
        Bytes frame = {0xFF, 0xFB, 0x00, 0x44};
        frame.resize(400, 0x22);
        f = cat(f, frame);
    }
    EXPECT_FALSE(analyse(f).FirstFrame().Located);
}

struct HostileCase {
    std::string name;
    Bytes bytes;
};

class HostileStream : public testing::TestWithParam<HostileCase> {};
TEST_P(HostileStream, GivesNoStreamAndNoCrash) {
    TMPEGaudio a;
    MemorySource src(GetParam().bytes);
    EXPECT_TRUE(a.Analyse(src));
    EXPECT_FALSE(a.IsUsable());
    EXPECT_FALSE(a.FirstFrame().Located);
    EXPECT_EQ(a.VersionText(), "MPEG ?");
    EXPECT_EQ(a.LayerText(), "Layer ?");
    EXPECT_EQ(a.ChannelModeText(), "Unknown");
    EXPECT_EQ(a.EncoderText(), "Unknown");
    EXPECT_EQ(a.DurationSeconds(), 0);
    EXPECT_EQ(a.BitRateKbps(), 0);
}

static std::vector<HostileCase> hostileCases() {
    std::vector<HostileCase> cases = {
        {"empty", {}},
        {"truncated_header", {0xFF, 0xFB, 0x90}},
        {"bytes127", Bytes(127, 0xFF)},
        {"zeros_1MB", Bytes(1 << 20, 0)},
        {"all_ff", Bytes(10000, 0xFF)},
        {"id3v2_header_only", {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0}},
        {"id3v2_huge_claim", {'I', 'D', '3', 3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F, 0xFF, 0xFB}},
        {"one_frame_then_zeros", cat(frames(Cbr128, 1), Bytes(5000, 0))},
    };
    std::mt19937 rng(1234);
    for (int i = 0; i < 4; ++i) {
        Bytes b(4000 + i * 3000);
        for (auto& x : b)
            x = static_cast<std::uint8_t>(rng() & 0x7F); // no sync byte: never a header
        cases.push_back({"random" + std::to_string(i), b});
    }
    return cases;
}
INSTANTIATE_TEST_SUITE_P(Inputs, HostileStream, testing::ValuesIn(hostileCases()),
                         [](const auto& info) { return info.param.name; });

TEST(MPEGStream, ZeroByteAndMissingFiles) {
    TempDir dir;
    writeBytes(dir / "empty.mp3", {});
    TMPEGaudio a;
    EXPECT_TRUE(a.Analyse(dir / "empty.mp3"));
    EXPECT_FALSE(a.IsUsable());
    EXPECT_FALSE(a.Analyse(dir / "missing.mp3"));
    EXPECT_FALSE(a.Analyse(dir.path().string()));
}

TEST(MPEGStream, WorkIsTheSameForAnyFileSize) {
    SyntheticStream small(1 << 20), huge(std::int64_t(1) << 30), giant(std::int64_t(5) << 30);
    for (SyntheticStream* s : {&small, &huge, &giant}) {
        TMPEGaudio a;
        ASSERT_TRUE(a.Analyse(*s));
        EXPECT_TRUE(a.IsUsable());
        EXPECT_LE(s->bytesRead, 3 * TMPEGaudio::WindowSize + 128 + 10);
        EXPECT_LE(s->reads, 5);
    }
    EXPECT_EQ(small.bytesRead, huge.bytesRead);
    TMPEGaudio a;
    a.Analyse(giant);
    EXPECT_EQ(a.FileSizeBytes(), std::int64_t(5) << 30); // beyond 32 bits
    EXPECT_NEAR(a.DurationSeconds(), (5.0 * (1 << 30)) * 8 / 128000, 0.1);
}

struct DurationCase {
    double seconds;
    const char* text;
};
class DurationText : public testing::TestWithParam<DurationCase> {};
TEST_P(DurationText, OneDecimalNoLeadingZero) {
    EXPECT_EQ(korvel::FormatDuration(GetParam().seconds), GetParam().text);
}
INSTANTIATE_TEST_SUITE_P(Values, DurationText,
                         testing::Values(DurationCase{215.27, "215.3 sec."}, DurationCase{0.5, ".5 sec."},
                                         DurationCase{0.04, ".0 sec."}, DurationCase{1.0, "1.0 sec."},
                                         DurationCase{59.96, "60.0 sec."},
                                         DurationCase{3600.05, "3600.1 sec."}));

// ---- Files made by lame, compared with ffprobe ----

struct LameCase {
    std::string name;
    std::string lameArgs;
    int rate, channels;
    std::string mpegType, mode;
    bool vbr;
    int kbps; // for constant bit rates
    bool crc;
};

class LameFiles : public testing::TestWithParam<LameCase> {};

static std::map<std::string, std::string> ffprobe(const std::string& file) {
    std::string out =
        run("ffprobe -v error -select_streams a:0 -show_entries stream=duration,bit_rate,sample_rate "
            "-of default=nw=1 " +
            quote(file));
    std::map<std::string, std::string> values;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line))
        if (auto eq = line.find('='); eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
    return values;
}

TEST_P(LameFiles, MatchFfprobe) {
    const LameCase& c = GetParam();
    if (!haveTool("lame"))
        GTEST_SKIP() << "lame is not installed (scripts/setup installs it)";
    TempDir dir;
    auto mp3 = dir / (c.name + ".mp3");
    ASSERT_EQ(encodeTone(mp3, c.rate, c.channels, 6.0, "lame --quiet " + c.lameArgs), 0)
        << "lame " << c.lameArgs;

    TMPEGaudio a;
    ASSERT_TRUE(a.Analyse(mp3));
    ASSERT_TRUE(a.IsUsable());
    auto t = MakeStreamInfoTexts(a);
    EXPECT_EQ(t.MPEGType, c.mpegType);
    EXPECT_EQ(t.Mode, c.mode);
    EXPECT_EQ(a.IsVbr(), c.vbr);
    EXPECT_EQ(a.FirstFrame().HasCrc, c.crc);
    EXPECT_EQ(t.FileSize, std::to_string(std::filesystem::file_size(mp3)) + " bytes");
    if (!c.vbr) {
        EXPECT_EQ(t.BitRate, "CBR " + std::to_string(c.kbps) + " kbit/s");
    }
    // The encoder text names lame's own version in full: "LAME3.100" takes nine bytes.
    if (a.VbrInfo().Located || a.EndEncoderTag().rfind("LAME", 0) == 0) {
        const std::string version = run("lame --version | sed -n '1s/.* version \\([0-9.]*\\) .*/\\1/p'");
        EXPECT_EQ(t.Encoder + "\n", "LAME " + version);
    }

    if (!haveTool("ffprobe"))
        GTEST_SKIP() << "ffprobe is not installed (scripts/setup installs ffmpeg)";
    auto probe = ffprobe(mp3);
    ASSERT_TRUE(probe.count("duration")) << "ffprobe gave no duration";
    EXPECT_NEAR(a.DurationSeconds(), std::stod(probe["duration"]), 0.1);
    EXPECT_EQ(std::to_string(a.SampleRateHz()), probe["sample_rate"]);
    if (!c.vbr) {
        EXPECT_EQ(a.BitRateKbps() * 1000, std::stoi(probe["bit_rate"]));
    } else {
        EXPECT_NEAR(a.BitRateKbps() * 1000, std::stoi(probe["bit_rate"]), 2000);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, LameFiles,
    testing::Values(
        LameCase{"cbr128", "-b 128", 44100, 2, "MPEG 1 Layer III", "Joint Stereo", false, 128, false},
        LameCase{"vbr_v2", "-V 2", 44100, 2, "MPEG 1 Layer III", "Joint Stereo", true, 0, false},
        LameCase{"abr112", "--abr 112", 44100, 2, "MPEG 1 Layer III", "Joint Stereo", true, 0, false},
        LameCase{"mpeg2", "-b 64", 22050, 2, "MPEG 2 Layer III", "Joint Stereo", false, 64, false},
        LameCase{"mpeg25", "-b 16", 8000, 2, "MPEG 2.5 Layer III", "Joint Stereo", false, 16, false},
        LameCase{"mono", "-m m -b 64", 44100, 1, "MPEG 1 Layer III", "Mono", false, 64, false},
        LameCase{"stereo_crc", "-m s -p -b 192", 44100, 2, "MPEG 1 Layer III", "Stereo", false, 192, true},
        LameCase{"vbr_crc", "-p -V 4", 44100, 2, "MPEG 1 Layer III", "Joint Stereo", true, 0, true},
        LameCase{"no_info_tag", "-t -b 96", 32000, 2, "MPEG 1 Layer III", "Joint Stereo", false, 96, false}),
    [](const auto& info) { return info.param.name; });

TEST(PeerFiles, Mpeg2LayerIIFromFfmpegIsFound) {
    if (!haveTool("ffmpeg") || !haveTool("ffprobe"))
        GTEST_SKIP() << "ffmpeg is not installed (scripts/setup installs it)";
    TempDir dir;
    auto mp2 = dir / "l2.mp2";
    ASSERT_EQ(encodeTone(mp2, 22050, 2, 4.0, "ffmpeg -loglevel error -y -i", "-c:a mp2 -b:a 64k"), 0);
    TMPEGaudio a;
    ASSERT_TRUE(a.Analyse(mp2));
    ASSERT_TRUE(a.IsUsable());
    EXPECT_EQ(MakeStreamInfoTexts(a).MPEGType, "MPEG 2 Layer II");
    EXPECT_EQ(a.BitRateKbps(), 64);
    EXPECT_NEAR(a.DurationSeconds(), std::stod(ffprobe(mp2)["duration"]), 0.1);
}

// ---- Where the audio begins and ends, and LAME's "Info" header ----

namespace {

Bytes id3v2Tag(std::uint32_t bodySize, std::uint8_t version = 3, std::uint8_t flags = 0) {
    Bytes tag = {'I',
                 'D',
                 '3',
                 version,
                 0,
                 flags,
                 static_cast<std::uint8_t>((bodySize >> 21) & 0x7F),
                 static_cast<std::uint8_t>((bodySize >> 14) & 0x7F),
                 static_cast<std::uint8_t>((bodySize >> 7) & 0x7F),
                 static_cast<std::uint8_t>(bodySize & 0x7F)};
    tag.resize(10 + bodySize, 0);
    return tag;
}

} // namespace

struct StartCase {
    const char* name;
    Bytes before;      // what precedes the frames
    std::size_t audio; // where the frames begin
};
class AudioStart : public testing::TestWithParam<StartCase> {};
TEST_P(AudioStart, TheSearchStartsWhereTheTagsEnd) {
    const StartCase& c = GetParam();
    Bytes file = cat(c.before, frames(Cbr128, 30));
    TMPEGaudio a = analyse(file);
    ASSERT_TRUE(a.IsUsable()) << c.name;
    EXPECT_EQ(a.AudioStart() + a.FirstFrame().StartOffset, static_cast<std::int64_t>(c.audio));
    EXPECT_NEAR(a.DurationSeconds(), 30.0 * 417 * 8 / 128 / 1000, 0.001);
}
INSTANTIATE_TEST_SUITE_P(
    Tags, AudioStart,
    testing::Values(StartCase{"one_tag", id3v2Tag(1000), 1010},
                    // A second tag behind the first, larger than a window: the old search began
                    // inside it both times.
                    StartCase{"stacked_tags", cat(id3v2Tag(1000), id3v2Tag(9000, 4)), 1010 + 9010},
                    // A 2.4 tag with a footer ends 10 bytes after its size says.
                    StartCase{"footer", cat(id3v2Tag(4000, 4, 0x10), Bytes(10, 0)), 4020}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MPEGStream, InfoHeaderGivesTheFrameCountOfAConstantRate) {
    // An "Info" frame at 64 kbit/s before 128 kbit/s frames: the duration comes from its frame
    // count, not from the first frame's bit rate.
    Bytes info = frames({0xFF, 0xFB, 0x50, 0x44}, 1);
    std::memcpy(info.data() + 36, "Info", 4);
    put32be(info, 36 + 8, 200);
    put32be(info, 36 + 12, static_cast<std::uint32_t>(info.size() + 200 * 417));
    std::memcpy(info.data() + 36 + 120, "LAME3.99", 8);
    TMPEGaudio a = analyse(cat(info, frames(Cbr128, 200)));
    ASSERT_TRUE(a.VbrInfo().Located);
    EXPECT_FALSE(a.IsVbr());
    EXPECT_NEAR(a.DurationSeconds(), 200 * 1152 / 44100.0, 1e-9);
    EXPECT_EQ(a.BitRateKbps(), 128);
    EXPECT_EQ(MakeStreamInfoTexts(a).BitRate, "CBR 128 kbit/s");
    EXPECT_EQ(a.EncoderText(), "LAME 3.99");
}

TEST(PeerFiles, LameInfoFrameAgreesWithFfprobeAndMutagen) {
    std::string py = mutagenPython();
    if (!haveTool("lame") || !haveTool("ffprobe") || py.empty())
        GTEST_SKIP() << "lame, ffprobe or mutagen is not installed (scripts/setup installs them)";
    TempDir dir;
    auto mp3 = dir / "cbr.mp3";
    ASSERT_EQ(encodeTone(mp3, 44100, 2, 20.0, "lame --quiet -b 160"), 0);
    TMPEGaudio a;
    ASSERT_TRUE(a.Analyse(mp3));
    EXPECT_EQ(a.VbrInfo().Signature, "Info");
    EXPECT_FALSE(a.IsVbr());
    EXPECT_EQ(a.BitRateKbps(), 160);
    std::string m = run(py + " -c " +
                        quote("import sys\nfrom mutagen.mp3 import MP3\ni = MP3(sys.argv[1]).info\n"
                              "print(i.length, i.bitrate, i.bitrate_mode)") +
                        " " + quote(mp3));
    std::istringstream in(m);
    double length = 0;
    int bitrate = 0;
    std::string mode;
    in >> length >> bitrate >> mode;
    EXPECT_EQ(mode, "BitrateMode.CBR") << m;
    // mutagen takes the encoder delay and padding off; the frames hold them.
    EXPECT_NEAR(a.DurationSeconds(), length, 0.1) << m;
    EXPECT_NEAR(a.BitRateKbps() * 1000, bitrate, 1000) << m;
    auto probe = ffprobe(mp3);
    EXPECT_NEAR(a.DurationSeconds(), std::stod(probe["duration"]), 0.1);
}
