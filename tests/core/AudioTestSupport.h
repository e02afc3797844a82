#pragma once
// Helpers of the audio format tests: files as byte vectors, running the
// peer tools (lame, ffprobe, id3v2, mutagen) and a sine WAV written by the test itself.

#include "FileBytes.h"
#include "TempDir.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace korvel::test {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

inline Bytes readBytes(const std::string& path) {
    const std::string bytes = readFile(path);
    return Bytes(bytes.begin(), bytes.end());
}

inline void writeBytes(const std::string& path, const Bytes& bytes) {
    writeFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

inline std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs a shell command; gives its standard output and sets status to its exit code.
inline std::string run(const std::string& command, int* status = nullptr) {
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) {
        if (status)
            *status = -1;
        return out;
    }
    std::array<char, 4096> buf;
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0)
        out.append(buf.data(), n);
    int rc = ::pclose(p);
    if (status)
        *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

inline bool haveTool(const std::string& tool) {
    int status = 0;
    run("command -v " + tool + " >/dev/null 2>&1", &status);
    return status == 0;
}

// A python3 that has mutagen (the system one when a private python comes first on PATH).
inline std::string mutagenPython() {
    for (const char* py : {"python3", "/usr/bin/python3"}) {
        int status = 0;
        run(std::string(py) + " -c 'import mutagen' >/dev/null 2>&1", &status);
        if (status == 0)
            return py;
    }
    return {};
}

inline void put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void put32(Bytes& b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// A 16-bit PCM WAV file holding a sine (a different pitch per channel).
inline void writeSineWav(const std::string& path, int rate, int channels, double seconds) {
    auto frames = static_cast<std::uint32_t>(rate * seconds);
    std::uint32_t dataSize = frames * static_cast<std::uint32_t>(channels) * 2;
    Bytes b;
    for (char c : std::string("RIFF"))
        b.push_back(static_cast<std::uint8_t>(c));
    put32(b, 36 + dataSize);
    for (char c : std::string("WAVEfmt "))
        b.push_back(static_cast<std::uint8_t>(c));
    put32(b, 16);
    put16(b, 1);
    put16(b, static_cast<std::uint32_t>(channels));
    put32(b, static_cast<std::uint32_t>(rate));
    put32(b, static_cast<std::uint32_t>(rate * channels * 2));
    put16(b, static_cast<std::uint32_t>(channels * 2));
    put16(b, 16);
    for (char c : std::string("data"))
        b.push_back(static_cast<std::uint8_t>(c));
    put32(b, dataSize);
    for (std::uint32_t i = 0; i < frames; ++i) {
        for (int ch = 0; ch < channels; ++ch) {
            double v = 0.4 * std::sin(2 * M_PI * (440.0 + 110.0 * ch) * i / rate) +
                       0.2 * std::sin(2 * M_PI * 3000.0 * i / rate) * std::sin(2 * M_PI * 0.5 * i / rate);
            put16(b, static_cast<std::uint16_t>(static_cast<std::int16_t>(v * 32767)));
        }
    }
    writeBytes(path, b);
}

// The source audio for lame: made by sox when present, else written by the test.
inline void makeSourceWav(const std::string& path, int rate, int channels, double seconds) {
    if (haveTool("sox")) {
        int status = 0;
        run("sox -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) + " -b 16 " +
                quote(path) + " synth " + std::to_string(seconds) + " sine 440 sine 550 vol 0.5 2>/dev/null",
            &status);
        if (status == 0)
            return;
    }
    writeSineWav(path, rate, channels, seconds);
}

// The source audio encoded to `out` by `encoder` (the command line before the source's path),
// with `options` between the two paths; the encoder's exit code. The source is left at out.wav.
inline int encodeTone(const std::string& out, int rate, int channels, double seconds,
                      const std::string& encoder, const std::string& options = "") {
    const std::string wav = out + ".wav";
    makeSourceWav(wav, rate, channels, seconds);
    int status = 0;
    run(encoder + " " + quote(wav) + " " + options + " " + quote(out), &status);
    return status;
}

} // namespace korvel::test
