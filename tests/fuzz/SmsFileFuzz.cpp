// *.SMS and *.SMA message files opened into a message window.
#include <array>

#include "FileReaderTarget.h"
#include "FuzzTarget.h"
#include "resources/StringTable.h"
#include "sms/MessageBody.h"
#include "sms/SmsFile.h"
#include "sms/SmsTimeValue.h"

namespace quillet::fuzz {

std::vector<std::string> Seeds() {
    return {
        "1\t>+420603052000\t>+420777123456\t>06.12.26 10:15\t1\t0\t>Dinner at 8?\r\n"
        "3\t>+420603052000\t>112\t>24 hours\t5\t7\t>Sent text\r\n",
        ">+420603052000\t>+420777123456\t>01.01.99 00:00\t1\t0\t>archived\r\n"
        ">\t>1\t>\t3\t255\t>\r\n",
        "99\t>\t>\t>\t7\t0\t>last position\r\n",
        "2\t>1\t>2\t>1 day\t0\t0\t>P\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD 5\x80 @ caf\xE9\x1bnnext line\r\n"};
}

}  // namespace quillet::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillet;
    static std::array<sms::SmsEntry, sms::kMaxSmsFilePosition> entries;
    for (std::size_t index = 0; index < entries.size(); ++index) {
        entries[index] = sms::MakeEmptySmsEntry(static_cast<std::uint16_t>(index));
    }
    testing::ScriptedUserInterface ui;
    std::uint32_t count = 40;
    const bool opened = sms::OpenSmsFile(fuzz::InputFile({data, size}), entries, count, ui);
    // A refusal says so once, with the file's message and line; what was read keeps every field's limits,
    // its text fits a message, and the messages save to a file that opens again.
    fuzz::Require(ui.messages.size() == (opened ? 0u : 1u) && count <= entries.size());
    fuzz::Require(opened || ui.messages[0].first.starts_with(resources::LoadString(57688)));
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const sms::SmsEntry& entry = entries[index];
        fuzz::Require(entry.index == index);
        if (entry.used == 0) continue;
        sms::SmsTimeValue value{};
        fuzz::Require(index < count && entry.status <= 3 && entry.messageRef <= 255 &&
                      sms::MessageRoom(entry, sms::MessageText(entry)).Fits() &&
                      sms::FieldText(entry.address).size() < 21 &&
                      sms::ParseDateOrValidity(sms::FieldText(entry.dateOrValidity), value));
    }
    const std::string saved = sms::FormatSmsFile(entries, count);
    std::uint32_t again = 0;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(saved.data());
    fuzz::Require(sms::OpenSmsFile(fuzz::InputFile({bytes, saved.size()}), entries, again, ui));
    return 0;
}
