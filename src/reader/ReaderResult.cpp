#include "reader/ReaderResult.h"

#include "resources/StringTable.h"

namespace quillet::reader {

bool IsKnownReaderResult(ReaderResult code) {
    return (code >= result::kOk && code <= result::kCardNotActive) ||
           (code >= result::kBadCardRecord && code <= result::kUsimOnlyCard);
}

std::string_view ReaderResultText(ReaderResult code) {
    return resources::LoadString(IsKnownReaderResult(code) ? code : result::kNonSpecific);
}

}  // namespace quillet::reader
