#pragma once
// The program's side of the zip engine (libzip32.so): the engine check at start-up, the zip
// callbacks and the option records the program hands over. Paths are the file system's bytes.

#include "zipengines.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace korvel {

// Raised by Check_ZipDllVersion; what() / message() is the text to show before the program ends.
class ZipDllError : public std::runtime_error {
public:
    explicit ZipDllError(const std::string& message) : std::runtime_error(message) {}
    std::string message() const { return what(); }
};

// "Cannot find %s..." and "%s has the wrong version number..." with the library's name.
std::string zipDllNotFoundMessage(const std::string& library);
std::string zipDllWrongVersionMessage(const std::string& library);

// Finds libzip32.so (beside the executable, then on the system path) and checks that it answers
// "Info-ZIP" for "CompanyName" and "2.3" for "FileVersion". Returns true or throws ZipDllError.
bool Check_ZipDllVersion();
// The same check for the library at `libraryPath` (an empty or missing path: not found).
bool Check_ZipDllVersion(const std::string& libraryPath);

// The unzip engine's check at start-up: libunzip32.so is found (beside the executable, then on
// the system path) and exports Wiz_SingleEntryUnzip. Returns true or throws ZipDllError with
// "Cannot find libunzip32.so..." (or, for a library without the entry point, "libunzip32.so has
// the wrong version number...").
bool Check_UnzipDll();
bool Check_UnzipDll(const std::string& libraryPath);

// The zip callbacks: print discards the text, comment leaves it unchanged, password writes
// nothing and answers 1, service answers 0 (carry on).
extern "C" int ZipPrint(char* text, unsigned long length);
extern "C" char* ZipComment(char* text);
extern "C" int ZipPassword(char* buffer, int size, const char* prompt, const char* name);
extern "C" int ZipService(const char* name, unsigned long size);

// Stores the four callbacks into `f` and hands it to ZpInit; returns ZpInit's result.
int Init_ZipUserFunctions(ZIPUSERFUNCTIONS& f);

// The three option records the program writes (every other field zero):
// the defaults of the options dialog ("Reset to default"): grow, recurse 1, level '6';
ZPOPT defaultZipOptions();
// description embedding: extra, junk folders, grow, the level from the options dialog's box.
ZPOPT embeddingZipOptions(char level);
// The level character from the level box's text (its bytes): the first one, '6' when empty.
char zipLevelFromText(const std::string& text);

// Engine calls (serialised with every other engine call).
int ZpSetOptions(const ZPOPT& options);
ZPOPT ZpGetOptions();
// Adds `names` to `archive` under the options in force; returns the engine's result (ZE_*).
int ZpArchive(const std::string& archive, const std::vector<std::string>& names);

} // namespace korvel
