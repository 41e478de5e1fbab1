#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace quillet::ui {

// The core keeps names, texts and messages as Windows-1250 bytes, exactly as cards and files hold
// them; Qt wants Unicode. These convert at that boundary. The five bytes Windows-1250 leaves
// undefined show as U+FFFD, and characters it cannot hold become '?'.
QString FromCp1250(std::string_view bytes);
std::string ToCp1250(const QString& text);
// A text of the core for a window: converted, with its "\r\n" line breaks as Qt's "\n".
QString DisplayText(std::string_view bytes);
// A name of the system's own (a device, a file path, UTF-8) as Windows-1250 text for a message.
std::string SystemTextToCp1250(const std::string& text);

}  // namespace quillet::ui
