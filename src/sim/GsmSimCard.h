#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "sim/ApduCard.h"
#include "sim/SimProfile.h"

namespace quillet::sim {

// A GSM 11.11 SIM: the file system of its profile, the file and CHV commands with the card's own
// status words, attempt counters, access conditions and file invalidation.
class GsmSimCard final : public ApduCard {
public:
    explicit GsmSimCard(SimProfile profile);

    std::vector<std::uint8_t> Reset() override;
    bool TakesData(const ApduHeader& header) const override;
    ApduResponse Process(const ApduHeader& header, std::span<const std::uint8_t> data) override;

    const SimProfile& Profile() const { return m_profile; }
    // Direct access for tools and for tests that change the card behind the reader's back.
    SimProfile& MutableProfile() { return m_profile; }
    // True when files, codes or counters changed since the last MarkSaved.
    bool HasUnsavedChanges() const { return m_changed; }
    void MarkSaved() { m_changed = false; }
    bool IsChvVerified(int number) const { return number == 1 ? m_chv1Verified : m_chv2Verified; }
    std::size_t CommandCount() const { return m_commandCount; }

private:
    ApduResponse Select(const ApduHeader& header, std::span<const std::uint8_t> data);
    ApduResponse GetResponse(const ApduHeader& header);
    ApduResponse Status(const ApduHeader& header);
    ApduResponse ReadBinary(const ApduHeader& header);
    ApduResponse UpdateBinary(const ApduHeader& header, std::span<const std::uint8_t> data);
    ApduResponse ReadRecord(const ApduHeader& header);
    ApduResponse UpdateRecord(const ApduHeader& header, std::span<const std::uint8_t> data);
    ApduResponse Seek(const ApduHeader& header, std::span<const std::uint8_t> data);
    ApduResponse Increase(const ApduHeader& header, std::span<const std::uint8_t> data);
    ApduResponse SetInvalidation(const ApduHeader& header, bool invalidate);
    ApduResponse VerifyChv(const ApduHeader& header, std::span<const std::uint8_t> data);
    ApduResponse ChangeChv(const ApduHeader& header, std::span<const std::uint8_t> data);
    ApduResponse SetChv1Enabled(const ApduHeader& header, std::span<const std::uint8_t> data, bool enable);
    ApduResponse UnblockChv(const ApduHeader& header, std::span<const std::uint8_t> data);
    ApduResponse RunGsmAlgorithm(const ApduHeader& header, std::span<const std::uint8_t> data);

    // Answers with data waiting for GET RESPONSE (status 9Fxx).
    ApduResponse RespondLater(std::vector<std::uint8_t> response);
    std::vector<std::uint8_t> DirectoryResponse(std::uint16_t id) const;
    std::vector<std::uint8_t> FileResponse(const SimElementaryFile& file) const;
    bool AccessGranted(AccessLevel level) const;
    // The status word that stops an access to the selected EF, or nothing when it may go ahead.
    std::optional<std::uint16_t> CheckFileAccess(AccessLevel FileAccess::*condition, bool recordFile);
    // Finds the record a READ or UPDATE RECORD addresses and moves the record pointer as its
    // mode says; returns the refusal when there is no such record.
    std::optional<std::uint16_t> LocateRecord(const ApduHeader& header, const SimElementaryFile& file,
                                              std::size_t& number);
    // Presents a code to a counter: 9000, 9804 (attempts left) or 9840 (now blocked).
    std::uint16_t PresentCode(SecretCode& code, std::span<const std::uint8_t> presented);
    SimElementaryFile* SelectedFile();

    SimProfile m_profile;
    std::uint16_t m_currentDirectory = 0x3F00;
    std::optional<std::size_t> m_currentFile;  // index into the profile's files
    std::size_t m_recordPointer = 0;           // 0: no current record
    std::vector<std::uint8_t> m_pendingResponse;
    bool m_chv1Verified = false;
    bool m_chv2Verified = false;
    bool m_changed = false;
    std::size_t m_commandCount = 0;
};

}  // namespace quillet::sim
