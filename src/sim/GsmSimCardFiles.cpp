// Reading, updating, increasing, invalidating and rehabilitating elementary files.
#include <algorithm>

#include "sim/GsmSimCard.h"
#include "sim/SimStatusWords.h"

namespace quillet::sim {

namespace {

enum RecordMode : std::uint8_t { kNext = 0x02, kPrevious = 0x03, kAbsoluteOrCurrent = 0x04 };

}  // namespace

ApduResponse GsmSimCard::ReadBinary(const ApduHeader& header) {
    if (const auto refused = CheckFileAccess(&FileAccess::read, false)) return {{}, *refused};
    const SimElementaryFile& file = *SelectedFile();
    const std::size_t offset = static_cast<std::size_t>(header.p1) << 8 | header.p2;
    const std::size_t length = header.p3 == 0 ? 256 : header.p3;
    if (offset >= file.content.size()) return {{}, sw::kOutOfRange};
    if (offset + length > file.content.size()) return {{}, sw::kWrongLength};
    return {std::vector<std::uint8_t>(file.content.begin() + offset, file.content.begin() + offset + length), sw::kOk};
}

ApduResponse GsmSimCard::UpdateBinary(const ApduHeader& header, std::span<const std::uint8_t> data) {
    if (const auto refused = CheckFileAccess(&FileAccess::update, false)) return {{}, *refused};
    SimElementaryFile& file = *SelectedFile();
    const std::size_t offset = static_cast<std::size_t>(header.p1) << 8 | header.p2;
    if (data.size() != header.p3) return {{}, sw::kWrongLength};
    if (offset >= file.content.size()) return {{}, sw::kOutOfRange};
    if (offset + data.size() > file.content.size()) return {{}, sw::kWrongLength};
    std::copy(data.begin(), data.end(), file.content.begin() + static_cast<std::ptrdiff_t>(offset));
    m_changed = true;
    return {{}, sw::kOk};
}

std::optional<std::uint16_t> GsmSimCard::LocateRecord(const ApduHeader& header, const SimElementaryFile& file,
                                                      std::size_t& number) {
    const std::size_t count = file.records.size();
    const bool cyclic = file.structure == FileStructure::Cyclic;
    switch (header.p2) {
        case kAbsoluteOrCurrent:
            // Absolute (P1 = record) and current (P1 = 0) leave the record pointer where it is.
            number = header.p1 == 0 ? m_recordPointer : header.p1;
            if (number == 0 || number > count) return sw::kOutOfRange;
            return std::nullopt;
        case kNext:
            // A linear file stops at its last record; a cyclic one wraps round.
            if (m_recordPointer == 0)
                number = 1;
            else if (m_recordPointer < count)
                number = m_recordPointer + 1;
            else if (cyclic)
                number = 1;
            else
                return sw::kOutOfRange;
            break;
        case kPrevious:
            if (m_recordPointer == 0)
                number = count;
            else if (m_recordPointer > 1)
                number = m_recordPointer - 1;
            else if (cyclic)
                number = count;
            else
                return sw::kOutOfRange;
            break;
        default:
            return sw::kWrongParameters;
    }
    m_recordPointer = number;
    return std::nullopt;
}

ApduResponse GsmSimCard::ReadRecord(const ApduHeader& header) {
    if (const auto refused = CheckFileAccess(&FileAccess::read, true)) return {{}, *refused};
    const SimElementaryFile& file = *SelectedFile();
    if (header.p3 != file.recordLength) return {{}, sw::kWrongLength};
    std::size_t number = 0;
    if (const auto refused = LocateRecord(header, file, number)) return {{}, *refused};
    return {file.records[number - 1], sw::kOk};
}

ApduResponse GsmSimCard::UpdateRecord(const ApduHeader& header, std::span<const std::uint8_t> data) {
    if (const auto refused = CheckFileAccess(&FileAccess::update, true)) return {{}, *refused};
    SimElementaryFile& file = *SelectedFile();
    if (header.p3 != file.recordLength || data.size() != file.recordLength) return {{}, sw::kWrongLength};
    const std::vector<std::uint8_t> record(data.begin(), data.end());

    if (file.structure == FileStructure::Cyclic) {
        // A cyclic file is only ever written in PREVIOUS mode: the oldest record takes the new
        // data and becomes record 1.
        if (header.p2 != kPrevious) return {{}, sw::kWrongParameters};
        file.records.pop_back();
        file.records.insert(file.records.begin(), record);
        m_recordPointer = 1;
        m_changed = true;
        return {{}, sw::kOk};
    }
    std::size_t number = 0;
    if (const auto refused = LocateRecord(header, file, number)) return {{}, *refused};
    file.records[number - 1] = record;
    m_changed = true;
    return {{}, sw::kOk};
}

ApduResponse GsmSimCard::Seek(const ApduHeader& header, std::span<const std::uint8_t> data) {
    if (SelectedFile() != nullptr && SelectedFile()->structure != FileStructure::LinearFixed) {
        return {{}, sw::kFileInconsistent};
    }
    if (const auto refused = CheckFileAccess(&FileAccess::read, true)) return {{}, *refused};
    const SimElementaryFile& file = *SelectedFile();
    const std::uint8_t type = header.p2 >> 4;
    const std::uint8_t mode = header.p2 & 0x0F;
    if (header.p1 != 0 || (type != 0 && type != 1) || mode > 3) return {{}, sw::kWrongParameters};
    if (data.empty() || data.size() != header.p3 || data.size() > file.recordLength) return {{}, sw::kWrongLength};

    // Modes: 0 from the first record forwards, 1 from the last backwards, 2 from the one after
    // the pointer forwards, 3 from the one before it backwards.
    const std::size_t count = file.records.size();
    const bool forwards = mode == 0 || mode == 2;
    std::size_t number = mode == 0 ? 1 : mode == 1 ? count : mode == 2 ? m_recordPointer + 1 : m_recordPointer - 1;
    if (mode == 2 && m_recordPointer == 0) number = 1;
    if (mode == 3 && m_recordPointer == 0) number = count;
    for (; number >= 1 && number <= count; number = forwards ? number + 1 : number - 1) {
        const std::vector<std::uint8_t>& record = file.records[number - 1];
        if (std::equal(data.begin(), data.end(), record.begin())) {
            m_recordPointer = number;
            if (type == 1) return RespondLater({static_cast<std::uint8_t>(number)});
            return {{}, sw::kOk};
        }
    }
    return {{}, sw::kFileNotFound};
}

ApduResponse GsmSimCard::Increase(const ApduHeader& header, std::span<const std::uint8_t> data) {
    if (SelectedFile() != nullptr && SelectedFile()->structure == FileStructure::LinearFixed) {
        return {{}, sw::kFileInconsistent};
    }
    if (const auto refused = CheckFileAccess(&FileAccess::increase, true)) return {{}, *refused};
    if (header.p1 != 0 || header.p2 != 0) return {{}, sw::kWrongParameters};
    if (header.p3 != 3 || data.size() != 3) return {{}, sw::kWrongLength};
    SimElementaryFile& file = *SelectedFile();

    // Add the value to record 1 as big-endian numbers; refuse when the record would overflow.
    std::vector<std::uint8_t> sum = file.records.front();
    unsigned carry = 0;
    for (std::size_t position = sum.size(); position < 3; ++position) {
        if (data[2 - position] != 0) return {{}, sw::kMaximumReached};
    }
    for (std::size_t position = 0; position < sum.size(); ++position) {
        const std::size_t index = sum.size() - 1 - position;
        const unsigned addend = position < 3 ? data[2 - position] : 0;
        const unsigned total = sum[index] + addend + carry;
        sum[index] = static_cast<std::uint8_t>(total);
        carry = total >> 8;
    }
    if (carry != 0) return {{}, sw::kMaximumReached};
    file.records.pop_back();
    file.records.insert(file.records.begin(), sum);
    m_recordPointer = 1;
    m_changed = true;
    std::vector<std::uint8_t> response = sum;
    response.insert(response.end(), data.begin(), data.end());
    return RespondLater(response);
}

ApduResponse GsmSimCard::SetInvalidation(const ApduHeader& header, bool invalidate) {
    SimElementaryFile* file = SelectedFile();
    if (file == nullptr) return {{}, sw::kNoEfSelected};
    if (header.p1 != 0 || header.p2 != 0) return {{}, sw::kWrongParameters};
    if (header.p3 != 0) return {{}, sw::kWrongLength};
    if (!AccessGranted(invalidate ? file->access.invalidate : file->access.rehabilitate)) {
        return {{}, sw::kAccessNotFulfilled};
    }
    if (file->invalidated != invalidate) {
        file->invalidated = invalidate;
        m_changed = true;
    }
    return {{}, sw::kOk};
}

}  // namespace quillet::sim
