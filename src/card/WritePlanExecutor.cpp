#include "card/WritePlanExecutor.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>

#include "card/GsmCommands.h"
#include "card/ProgressWindow.h"
#include "card/RecordPlacement.h"
#include "resources/StringTable.h"

namespace quillet::card {

namespace {

namespace result = reader::result;

bool FailAndClear(CardSession& session, reader::ReaderResult code) {
    session.ClearCache();
    session.SetLastResult(code);
    return false;
}

// The record as the card holds it now, read past the caches; nothing when the read failed.
std::optional<std::vector<std::uint8_t>> ReadFromCard(CardSession& session, const RecordRef& record) {
    const GsmFile& file = GsmFileOf(record.file);
    std::array<std::uint8_t, 255> buffer{};
    std::uint32_t length = buffer.size();
    if (record.number == 0 || record.number > kMaxFileRecords ||
        !session.ReadFileRecord(file.parent, file.id, buffer, length, static_cast<std::uint8_t>(record.number),
                                kRecordModeAbsolute)) {
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + length);
}

bool Same(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

// The card must still hold what the plan was made from.
bool CheckNotStale(CardSession& session, const RecordWritePlan& plan) {
    for (const RecordRef& record : plan.staleChecks) {
        const std::optional<FileImage> image = session.Cache().Image(record.file);
        if (!image) return FailAndClear(session, result::kCardChangedSinceRead);
        const std::optional<std::vector<std::uint8_t>> onCard = ReadFromCard(session, record);
        if (!onCard) return FailAndClear(session, session.LastResult());
        if (!Same(*onCard, image->Record(record.number))) return FailAndClear(session, result::kCardChangedSinceRead);
    }
    return true;
}

bool StepProgress(CardSession& session, const RecordWritePlan& plan, std::size_t done, const PlannedWrite& write) {
    if (write.item == 0) return true;
    const std::string text = FormatItemText(resources::LoadString(plan.progressText), static_cast<unsigned>(write.item),
                                            static_cast<unsigned>(plan.itemCount));
    return session.StepProgress(text, static_cast<unsigned>(100 * done / plan.writes.size()));
}

}  // namespace

bool ExecuteWritePlan(CardSession& session, const RecordWritePlan& plan, PlanExecution& execution,
                      const std::function<bool()>& beforeWrites) {
    execution = PlanExecution{};
    if (!CheckNotStale(session, plan)) return false;
    if (beforeWrites && !beforeWrites()) return false;
    const bool verify = session.Host().VerifyWrites();
    for (const PlannedWrite& write : plan.writes) {
        if (!StepProgress(session, plan, execution.writesDone, write)) {
            session.SetLastResult(result::kCancelledByUser);
            return false;
        }
        const CardSession::RecordWrite outcome =
            session.WriteCachedRecord(write.record.file, write.record.number, write.bytes);
        if (outcome == CardSession::RecordWrite::Failed) return false;  // the session cleared the caches
        const bool changed = outcome == CardSession::RecordWrite::Written;
        if (changed && verify) {
            const std::optional<std::vector<std::uint8_t>> readBack = ReadFromCard(session, write.record);
            if (!readBack) return FailAndClear(session, session.LastResult());
            if (!Same(*readBack, write.bytes)) return FailAndClear(session, result::kWriteNotKept);
        }
        execution.changed.push_back(changed);
        ++execution.writesDone;
    }
    session.SetLastResult(result::kOk);
    return true;
}

bool WriteTransparentFile(CardSession& session, std::uint16_t df, std::uint16_t ef,
                          std::span<const std::uint8_t> bytes) {
    std::uint32_t length = static_cast<std::uint32_t>(bytes.size());
    if (!session.WriteFileRecord(df, ef, bytes, length, 1, kRecordModeAbsolute)) {
        return FailAndClear(session, session.LastResult());
    }
    if (!session.Host().VerifyWrites()) return true;
    std::vector<std::uint8_t> readBack(bytes.size());
    length = static_cast<std::uint32_t>(readBack.size());
    if (!session.ReadFileRecord(df, ef, readBack, length, 1, kRecordModeAbsolute)) {
        return FailAndClear(session, session.LastResult());
    }
    if (length != bytes.size() || !Same(readBack, bytes)) return FailAndClear(session, result::kWriteNotKept);
    session.SetLastResult(result::kOk);
    return true;
}

}  // namespace quillet::card
