// *.DIA phone book files, opened into an empty window and added to a filled one.
#include <array>

#include "FileReaderTarget.h"
#include "FuzzTarget.h"
#include "card/GsmText.h"
#include "phonebook/DiaFile.h"
#include "phonebook/EntryName.h"

namespace quillet::fuzz {

std::vector<std::string> Seeds() {
    return {"1\tJan Novak\t+420603123456\r\n2\tEva\t112\r\n17\tOffice\t+4202*31#p12\r\n",
            "Jan Novak\t+420603123456\r\nEva\t112", "250\tLast\t1\r\n1\tFirst\t2\r\n", "1\tName \x1bn tab\t+1\r\n",
            "1\tM\xFCller \x8A\x9D\x61stn\xFD\t1\r\n2\tme@home $5_ok\t2\r\n3\tA\x1b"
            "e [x]\t3\r\n"};
}

}  // namespace quillet::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillet;
    static std::array<phonebook::PhoneBookEntry, phonebook::kDiaPositions> positions;
    const std::span<const std::uint8_t> bytes(data, size);
    const std::string path = fuzz::InputFile(bytes);
    for (const phonebook::DiaReadMode mode : {phonebook::DiaReadMode::Open, phonebook::DiaReadMode::Add}) {
        for (std::size_t index = 0; index < positions.size(); ++index) {
            positions[index] = phonebook::EmptyPosition(static_cast<std::uint16_t>(index));
            positions[index].used = mode == phonebook::DiaReadMode::Add && index % 3 == 0;
        }
        testing::ScriptedUserInterface ui;
        fuzz::AnswerFrom(bytes, ui);
        phonebook::DiaReadOptions options;
        options.mode = mode;
        options.start = size > 1 ? 1 + data[1] % 260 : 1;
        options.keepNumbering = size > 2 && (data[2] & 1) != 0;
        unsigned count = mode == phonebook::DiaReadMode::Add ? 120 : 0;
        phonebook::ReadDiaFile(path, options, positions, count, ui);
        // At most one message, no count beyond the window, and every entry stays where it is. A name
        // read is the card's coding of its own text, within the entry's bytes.
        fuzz::Require(ui.messages.size() <= 1 && count <= positions.size());
        for (std::size_t index = 0; index < positions.size(); ++index) {
            const phonebook::PhoneBookEntry& entry = positions[index];
            fuzz::Require(entry.index == index);
            if (!entry.used) continue;
            fuzz::Require(entry.number[sizeof entry.number - 1] == 0);
            const std::string_view name = phonebook::NameBytes(entry);
            const auto coded = card::EncodeAlphaIdentifier(phonebook::NameText(entry), phonebook::kMaxNameBytes,
                                                           card::PaddingByte::Avoided);
            fuzz::Require(coded &&
                          std::string_view(reinterpret_cast<const char*>(coded->data()), coded->size()) == name);
        }
    }
    return 0;
}
