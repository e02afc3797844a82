#pragma once
// The user's list of further description names and its file "korvel2k.ext" in the start folder:
// plain 8-bit text, one name per line exactly as typed (spaces and case kept), each line ended by
// CR LF when written. Reading accepts CR LF, LF or CR line ends and skips empty lines; writing
// writes no empty names. A missing file is an empty list.

#include <string>
#include <string_view>
#include <vector>

namespace korvel {

inline constexpr std::string_view kCustomListFileName = "korvel2k.ext";

// startDir + "/korvel2k.ext".
std::string customListPath(const std::string& startDir);

// The names of a file's contents, in order, without empty lines.
std::vector<std::string> parseCustomList(std::string_view contents);

// The file's contents for a list.
std::string formatCustomList(const std::vector<std::string>& names);

struct CustomListRead {
    std::vector<std::string> names; // the names read; after an error, those read before it
    bool missing = false;           // no such file: an empty list, no error
    std::string error;              // empty when the file was read whole
};

CustomListRead readCustomList(const std::string& path);

// Creates or truncates the file and writes the list. False with the reason in *error when
// anything failed on the way (the file then may hold part of the list).
bool writeCustomList(const std::string& path, const std::vector<std::string>& names, std::string* error);

// Whether "Add" takes `name` into `list`: an exact duplicate (case counted) is refused whatever
// the list's length, and so are an empty name (it could never be kept in the file) and a name
// holding a line end (it would come back as two names).
enum class CustomNameCheck { Ok, Duplicate, Empty, LineBreak };
CustomNameCheck checkNewCustomName(const std::vector<std::string>& list, std::string_view name);

} // namespace korvel
