#pragma once
// The vocabulary of a language file: every key a "*.kvl" file may hold, its built-in English
// text and what it names on screen. The table is data: a new key or control is one more row.
// Rows are read in table order, section by section.

#include <cstddef>
#include <span>
#include <string_view>

namespace korvel::lang {

// Texts that are not captions of a control: the main window keeps them for later use.
enum class Special {
    None,
    AllCustomCaption, // the caption that stands for "all custom files"
    CopyPrompt,       // the file manager's copy question
    MovePrompt,       // the file manager's move question
    CountWord,        // the word after the number of files in both questions
    ZipOnlySave,      // "Save info" on an archive the zip engine cannot write
};

// Where a text goes: a control (by objectName) on a window (by objectName), the window's title
// (control empty), or a special text (window and control empty).
struct Target {
    std::string_view window;
    std::string_view control;
    Special special = Special::None;

    constexpr bool empty() const { return window.empty() && special == Special::None; }
    constexpr bool isSpecial() const { return special != Special::None; }
    constexpr bool isWindowTitle() const { return !window.empty() && control.empty(); }
    constexpr bool isControl() const { return !window.empty() && !control.empty(); }
};

// One key of a language file. `second`, when set, takes the same text as `first`.
struct Key {
    std::string_view section;
    std::string_view key;
    std::string_view defaultText;
    Target first;
    Target second = {};
};

// The objectNames of the windows the table names.
inline constexpr std::string_view MainWindow = "Main";
inline constexpr std::string_view ZipOptionsWindow = "FrmZipOpt";
inline constexpr std::string_view ExtractWindow = "FrmUnzip";
inline constexpr std::string_view CustomFilesWindow = "Custom_ext";
inline constexpr std::string_view LanguageWindow = "LangForm";

// The whole table, in reading order.
std::span<const Key> keyTable();

} // namespace korvel::lang
