#pragma once

#include <cstdint>
#include <optional>
#include <string>

class QWidget;

namespace quillet::ui {

// A file type of the file dialogs: its name from the string table and its pattern ("*.DIA").
struct FileType {
    std::uint32_t nameId;
    const char* pattern;
};

// The program's file dialogs: the types offered (then "All files (*.*)"), the first one chosen;
// a pattern matches its extension in either case, as files come from systems that ignore case.
// The path in the system's encoding, or nothing when the user cancelled.
std::optional<std::string> AskOpenPath(QWidget* parent, std::uint32_t titleId, const FileType& type);
// Asks before an existing file is replaced; the type's extension is added to a name without one.
std::optional<std::string> AskSavePath(QWidget* parent, std::uint32_t titleId, const FileType& type);

}  // namespace quillet::ui
