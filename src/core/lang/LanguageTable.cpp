#include "core/lang/LanguageTable.h"

#include <array>

namespace korvel::lang {
namespace {

constexpr Target control(std::string_view window, std::string_view name) {
    return {window, name};
}
constexpr Target title(std::string_view window) {
    return {window, {}};
}
constexpr Target special(Special s) {
    return {{}, {}, s};
}

constexpr std::string_view Main = MainWindow, FrmZipOpt = ZipOptionsWindow, FrmUnzip = ExtractWindow,
                           Custom_ext = CustomFilesWindow, LangForm = LanguageWindow;

// Section, key, built-in text, the control it sets and, where two controls show the same words,
// the second control.
constexpr std::array Table{
    Key{"Buttons", "view", "View", control(Main, "B_view")},
    Key{"Buttons", "filename", "<filename>.txt", control(Main, "B_Filename")},
    Key{"Buttons", "extract", "Extract...", control(Main, "B_Unzip")},
    Key{"Buttons", "save info", "Save info", control(Main, "B_Save")},
    Key{"Buttons", "auto", "Auto select", control(Main, "B_Auto")},
    Key{"Buttons", "autoview", "Auto view", control(Main, "B_autoview")},
    Key{"Buttons", "readme", "readme.txt", control(Main, "B_Readme")},
    Key{"Buttons", "custom", "all custom files", control(Main, "B_Custom"),
        special(Special::AllCustomCaption)},
    Key{"Menu", "0", "File", control(Main, "File1")},
    Key{"Menu", "00", "Exit", control(Main, "Exit1")},
    Key{"Menu", "1", "Options", control(Main, "Options1")},
    Key{"Menu", "10", "Font...", control(Main, "M_Font")},
    Key{"Menu", "11", "Word wrap", control(Main, "M_WW")},
    Key{"Menu", "12", "Show hidden files", control(Main, "Hiddenfiles1")},
    Key{"Menu", "13", "Custom file...", control(Main, "Customfile1")},
    Key{"Menu", "14", "Change language...", control(Main, "Changelanguage1")},
    Key{"Menu", "15", "Catalogue folder...", control(Main, "Cataloguefolder1")},
    Key{"Menu", "2", "Help", control(Main, "Help1")},
    Key{"Menu", "20", "Using Korvel", control(Main, "ManagingZIPfiles1")},
    Key{"Menu", "21", "About...", control(Main, "About1")},
    Key{"Tabs", "Diz", "Info ZIP files", control(Main, "DIZPage")},
    Key{"Tabs", "Zip", "Easy zip packer", control(Main, "PackPage")},
    Key{"Packer", "Lstep1", "Step 1:", control(Main, "Lstep1")},
    Key{"Packer", "Lstep2", "Step 2:", control(Main, "Lstep2")},
    Key{"Packer", "Lstep3", "Step 3:", control(Main, "Lstep3")},
    Key{"Packer", "Ldrag", "Drag from here files to be zipped...", control(Main, "Ldrag")},
    Key{"Packer", "Ldrop", "... and drop here", control(Main, "Ldrop")},
    Key{"Packer", "Saveto", "Choose zip file name...", control(Main, "btnSaveTo")},
    Key{"Packer", "Options", "Options...", control(Main, "B_ZipOpt")},
    Key{"MP3", "Choose", "Use this format on saving info", control(Main, "Ck_V1"), control(Main, "Ck_V2")},
    Key{"MP3", "Label1", "Artist", control(Main, "Label1"), control(Main, "Lab1")},
    Key{"MP3", "Label2", "Title", control(Main, "Label2"), control(Main, "Lab2")},
    Key{"MP3", "Label3", "Album", control(Main, "Label3"), control(Main, "Lab3")},
    Key{"MP3", "Label4", "Year", control(Main, "Label4"), control(Main, "Lab4")},
    Key{"MP3", "Label5", "Genre", control(Main, "Label5"), control(Main, "Lab5")},
    Key{"MP3", "Label6", "Comment", control(Main, "Label6"), control(Main, "Lab6")},
    Key{"MP3", "L1", "FileSize", control(Main, "L1")},
    Key{"MP3", "L2", "BitRate", control(Main, "L2")},
    Key{"MP3", "L3", "Mode", control(Main, "L3")},
    Key{"MP3", "L4", "MPEG Type", control(Main, "L4")},
    Key{"MP3", "L5", "Sample rate", control(Main, "L5")},
    Key{"MP3", "L6", "Duration", control(Main, "L6")},
    Key{"MP3", "L7", "Encoder", control(Main, "L7")},
    Key{"MP3", "ButtExport", "Copy to ID3 v1", control(Main, "B_CopyTo")},
    Key{"MP3", "ButtImport", "Copy from ID3 v1", control(Main, "B_CopyFrom")},
    Key{"FileManager", "Butt1", "Copy", control(Main, "B_Copy")},
    Key{"FileManager", "Butt2", "Move", control(Main, "B_Move")},
    Key{"FileManager", "Butt3", "Delete", control(Main, "B_Delete")},
    Key{"Zip options", "MTitle", "Zip engine options", title(FrmZipOpt)},
    Key{"Zip options", "Title", "(in blue most commons)", control(FrmZipOpt, "GroupBox2")},
    Key{"Zip options", "1", "Include system and hidden files", control(FrmZipOpt, "chSystem")},
    Key{"Zip options", "2", "Include volume label", control(FrmZipOpt, "chVolume")},
    Key{"Zip options", "3", "Do not add path", control(FrmZipOpt, "chJunkDir")},
    Key{"Zip options", "4", "Recurse file in subdirectory", control(FrmZipOpt, "chRecurseDir")},
    Key{"Zip options", "5", "Set zip file time as latest file in it", control(FrmZipOpt, "chLatestTime")},
    Key{"Zip options", "6", "Compression level (0 - 9)", control(FrmZipOpt, "Label2")},
    Key{"Zip options", "7", "Allow appending to an existing zip file", control(FrmZipOpt, "chGrow")},
    Key{"Zip options", "8", "Delete files added or updated in zip file", control(FrmZipOpt, "chMove")},
    Key{"Zip options", "9", "Delete files from zip file", control(FrmZipOpt, "chDeleteEntries")},
    Key{"Zip options", "10", "Update zip file--overwrite only if newer", control(FrmZipOpt, "chUpdate")},
    Key{"Zip options", "11", "Freshen zip file--overwrite only", control(FrmZipOpt, "chFreshen")},
    Key{"Zip options", "ZipDefault", "Reset to default", control(FrmZipOpt, "B_ZipDefault")},
    Key{"Zip options", "Save", "Save options and close", control(FrmZipOpt, "B_SetZipOpt")},
    Key{"Zip options", "Close", "Close without saving", control(FrmZipOpt, "B_Close")},
    Key{"Unpacker", "Title", "Decompressing", title(FrmUnzip)},
    Key{"Unpacker", "Label1", "Size(bytes)", control(FrmUnzip, "Label2")},
    Key{"Unpacker", "Label2", "Date / Hour", control(FrmUnzip, "Label3")},
    Key{"Unpacker", "Label3", "Filename", control(FrmUnzip, "Label4")},
    Key{"Unpacker", "PathTo", "Decompress to:", control(FrmUnzip, "Label1")},
    Key{"Unpacker", "Unzip_all", "Unzip all", control(FrmUnzip, "R_all")},
    Key{"Unpacker", "Unzip_par", "Unzip only selected", control(FrmUnzip, "R_sel")},
    Key{"Unpacker", "But_canc", "Cancel", control(FrmUnzip, "B_Abort")},
    Key{"Unpacker", "Extract", "Extract to directory:", control(FrmUnzip, "Label5")},
    Key{"Unpacker", "ZOptions", "Options", control(FrmUnzip, "B_Options")},
    Key{"Unpacker", "Opt_title", "Engine options (in blue most commons)", control(FrmUnzip, "GroupBox1")},
    Key{"Unpacker", "1", "extract only newer files", control(FrmUnzip, "chExtractOnlyNewer")},
    Key{"Unpacker", "2", "extract only newer/new files", control(FrmUnzip, "chUFlag")},
    Key{"Unpacker", "3", "always overwrite files", control(FrmUnzip, "chOFlag")},
    Key{"Unpacker", "4", "case insensitive", control(FrmUnzip, "chC_flag")},
    Key{"Unpacker", "5", "extract with path", control(FrmUnzip, "chDFlag")},
    Key{"Custom files", "Title", "Custom file setup", title(Custom_ext)},
    Key{"Custom files", "BoxRight", "File(s) to search:", control(Custom_ext, "Label1")},
    Key{"Custom files", "LabelUp",
        "Insert custom file name in the box to the left\nand press \"Add\" button: for example,\nfile.nfo  "
        "or  <filename>.txt\n(where <filename> will be added automatically)\nor readme.nfo, or any file name "
        "you prefer.",
        control(Custom_ext, "Label2")},
    Key{"Custom files", "Butt_add", "&Add>>", control(Custom_ext, "B_Add")},
    Key{"Custom files", "Butt_rem", "<<Remove", control(Custom_ext, "B_Remove")},
    Key{"Custom files", "LabelBott",
        "To remove an item, highlight it in the right box and press \"Remove\";\nTo save your preferences "
        "for the next sessions press the apposite button.",
        control(Custom_ext, "Label3")},
    Key{"Custom files", "Butt_save", "Save settings", control(Custom_ext, "B_saveprefs")},
    Key{"Custom files", "Butt_close", "Close", control(Custom_ext, "B_OK")},
    Key{"Lang setup", "Title", "Customize language", title(LangForm)},
    Key{"Lang setup", "LabelTop", "Please select your favourite language:", control(LangForm, "Label1")},
    Key{"Lang setup", "LabelBott",
        "NOTE: you can create your own version by adding a new KVL file (=KorvelLanguage)  in the program "
        "directory, using DEFAULT.KVL as a template. Afterwards, if you send me your custom file, I will "
        "include it (with your name) in the future releases of Korvel.",
        control(LangForm, "Label2")},
    Key{"Lang setup", "Default", "Set as default", control(LangForm, "B_Def")},
    Key{"Lang setup", "Canc", "Cancel", control(LangForm, "B_cancel")},
    Key{"Lang setup", "OK", "OK", control(LangForm, "B_OK")},
    Key{"Dialogs", "Copying", "Confirm copy", special(Special::CopyPrompt)},
    Key{"Dialogs", "Moving", "Confirm move", special(Special::MovePrompt)},
    Key{"Dialogs", "File", "file(s)", special(Special::CountWord)},
};

} // namespace

std::span<const Key> keyTable() {
    return Table;
}

} // namespace korvel::lang
