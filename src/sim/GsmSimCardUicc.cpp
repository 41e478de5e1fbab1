// The UICC side of the virtual card: the class 00 commands of TS 102 221 on the same file tree
// as the GSM ones, with their selects, FCP templates, 61xx/6Cxx answers and PIN key references.
#include <algorithm>

#include "sim/GsmSimCard.h"
#include "sim/SimInstructions.h"
#include "sim/SimStatusWords.h"
#include "sim/UiccFcp.h"

namespace quillet::sim {

namespace {

constexpr std::uint8_t kGsmClass = 0xA0;
constexpr std::uint16_t kMasterFile = 0x3F00;
constexpr std::uint16_t kCurrentApplication = 0x7FFF;
constexpr std::uint8_t kPin1Key = 0x01;
constexpr std::uint8_t kPin2Key = 0x81;

enum SelectMode : std::uint8_t { kById = 0x00, kByAid = 0x04, kPathFromMf = 0x08, kPathFromCurrent = 0x09 };
constexpr std::uint8_t kNoDataReturned = 0x0C;

// The UICC's word for what the SIM's handlers answered.
std::uint16_t UiccStatus(std::uint16_t status) {
    if ((status & 0xFF00) == sw::kResponseWaiting) return sw::uicc::kBytesAvailable | (status & 0x00FF);
    switch (status) {
        case sw::kOutOfRange:
            return sw::uicc::kRecordNotFound;
        case sw::kFileNotFound:
            return sw::uicc::kFileNotFound;
        case sw::kNoEfSelected:
            return sw::uicc::kNoEfSelected;
        case sw::kFileInconsistent:
            return sw::uicc::kIncompatibleStructure;
        case sw::kAccessNotFulfilled:
            return sw::uicc::kSecurityNotSatisfied;
        case sw::kContradictsInvalidation:
        case sw::kContradictsChvStatus:
            return sw::uicc::kConditionsNotSatisfied;
        case sw::kNoChvInitialised:
            return sw::uicc::kReferenceInvalidated;
        case sw::kCodeBlocked:
            return sw::uicc::kMethodBlocked;
        case sw::kMaximumReached:
            return sw::uicc::kNotEnoughMemory;
        default:
            return status;
    }
}

ApduResponse AsUicc(ApduResponse response) {
    response.sw = UiccStatus(response.sw);
    return response;
}

// The length to ask for again: 6Cxx, where 00 stands for 256.
ApduResponse AskForLength(std::size_t length) {
    return {{}, static_cast<std::uint16_t>(sw::uicc::kWrongLe | (length & 0xFF))};
}

}  // namespace

ApduResponse GsmSimCard::ProcessUicc(const ApduHeader& header, std::span<const std::uint8_t> data,
                                     std::vector<std::uint8_t>& pending) {
    // The SIM's handlers check the same things; they are asked with the SIM's class.
    ApduHeader asSim = header;
    asSim.cla = kGsmClass;
    switch (header.ins) {
        case kGetResponse: {
            m_pendingResponse = std::move(pending);
            const std::size_t wanted = header.p3 == 0 ? 256 : header.p3;
            // The response stays waiting for the corrected command.
            if (!m_pendingResponse.empty() && wanted > m_pendingResponse.size()) {
                return AskForLength(m_pendingResponse.size());
            }
            return AsUicc(GetResponse(asSim));
        }
        case kSelect:
            return UiccSelect(header, data);
        case kStatus: {
            if (header.p2 == kNoDataReturned) return {{}, sw::kOk};
            const std::vector<std::uint8_t> fcp = CurrentDirectoryFcp();
            const std::size_t wanted = header.p3 == 0 ? 256 : header.p3;
            if (wanted > fcp.size()) return AskForLength(fcp.size());
            return {std::vector<std::uint8_t>(fcp.begin(), fcp.begin() + static_cast<std::ptrdiff_t>(wanted)), sw::kOk};
        }
        case kReadBinary:
        case kReadRecord:
            return UiccRead(header);
        case kUpdateBinary:
            return AsUicc(UpdateBinary(asSim, data));
        case kUpdateRecord:
            return AsUicc(UpdateRecord(asSim, data));
        case kIncrease:
            return AsUicc(Increase(asSim, data));
        case kInvalidate:
            return AsUicc(SetInvalidation(asSim, true));
        case kRehabilitate:
            return AsUicc(SetInvalidation(asSim, false));
        case kVerifyChv:
        case kChangeChv:
        case kDisableChv:
        case kEnableChv:
        case kUnblockChv:
            return UiccPinCommand(header, data);
        default:
            return {{}, sw::kUnknownInstruction};
    }
}

ApduResponse GsmSimCard::UiccRead(const ApduHeader& header) {
    ApduHeader asSim = header;
    asSim.cla = kGsmClass;
    const bool record = header.ins == kReadRecord;
    if (const auto refused = CheckFileAccess(&FileAccess::read, record)) return {{}, UiccStatus(*refused)};
    const SimElementaryFile& file = *SelectedFile();
    const std::size_t wanted = header.p3 == 0 ? 256 : header.p3;
    if (record) {
        if (wanted != file.recordLength) return AskForLength(file.recordLength);
        return AsUicc(ReadRecord(asSim));
    }
    const std::size_t offset = static_cast<std::size_t>(header.p1) << 8 | header.p2;
    if (offset >= file.content.size()) return {{}, sw::kWrongParameters};
    const std::size_t left = file.content.size() - offset;
    if (wanted > left) return AskForLength(left);
    return AsUicc(ReadBinary(asSim));
}

GsmSimCard::Selected GsmSimCard::SelectByPath(std::span<const std::uint8_t> path, bool fromMasterFile) {
    if (path.empty() || path.size() % 2 != 0) return Selected::Nothing;
    DirectoryKey node = fromMasterFile ? kMasterFileKey : m_currentDirectory;
    for (std::size_t offset = 0; offset < path.size(); offset += 2) {
        const auto id = static_cast<std::uint16_t>(path[offset] << 8 | path[offset + 1]);
        const bool last = offset + 2 == path.size();
        if (id == kMasterFile && offset == 0) {
            node = kMasterFileKey;
            if (last) return EnterDirectory(node);
            continue;
        }
        std::optional<DirectoryKey> child;
        if (id == kCurrentApplication && node == kMasterFileKey) {
            child = m_currentApplication;
        } else {
            for (const SimDirectory& directory : m_profile.directories) {
                if (directory.id == id && ParentDirectoryKey(directory.Key()) == node) child = directory.Key();
            }
        }
        if (child) {
            node = *child;
            if (last) return EnterDirectory(node);
            continue;
        }
        return last ? SelectFileIn(node, id) : Selected::Nothing;
    }
    return Selected::Nothing;
}

GsmSimCard::Selected GsmSimCard::SelectByAid(std::span<const std::uint8_t> aid) {
    // A right-truncated AID selects the first application it begins.
    for (const SimDirectory& directory : m_profile.directories) {
        if (directory.aid.empty() || aid.size() > directory.aid.size()) continue;
        if (std::equal(aid.begin(), aid.end(), directory.aid.begin())) {
            m_currentApplication = directory.Key();
            return EnterDirectory(directory.Key());
        }
    }
    return Selected::Nothing;
}

ApduResponse GsmSimCard::UiccSelect(const ApduHeader& header, std::span<const std::uint8_t> data) {
    if (data.empty() || data.size() != header.p3) return {{}, sw::kWrongLength};
    Selected selected = Selected::Nothing;
    switch (header.p1) {
        case kById:
            if (data.size() != 2) return {{}, sw::kWrongLength};
            selected = SelectById(static_cast<std::uint16_t>(data[0] << 8 | data[1]), true);
            break;
        case kByAid:
            if (data.size() > 16) return {{}, sw::kWrongLength};
            selected = SelectByAid(data);
            break;
        case kPathFromMf:
        case kPathFromCurrent:
            if (data.size() % 2 != 0) return {{}, sw::kWrongLength};
            selected = SelectByPath(data, header.p1 == kPathFromMf);
            break;
        default:
            return {{}, sw::kWrongParameters};
    }
    if (selected == Selected::Nothing) return {{}, sw::uicc::kFileNotFound};
    if ((header.p2 & kNoDataReturned) == kNoDataReturned) return {{}, sw::kOk};
    return AsUicc(RespondLater(CurrentFcp()));
}

std::vector<std::uint8_t> GsmSimCard::CurrentFcp() const {
    if (m_currentFile) return ElementaryFileFcp(m_profile.files[*m_currentFile], m_selectedFileId);
    return CurrentDirectoryFcp();
}

std::vector<std::uint8_t> GsmSimCard::CurrentDirectoryFcp() const {
    const SimDirectory* directory = m_profile.FindDirectory(m_currentDirectory);
    return DirectoryFcp(
        static_cast<std::uint16_t>(m_currentDirectory),
        directory != nullptr ? std::span<const std::uint8_t>(directory->aid) : std::span<const std::uint8_t>(),
        m_profile.chv1Enabled);
}

ApduResponse GsmSimCard::UiccPinCommand(const ApduHeader& header, std::span<const std::uint8_t> data) {
    // Key reference 01 is PIN1 and 81 PIN2; the card has no universal PIN (11) or other keys.
    if (header.p2 != kPin1Key && header.p2 != kPin2Key) return {{}, sw::uicc::kReferenceNotFound};
    if (header.p1 != 0) return {{}, sw::kWrongParameters};
    const bool first = header.p2 == kPin1Key;
    SecretCode& pin = first ? m_profile.chv1 : m_profile.chv2;
    SecretCode& unblock = first ? m_profile.unblockChv1 : m_profile.unblockChv2;
    const bool unblocking = header.ins == kUnblockChv;
    const SecretCode& counted = unblocking ? unblock : pin;

    // No data: the card tells the counter, or 9000 when the PIN needs no presenting.
    if (header.p3 == 0 && (header.ins == kVerifyChv || unblocking)) {
        if (counted.attemptsLeft == 0) return {{}, sw::uicc::kMethodBlocked};
        const bool satisfied = first ? (!m_profile.chv1Enabled || m_chv1Verified) : m_chv2Verified;
        if (!unblocking && satisfied) return {{}, sw::kOk};
        return {{}, static_cast<std::uint16_t>(sw::uicc::kRetriesLeft | counted.attemptsLeft)};
    }

    ApduHeader asSim = header;
    asSim.cla = kGsmClass;
    asSim.p2 = first ? 1 : 2;
    ApduResponse response;
    switch (header.ins) {
        case kVerifyChv:
            response = VerifyChv(asSim, data);
            break;
        case kChangeChv:
            response = ChangeChv(asSim, data);
            break;
        case kDisableChv:
        case kEnableChv:
            // PIN2 cannot be switched off on this card.
            if (!first) return {{}, sw::uicc::kConditionsNotSatisfied};
            response = SetChv1Enabled(asSim, data, header.ins == kEnableChv);
            break;
        default:
            asSim.p2 = first ? 0 : 2;
            response = UnblockChv(asSim, data);
            break;
    }
    if (response.sw == sw::kAccessNotFulfilled) {
        return {{}, static_cast<std::uint16_t>(sw::uicc::kRetriesLeft | counted.attemptsLeft)};
    }
    return AsUicc(std::move(response));
}

}  // namespace quillet::sim
