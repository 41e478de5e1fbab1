// Command dispatch, file selection and the answers that describe files.
#include "sim/GsmSimCard.h"

#include <algorithm>

#include "sim/SimInstructions.h"
#include "sim/SimStatusWords.h"

namespace quillet::sim {

namespace {

constexpr std::uint8_t kGsmClass = 0xA0;
constexpr std::uint16_t kMasterFile = 0x3F00;
constexpr std::uint16_t kCurrentApplication = 0x7FFF;
constexpr std::uint8_t kChv1DisabledBit = 0x80;
constexpr std::uint8_t kCodeInitialisedBit = 0x80;
// Clock stop allowed, 13/4 MHz for the authentication algorithm.
constexpr std::uint8_t kFileCharacteristics = 0x03;

std::uint8_t CodeStatus(const SecretCode& code) {
    return static_cast<std::uint8_t>((code.initialised ? kCodeInitialisedBit : 0) | (code.attemptsLeft & 0x0F));
}

void PutWord(std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t value) {
    bytes[offset] = static_cast<std::uint8_t>(value >> 8);
    bytes[offset + 1] = static_cast<std::uint8_t>(value);
}

}  // namespace

GsmSimCard::GsmSimCard(SimProfile profile) : m_profile(std::move(profile)) {}

std::vector<std::uint8_t> GsmSimCard::Reset() {
    m_currentDirectory = kMasterFileKey;
    m_currentApplication.reset();
    m_currentFile.reset();
    m_recordPointer = 0;
    m_pendingResponse.clear();
    m_chv1Verified = false;
    m_chv2Verified = false;
    return m_profile.atr;
}

bool GsmSimCard::TakesData(const ApduHeader& header) const {
    switch (header.ins) {
        case kSelect:
        case kUpdateBinary:
        case kUpdateRecord:
        case kSeek:
        case kIncrease:
        case kVerifyChv:
        case kChangeChv:
        case kDisableChv:
        case kEnableChv:
        case kUnblockChv:
        case kRunGsmAlgorithm:
            return true;
        default:
            return false;
    }
}

ApduResponse GsmSimCard::Process(const ApduHeader& header, std::span<const std::uint8_t> data) {
    ++m_commandCount;
    // A response waits for exactly the next command.
    std::vector<std::uint8_t> pending;
    pending.swap(m_pendingResponse);
    if (header.cla == kGsmClass && m_profile.platform != CardPlatform::UsimOnly) {
        return ProcessGsm(header, data, pending);
    }
    // Classes 00 to 03: the basic channel and logical channels 1 to 3, which this card treats as one.
    if ((header.cla & 0xFC) == 0x00 && m_profile.platform != CardPlatform::GsmSim) {
        return ProcessUicc(header, data, pending);
    }
    return {{}, sw::kWrongClass};
}

ApduResponse GsmSimCard::ProcessGsm(const ApduHeader& header, std::span<const std::uint8_t> data,
                                    std::vector<std::uint8_t>& pending) {
    switch (header.ins) {
        case kGetResponse:
            m_pendingResponse = std::move(pending);
            return GetResponse(header);
        case kSelect:
            return Select(header, data);
        case kStatus:
            return Status(header);
        case kReadBinary:
            return ReadBinary(header);
        case kUpdateBinary:
            return UpdateBinary(header, data);
        case kReadRecord:
            return ReadRecord(header);
        case kUpdateRecord:
            return UpdateRecord(header, data);
        case kSeek:
            return Seek(header, data);
        case kIncrease:
            return Increase(header, data);
        case kInvalidate:
            return SetInvalidation(header, true);
        case kRehabilitate:
            return SetInvalidation(header, false);
        case kVerifyChv:
            return VerifyChv(header, data);
        case kChangeChv:
            return ChangeChv(header, data);
        case kDisableChv:
            return SetChv1Enabled(header, data, false);
        case kEnableChv:
            return SetChv1Enabled(header, data, true);
        case kUnblockChv:
            return UnblockChv(header, data);
        case kRunGsmAlgorithm:
            return RunGsmAlgorithm(header, data);
        case kSleep:
            return {{}, sw::kOk};
        default:
            return {{}, sw::kUnknownInstruction};
    }
}

ApduResponse GsmSimCard::RespondLater(std::vector<std::uint8_t> response) {
    const auto length = static_cast<std::uint16_t>(response.size());
    m_pendingResponse = std::move(response);
    return {{}, static_cast<std::uint16_t>(sw::kResponseWaiting | length)};
}

ApduResponse GsmSimCard::Select(const ApduHeader& header, std::span<const std::uint8_t> data) {
    if (header.p1 != 0 || header.p2 != 0) return {{}, sw::kWrongParameters};
    if (header.p3 != 2 || data.size() != 2) return {{}, sw::kWrongLength};
    const auto id = static_cast<std::uint16_t>(data[0] << 8 | data[1]);
    switch (SelectById(id, false)) {
        case Selected::Directory:
            return RespondLater(DirectoryResponse(m_currentDirectory));
        case Selected::File:
            return RespondLater(FileResponse(*SelectedFile(), m_selectedFileId));
        case Selected::Nothing:
            break;
    }
    return {{}, sw::kFileNotFound};
}

GsmSimCard::Selected GsmSimCard::EnterDirectory(DirectoryKey key) {
    m_currentDirectory = key;
    m_currentFile.reset();
    m_recordPointer = 0;
    return Selected::Directory;
}

GsmSimCard::Selected GsmSimCard::SelectFileIn(DirectoryKey directory, std::uint16_t id) {
    const auto named = std::find_if(m_profile.files.begin(), m_profile.files.end(), [&](const SimElementaryFile& file) {
        return file.directory == directory && file.id == id;
    });
    const SimElementaryFile* body = named == m_profile.files.end() ? nullptr : m_profile.FindFile(directory, id);
    if (body == nullptr) return Selected::Nothing;
    m_currentDirectory = directory;
    m_currentFile = static_cast<std::size_t>(body - m_profile.files.data());
    m_selectedFileId = id;
    // A linear fixed file has no current record after a select; in a cyclic file the pointer
    // addresses the record written last, record 1.
    m_recordPointer = body->structure == FileStructure::Cyclic && !body->records.empty() ? 1 : 0;
    return Selected::File;
}

GsmSimCard::Selected GsmSimCard::SelectById(std::uint16_t id, bool application) {
    if (id == kMasterFile) return EnterDirectory(kMasterFileKey);
    if (application && id == kCurrentApplication) {
        return m_currentApplication ? EnterDirectory(*m_currentApplication) : Selected::Nothing;
    }
    const DirectoryKey parent = ParentDirectoryKey(m_currentDirectory);
    for (const SimDirectory& directory : m_profile.directories) {
        // An ADF is reached by its AID; the GSM commands know no applications at all.
        if (directory.id != id || (!directory.aid.empty() && !application)) continue;
        const DirectoryKey key = directory.Key();
        const DirectoryKey itsParent = ParentDirectoryKey(key);
        if (key == m_currentDirectory || key == parent || itsParent == m_currentDirectory || itsParent == parent) {
            return EnterDirectory(key);
        }
    }
    return SelectFileIn(m_currentDirectory, id);
}

ApduResponse GsmSimCard::GetResponse(const ApduHeader& header) {
    const std::size_t length = header.p3 == 0 ? 256 : header.p3;
    if (m_pendingResponse.empty()) return {{}, sw::kTechnicalProblem};
    if (length > m_pendingResponse.size()) return {{}, sw::kWrongLength};
    std::vector<std::uint8_t> answer(m_pendingResponse.begin(), m_pendingResponse.begin() + length);
    m_pendingResponse.clear();
    return {answer, sw::kOk};
}

ApduResponse GsmSimCard::Status(const ApduHeader& header) {
    const std::vector<std::uint8_t> response = DirectoryResponse(m_currentDirectory);
    const std::size_t length = header.p3 == 0 ? 256 : header.p3;
    if (length > response.size()) return {{}, sw::kWrongLength};
    return {std::vector<std::uint8_t>(response.begin(), response.begin() + length), sw::kOk};
}

std::vector<std::uint8_t> GsmSimCard::DirectoryResponse(DirectoryKey key) const {
    std::vector<std::uint8_t> response(22, 0x00);
    PutWord(response, 4, static_cast<std::uint16_t>(key));
    response[6] = key == kMasterFileKey ? 0x01 : 0x02;
    response[12] = 9;  // bytes 14 to 22 follow
    response[13] = static_cast<std::uint8_t>(kFileCharacteristics | (m_profile.chv1Enabled ? 0 : kChv1DisabledBit));
    response[14] = static_cast<std::uint8_t>(
        std::count_if(m_profile.directories.begin(), m_profile.directories.end(), [&](const SimDirectory& directory) {
            return directory.aid.empty() && ParentDirectoryKey(directory.Key()) == key && directory.Key() != key;
        }));
    response[15] =
        static_cast<std::uint8_t>(std::count_if(m_profile.files.begin(), m_profile.files.end(),
                                                [&](const SimElementaryFile& file) { return file.directory == key; }));
    response[16] = 4;  // CHV1, CHV2 and their unblocking codes
    response[18] = CodeStatus(m_profile.chv1);
    response[19] = CodeStatus(m_profile.unblockChv1);
    response[20] = CodeStatus(m_profile.chv2);
    response[21] = CodeStatus(m_profile.unblockChv2);
    return response;
}

std::vector<std::uint8_t> GsmSimCard::FileResponse(const SimElementaryFile& file, std::uint16_t id) const {
    const auto nibble = [](AccessLevel level) { return static_cast<std::uint8_t>(level); };
    std::vector<std::uint8_t> response(15, 0x00);
    PutWord(response, 2, file.Size());
    PutWord(response, 4, id);
    response[6] = 0x04;
    if (file.structure == FileStructure::Cyclic && file.access.increase != AccessLevel::Never) {
        response[7] = 0x40;  // INCREASE allowed
    }
    response[8] = static_cast<std::uint8_t>(nibble(file.access.read) << 4 | nibble(file.access.update));
    response[9] = static_cast<std::uint8_t>(nibble(file.access.increase) << 4);
    response[10] = static_cast<std::uint8_t>(nibble(file.access.rehabilitate) << 4 | nibble(file.access.invalidate));
    response[11] =
        static_cast<std::uint8_t>((file.invalidated ? 0x00 : 0x01) | (file.usableWhenInvalidated ? 0x04 : 0x00));
    response[12] = 2;  // bytes 14 and 15 follow
    response[13] = static_cast<std::uint8_t>(file.structure);
    response[14] = file.structure == FileStructure::Transparent ? 0 : file.recordLength;
    return response;
}

SimElementaryFile* GsmSimCard::SelectedFile() { return m_currentFile ? &m_profile.files[*m_currentFile] : nullptr; }

bool GsmSimCard::AccessGranted(AccessLevel level) const {
    switch (level) {
        case AccessLevel::Always:
            return true;
        // A blocked CHV can never be satisfied until it is unblocked.
        case AccessLevel::Chv1:
            return !m_profile.chv1Enabled || (m_chv1Verified && m_profile.chv1.attemptsLeft > 0);
        case AccessLevel::Chv2:
            return m_chv2Verified && m_profile.chv2.attemptsLeft > 0;
        case AccessLevel::Adm:
        case AccessLevel::Never:
            return false;
    }
    return false;
}

std::optional<std::uint16_t> GsmSimCard::CheckFileAccess(AccessLevel FileAccess::*condition, bool recordFile) {
    const SimElementaryFile* file = SelectedFile();
    if (file == nullptr) return sw::kNoEfSelected;
    if (recordFile != (file->structure != FileStructure::Transparent)) return sw::kFileInconsistent;
    if (!AccessGranted(file->access.*condition)) return sw::kAccessNotFulfilled;
    if (file->invalidated && !file->usableWhenInvalidated) return sw::kContradictsInvalidation;
    return std::nullopt;
}

}  // namespace quillet::sim
