#include "reader/DriverErrorMap.h"

#include <array>

namespace quillet::reader {

namespace {

// Driver errors 1001..1026 name the result codes 104..142 in order, skipping the unused 114..126.
constexpr std::array<ReaderResult, 26> kDriverErrorResults = {
    104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 127, 128, 129,
    130, 131, 132, 133, 134, 135, 136, 137, 138, 139, 140, 141, 142,
};

constexpr std::uint32_t kFirstDriverError = 1001;

}  // namespace

ReaderResult MapDriverError(std::uint32_t errorNumber) {
    switch (errorNumber) {
        case 0:
            return result::kOk;
        case 3:
            return result::kReaderNotConnected;
        case 4:
        case 5:
        case 6:
            return result::kPortError;
        case 7:
            return result::kCommandError;
        case 11:
            return result::kStatusError;
        case 12:
            return result::kDataBlockError;
        case 129:
            return result::kCardNotInserted;
        case 130:
            return result::kCardChanged;
        case 1000:
            return result::kCommandError;
        default:
            break;
    }
    if (errorNumber >= kFirstDriverError && errorNumber < kFirstDriverError + kDriverErrorResults.size()) {
        return kDriverErrorResults[errorNumber - kFirstDriverError];
    }
    return result::kNonSpecific;
}

}  // namespace quillet::reader
