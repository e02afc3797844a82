#pragma once
// The frames of an ID3v2 tag of version 2.2, 2.3 or 2.4 as they lie in the tag: read from a tag
// body, their content decoded (per-frame unsynchronisation, data length indicators), written back
// for version 2.3 or 2.4 byte for byte, and version 2.2 frames converted to their 2.3 form.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

// One frame as it lies in the tag. A tag-wide unsynchronisation of 2.2 and 2.3 tags is undone in
// Data; a 2.4 frame keeps its bytes as stored, with Unsynchronised set when the tag header (not
// the frame's own flags) said they were unsynchronised.
struct ID3v2Frame {
    std::string Id;          // three characters in 2.2, four in 2.3 and 2.4
    std::uint16_t Flags = 0; // the two flag bytes of 2.3 and 2.4 frames; 0 in 2.2
    std::vector<std::uint8_t> Data;
    bool Unsynchronised = false;
};

// The frames read from a tag body, and whether the body was damaged (a frame running past the
// tag's end). Reading stops at padding: a zero byte or anything that is no frame identifier.
struct ID3v2FrameList {
    std::vector<ID3v2Frame> Frames;
    bool Damaged = false;
};

// Undoes unsynchronisation: every 0xFF 0x00 becomes 0xFF.
std::vector<std::uint8_t> Resynchronise(std::span<const std::uint8_t> bytes);

// Reads the frames of a tag body (behind the header and any extended header) of a major version.
// For 2.4 the frame sizes are syncsafe as the standard says; a body that reads as damaged that way
// but whole with plain 32-bit sizes (as some programs write) is read with those.
ID3v2FrameList ReadFrames(std::uint8_t version, std::span<const std::uint8_t> body,
                          bool tagUnsynchronised = false);

// The content of a frame: per-frame unsynchronisation undone, group byte and data length
// indicator skipped. Nothing for a compressed or encrypted frame.
std::optional<std::vector<std::uint8_t>> FrameContent(const ID3v2Frame& frame, std::uint8_t version);

// Appends a frame in the layout of version 3 or 4. False when its data is too large for the
// frame's size field.
bool AppendFrame(std::vector<std::uint8_t>& out, const ID3v2Frame& frame, std::uint8_t version);

// The 2.3 form of a 2.2 frame: the four-character identifier, and for PIC the APIC layout (a MIME
// type in place of the three-letter image format). A frame without a 2.3 form keeps its data under
// the experimental identifier "X" plus its own.
ID3v2Frame ConvertFrame22(const ID3v2Frame& frame);

// A frame identifier of the version: three (2.2) or four upper-case letters and digits.
bool IsFrameId(std::string_view id, std::uint8_t version);

} // namespace korvel
