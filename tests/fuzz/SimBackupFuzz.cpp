// *.SIM backup files: decoded, and what decodes must encode back to a file that decodes the same.
#include <cstdio>
#include <memory>

#include "FuzzTarget.h"
#include "backup/SimBackupFile.h"
#include "sms/MessageBody.h"

namespace quillet::fuzz {

std::vector<std::string> Seeds() {
    auto backup = std::make_unique<backup::SimBackup>();
    backup->phoneBookCount = 3;
    backup->phoneBook[1].used = 1;
    std::snprintf(backup->phoneBook[1].name, sizeof backup->phoneBook[1].name, "Jan Novak");
    std::snprintf(backup->phoneBook[1].number, sizeof backup->phoneBook[1].number, "420603123456");
    backup->messageCount = 2;
    backup->messages[0].used = 1;
    sms::SetMessageFileText(backup->messages[1], "P\xF8\xEDli\x9A 5\x80 @ caf\xE9\nnext line");
    std::snprintf(backup->smsParameters.centre, sizeof backup->smsParameters.centre, "+420603052000");
    backup->preferredNetworks = {backup::PlmnEntry{1, 0, 0, 230, 1}, backup::PlmnEntry{}};
    backup->forbiddenNetworks = {backup::PlmnEntry{1, 0, 0, 262, 2}};
    const std::vector<std::uint8_t> full = backup::EncodeSimBackup(*backup);
    const std::vector<std::uint8_t> empty = backup::EncodeSimBackup(backup::SimBackup{});
    return {std::string(full.begin(), full.end()), std::string(empty.begin(), empty.end())};
}

}  // namespace quillet::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillet::backup;
    static auto first = std::make_unique<SimBackup>();
    static auto second = std::make_unique<SimBackup>();
    *first = SimBackup{};
    static const std::vector<std::uint8_t> untouched = EncodeSimBackup(*first);
    std::uint32_t error = 0;
    if (!DecodeSimBackup({data, size}, *first, error)) {
        // A refusal names the damage and leaves the caller's backup as it was.
        quillet::fuzz::Require(error == message::kStructureError || error == message::kReadError);
        quillet::fuzz::Require(EncodeSimBackup(*first) == untouched);
        return 0;
    }
    quillet::fuzz::Require(first->phoneBookCount <= kBackupPhoneBookPositions &&
                           first->messageCount <= kBackupSmsPositions);
    for (const auto& entry : first->phoneBook) quillet::fuzz::Require(entry.number[sizeof entry.number - 1] == 0);
    for (const auto& entry : first->messages) {
        quillet::fuzz::Require(quillet::sms::MessageRoom(entry, quillet::sms::MessageText(entry)).Fits());
    }
    const std::vector<std::uint8_t> encoded = EncodeSimBackup(*first);
    *second = SimBackup{};
    quillet::fuzz::Require(DecodeSimBackup(encoded, *second, error) && EncodeSimBackup(*second) == encoded);
    return 0;
}
