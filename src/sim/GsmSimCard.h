#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "sim/ApduCard.h"
#include "sim/SimProfile.h"

namespace quillet::sim {

// A GSM 11.11 SIM: the file system of its profile, the file and CHV commands with the card's own
// status words, attempt counters, access conditions and file invalidation. A profile of a UICC
// platform makes it a TS 102 221 card as well or instead: class 00 commands on the same file tree,
// answered with FCP templates, 61xx/6Cxx and PIN key references (GsmSimCardUicc.cpp).
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
    ApduResponse ProcessGsm(const ApduHeader& header, std::span<const std::uint8_t> data,
                            std::vector<std::uint8_t>& pending);
    ApduResponse ProcessUicc(const ApduHeader& header, std::span<const std::uint8_t> data,
                             std::vector<std::uint8_t>& pending);
    ApduResponse Select(const ApduHeader& header, std::span<const std::uint8_t> data);
    // Finds `id` among what a select by file id reaches from the current directory: the MF, the
    // current DF, its parent, their child DFs and the current DF's EFs (with `application`, 7FFF
    // for the current ADF too), makes it current and tells what it was.
    enum class Selected { Nothing, Directory, File };
    Selected SelectById(std::uint16_t id, bool application);
    Selected EnterDirectory(DirectoryKey key);
    Selected SelectFileIn(DirectoryKey directory, std::uint16_t id);
    // Follows a path of file ids from the MF or the current DF.
    Selected SelectByPath(std::span<const std::uint8_t> path, bool fromMasterFile);
    Selected SelectByAid(std::span<const std::uint8_t> aid);
    // The UICC's selects: by file id, by path from the MF or the current DF, by AID.
    ApduResponse UiccSelect(const ApduHeader& header, std::span<const std::uint8_t> data);
    ApduResponse UiccPinCommand(const ApduHeader& header, std::span<const std::uint8_t> data);
    ApduResponse UiccRead(const ApduHeader& header);
    std::vector<std::uint8_t> CurrentFcp() const;
    std::vector<std::uint8_t> CurrentDirectoryFcp() const;
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
    std::vector<std::uint8_t> DirectoryResponse(DirectoryKey key) const;
    std::vector<std::uint8_t> FileResponse(const SimElementaryFile& file, std::uint16_t id) const;
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
    DirectoryKey m_currentDirectory = kMasterFileKey;
    std::optional<DirectoryKey> m_currentApplication;  // the ADF selected by AID last
    std::optional<std::size_t> m_currentFile;          // index of the selected file's body
    std::uint16_t m_selectedFileId = 0;                // the name it was selected by
    std::size_t m_recordPointer = 0;                   // 0: no current record
    std::vector<std::uint8_t> m_pendingResponse;
    bool m_chv1Verified = false;
    bool m_chv2Verified = false;
    bool m_changed = false;
    std::size_t m_commandCount = 0;
};

}  // namespace quillet::sim
