#pragma once
// The description editor DIZEdit: a plain-text editor that shows a description's bytes as the
// code page 437 glyphs in the system's fixed-pitch font, navy, and gives back the bytes to store.

#include <QString>
#include <string>
#include <string_view>

class QPlainTextEdit;

namespace korvel {

// Font, colour, no word wrap, both scroll bars. Shift+Enter starts a new line like Enter (the
// editor would otherwise put a line separator there, stored as a lone LF).
void setupDescriptionEditor(QPlainTextEdit* edit);
// Only the Shift+Enter part of the above (once per editor, however often it is called).
void keepLineEndsCrLf(QPlainTextEdit* edit);

// The editor's text for a description's bytes, and the bytes for the editor's text.
QString descriptionText(std::string_view bytes);
std::string descriptionBytes(const QString& rawText, std::size_t* unmappable = nullptr);

// Replaces the editor's text with the description. Does not touch the unsaved-changes state of
// the main window.
void setDescriptionBytes(QPlainTextEdit* edit, std::string_view bytes);

// The bytes to store for what the editor holds (CR LF line ends, code page 437); characters the
// code page lacks are stored as "?" and counted in *unmappable when it is given.
std::string descriptionBytes(const QPlainTextEdit* edit, std::size_t* unmappable = nullptr);

} // namespace korvel
