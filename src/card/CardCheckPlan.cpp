#include "card/CardCheckPlan.h"

#include <algorithm>
#include <set>

#include "card/DiallingDigits.h"
#include "card/GsmText.h"

namespace quillet::card {

namespace {

constexpr std::size_t kNextLink = 12;
constexpr std::size_t kNumberBytes = 10;
constexpr std::uint8_t kAdditionalData = 2;
// A link is one byte and 0xFF means none, so record 255 can never be linked to.
constexpr std::size_t kHighestLinkable = 254;
constexpr std::size_t kMaxDigits = 60;
// More digits than a number holds, to see when a chain carries more than the decoder shows.
constexpr std::size_t kCountedDigits = 600;

constexpr std::uint32_t kCheckingPhoneBook = 5002;
constexpr std::uint32_t kCheckingFixedDialing = 5006;
constexpr std::uint32_t kCheckingExtensions = 5011;
constexpr std::uint32_t kCheckingMessages = 5016;

using Bytes = std::vector<std::uint8_t>;
using Span = std::span<const std::uint8_t>;

bool IsUsable(Span extension) { return extension.size() >= kExtensionRecordLength; }
bool IsFree(Span extension) { return extension.empty() || extension[0] == 0xFF; }

bool IsDiallingRecordUsed(Span record) {
    return record.size() >= kDiallingFixedPart &&
           (record[0] != 0xFF || record[record.size() - kDiallingFixedPart] != 0xFF);
}

// Digits after a filler nibble: the decoder stops at the filler and never shows them.
bool HidesDigits(Span bytes, std::size_t nibbleCount) {
    bool ended = false;
    for (std::size_t nibble = 0; nibble < nibbleCount && nibble / 2 < bytes.size(); ++nibble) {
        const std::uint8_t byte = bytes[nibble / 2];
        const std::uint8_t value = nibble % 2 == 0 ? byte & 0x0F : byte >> 4;
        if (value == kDigitFiller) {
            ended = true;
        } else if (ended) {
            return true;
        }
    }
    return false;
}

bool IsUnsupportedMainNumber(Span record) {
    const std::size_t alpha = record.size() - kDiallingFixedPart;
    const std::uint8_t length = record[alpha];
    if (length == 0xFF || length == 0) return false;
    if (length > kNumberBytes + 1) return true;
    return HidesDigits(record.subspan(alpha + 2, kNumberBytes), 2 * (length - 1u));
}

bool IsUnsupportedExtension(Span extension) {
    if ((extension[0] & 0x03) != kAdditionalData) return false;
    if (extension[1] > kNumberBytes) return true;
    return HidesDigits(extension.subspan(2, kNumberBytes), 2u * extension[1]);
}

void AppendMainDigits(Span record, std::string& digits) {
    const std::size_t alpha = record.size() - kDiallingFixedPart;
    const std::uint8_t length = record[alpha];
    if (length == 0 || length == 0xFF) return;
    AppendDigits(record.subspan(alpha + 2, kNumberBytes), 2 * std::min<std::size_t>(length - 1u, kNumberBytes),
                 kCountedDigits, digits);
}

void AppendExtensionDigits(Span extension, std::string& digits) {
    if ((extension[0] & 0x03) != kAdditionalData) return;
    AppendDigits(extension.subspan(2, kNumberBytes), 2 * std::min<std::size_t>(extension[1], kNumberBytes),
                 kCountedDigits, digits);
}

std::string NameOf(Span record) {
    const Span alpha = record.first(record.size() - kDiallingFixedPart);
    const Span name =
        alpha.first(static_cast<std::size_t>(std::find(alpha.begin(), alpha.end(), 0xFF) - alpha.begin()));
    if (name.empty()) return {};
    return Utf8FromText(DecodeAlphaIdentifier(alpha).text);
}

// Collects the writes of a repair in the order that keeps every number at every stop.
struct RepairWrites {
    std::vector<PlannedWrite> copies;  // copies of shared chains, into free records
    std::vector<PlannedWrite> links;   // links moved to the copies, or cut
    std::vector<PlannedWrite> loops;   // chains closed where they came back
    std::vector<PlannedWrite> frees;   // unreachable extension records freed
    std::vector<RecordRef> staleChecks;

    void Check(RecordRef record) {
        if (std::find(staleChecks.begin(), staleChecks.end(), record) == staleChecks.end())
            staleChecks.push_back(record);
    }
    bool Empty() const { return copies.empty() && links.empty() && loops.empty() && frees.empty(); }
};

// Where a link byte is: the last byte of a dialling record, or byte 13 of an extension record.
struct LinkPlace {
    bool inDiallingRecord;
    std::size_t number;
};

struct Owner {
    CachedFile file;
    CheckSection section;
    std::size_t record;
    bool rotatingOnly;  // a cyclic file: the card lets no record be rewritten in place
};

// The chains of the dialling files that share one extension file.
class ExtensionGroup {
public:
    ExtensionGroup(const CardImages& images, CachedFile extensionFile, CheckSection extensionSection,
                   std::vector<CachedFile> claimOrder, const CheckProgress& progress, CardCheckPlan& out,
                   RepairWrites& writes)
        : m_images(images),
          m_extensionFile(extensionFile),
          m_extensions(images.Of(extensionFile)),
          m_extensionSection(extensionSection),
          m_claimOrder(std::move(claimOrder)),
          m_progress(progress),
          m_out(out),
          m_writes(writes),
          m_claimedBy(static_cast<std::size_t>(m_extensions.Count()) + 1, kNobody),
          m_named(static_cast<std::size_t>(m_extensions.Count()) + 1, false) {}

    bool Run() {
        for (const CachedFile file : m_claimOrder) {
            const FileImage image = m_images.Of(file);
            for (std::size_t number = 1; number <= image.Count(); ++number) {
                if (!m_progress(TextOf(file), static_cast<unsigned>(number), image.Count())) return false;
                if (IsDiallingRecordUsed(image.Record(number))) Walk(file, number);
            }
        }
        ShareOut();
        return FindLost();
    }

private:
    static constexpr std::size_t kNobody = static_cast<std::size_t>(-1);

    struct SharedTail {
        std::size_t owner;
        LinkPlace place;
        Bytes tail;
        std::size_t finding;
    };

    static std::uint32_t TextOf(CachedFile file) {
        if (file == CachedFile::Adn) return kCheckingPhoneBook;
        if (file == CachedFile::Fdn) return kCheckingFixedDialing;
        return kCheckingExtensions;
    }

    static CheckSection SectionOf(CachedFile file) {
        switch (file) {
            case CachedFile::Adn:
                return CheckSection::PhoneBook;
            case CachedFile::Fdn:
                return CheckSection::FixedDialing;
            case CachedFile::Lnd:
                return CheckSection::LastDialled;
            default:
                return CheckSection::OtherLinks;
        }
    }

    bool Usable(std::size_t link) const {
        return link != 0 && link <= m_extensions.Count() && IsUsable(m_extensions.Record(link));
    }

    std::size_t AddFinding(std::size_t owner, CheckProblem problem, CheckRepair repair) {
        const Owner& who = m_owners[owner];
        m_out.findings.push_back(
            {who.section, who.record, NameOf(m_images.Of(who.file).Record(who.record)), problem, repair, {}});
        return m_out.findings.size() - 1;
    }

    // The record holding a link, with the link set to `target`.
    PlannedWrite Relinked(std::size_t owner, LinkPlace place, std::uint8_t target) {
        const Owner& who = m_owners[owner];
        const RecordRef ref =
            place.inDiallingRecord ? RecordRef{who.file, place.number} : RecordRef{m_extensionFile, place.number};
        const FileImage image = place.inDiallingRecord ? m_images.Of(who.file) : m_extensions;
        const Span old = image.Record(place.number);
        Bytes bytes(old.begin(), old.end());
        bytes[place.inDiallingRecord ? bytes.size() - 1 : kNextLink] = target;
        m_writes.Check(ref);
        return {ref, std::move(bytes), 0};
    }

    bool Fixable(std::size_t owner, LinkPlace place) const {
        return !(place.inDiallingRecord && m_owners[owner].rotatingOnly);
    }

    // A bad link is cut where it is; the number keeps every digit, since the decoder stops there too.
    void CutBadLink(std::size_t owner, LinkPlace place, CheckProblem problem) {
        if (!Fixable(owner, place)) {
            AddFinding(owner, problem, CheckRepair::None);
            return;
        }
        AddFinding(owner, problem, CheckRepair::RemoveLink);
        m_writes.links.push_back(Relinked(owner, place, kNoLink));
    }

    // The extension records a chain reaches from `link` as the decoder walks it, past those it holds.
    Bytes TailFrom(std::size_t link, const Bytes& chain) const {
        std::set<std::size_t> visited(chain.begin(), chain.end());
        Bytes tail;
        while (Usable(link) && !IsFree(m_extensions.Record(link)) && visited.insert(link).second) {
            tail.push_back(static_cast<std::uint8_t>(link));
            link = m_extensions.Record(link)[kNextLink];
        }
        return tail;
    }

    void Walk(CachedFile file, std::size_t number) {
        const Span record = m_images.Of(file).Record(number);
        const std::size_t owner = m_owners.size();
        m_owners.push_back({file, SectionOf(file), number, file == CachedFile::Lnd});
        bool unsupported = IsUnsupportedMainNumber(record);
        std::string digits;
        AppendMainDigits(record, digits);

        Bytes chain;
        LinkPlace place{true, number};
        for (std::size_t link = record.back(); link != kNoLink;) {
            if (!Usable(link)) {
                CutBadLink(owner, place, CheckProblem::InvalidLink);
                break;
            }
            const Span extension = m_extensions.Record(link);
            if (IsFree(extension)) {
                m_named[link] = true;  // never handed out while a link names it
                CutBadLink(owner, place, CheckProblem::EmptyLink);
                break;
            }
            if (std::find(chain.begin(), chain.end(), link) != chain.end()) {
                // The record that leads back is in this chain alone: its link ends the chain instead.
                AddFinding(owner, CheckProblem::LoopingChain, CheckRepair::Repaired);
                m_writes.loops.push_back(Relinked(owner, place, kNoLink));
                break;
            }
            if (m_claimedBy[link] != kNobody) {
                const std::size_t finding = AddFinding(owner, CheckProblem::SharedExtension, CheckRepair::None);
                Bytes tail = TailFrom(link, chain);
                std::string withTail = digits;
                for (const std::uint8_t shared : tail) AppendExtensionDigits(m_extensions.Record(shared), withTail);
                withTail.resize(std::min(withTail.size(), kMaxDigits));
                if (withTail.size() > digits.size())
                    m_out.findings[finding].lostDigits = withTail.substr(digits.size());
                m_shared.push_back({owner, place, std::move(tail), finding});
                break;
            }
            m_claimedBy[link] = owner;
            m_named[link] = true;
            chain.push_back(static_cast<std::uint8_t>(link));
            unsupported = unsupported || IsUnsupportedExtension(extension);
            AppendExtensionDigits(extension, digits);
            place = {false, link};
            link = extension[kNextLink];
        }
        if (unsupported || digits.size() > kMaxDigits) {
            AddFinding(owner, CheckProblem::UnsupportedNumber, CheckRepair::None);
        }
    }

    // Each later record of a shared chain gets a copy of the part it shares, while free records last;
    // else its link to the shared part is cut and its number loses those digits.
    void ShareOut() {
        Bytes fresh;
        const std::size_t linkable = std::min<std::size_t>(m_extensions.Count(), kHighestLinkable);
        for (std::size_t e = 1; e <= linkable; ++e) {
            const Span extension = m_extensions.Record(e);
            if (IsUsable(extension) && IsFree(extension) && !m_named[e]) fresh.push_back(static_cast<std::uint8_t>(e));
        }
        std::size_t next = 0;
        for (const SharedTail& shared : m_shared) {
            CheckFinding& finding = m_out.findings[shared.finding];
            if (!Fixable(shared.owner, shared.place)) continue;
            if (fresh.size() - next < shared.tail.size()) {
                finding.repair = CheckRepair::RemoveLink;
                m_writes.links.push_back(Relinked(shared.owner, shared.place, kNoLink));
                continue;
            }
            const Span copies = Span(fresh).subspan(next, shared.tail.size());
            next += shared.tail.size();
            for (std::size_t link = 0; link < copies.size(); ++link) {
                const Span original = m_extensions.Record(shared.tail[link]);
                Bytes bytes(original.begin(), original.end());
                bytes[kNextLink] = link + 1 < copies.size() ? copies[link + 1] : kNoLink;
                m_writes.Check({m_extensionFile, shared.tail[link]});
                m_writes.Check({m_extensionFile, copies[link]});
                m_writes.copies.push_back({{m_extensionFile, copies[link]}, std::move(bytes), 0});
                m_named[copies[link]] = true;
            }
            finding.repair = CheckRepair::Repaired;
            finding.lostDigits.clear();
            m_writes.links.push_back(Relinked(shared.owner, shared.place, copies.front()));
        }
    }

    // Extension records in use that no chain reaches hold nobody's digits: they are freed, last.
    bool FindLost() {
        const std::size_t count = m_extensions.Count();
        if (m_extensions.RecordLength() < kExtensionRecordLength) return true;
        if (m_extensionFile == CachedFile::Ext1 && m_images.ext1HasOtherUsers) return true;
        for (std::size_t e = 1; e <= count; ++e) {
            if (!m_progress(kCheckingExtensions, static_cast<unsigned>(e), static_cast<unsigned>(count))) return false;
            const Span extension = m_extensions.Record(e);
            if (IsFree(extension) || m_claimedBy[e] != kNobody || m_named[e]) continue;
            m_out.findings.push_back(
                {m_extensionSection, e, {}, CheckProblem::LostExtension, CheckRepair::RemoveItem, {}});
            m_writes.Check({m_extensionFile, e});
            m_writes.frees.push_back({{m_extensionFile, e}, Bytes(extension.size(), 0xFF), 0});
        }
        return true;
    }

    const CardImages& m_images;
    const CachedFile m_extensionFile;
    const FileImage m_extensions;
    const CheckSection m_extensionSection;
    const std::vector<CachedFile> m_claimOrder;
    const CheckProgress& m_progress;
    CardCheckPlan& m_out;
    RepairWrites& m_writes;
    std::vector<Owner> m_owners;
    std::vector<std::size_t> m_claimedBy;  // extension record -> the owner whose chain holds it
    std::vector<bool> m_named;             // a chain holds it or a link names it
    std::vector<SharedTail> m_shared;
};

// Status byte, service-centre address, then the first octet of the message: deliver and submit are
// decoded; status reports, commands and the enhanced validity format are not.
std::optional<CheckProblem> MessageProblem(Span record) {
    if (record.empty() || record[0] == 0xFF || (record[0] & 0x07) == 0) return std::nullopt;
    if (record.size() < 2) return CheckProblem::UnsupportedNumber;
    const std::size_t centreLength = record[1];
    if (centreLength > kNumberBytes + 1 || 2 + centreLength >= record.size()) return CheckProblem::UnsupportedNumber;
    const std::uint8_t firstOctet = record[2 + centreLength];
    if ((firstOctet & 0x02) != 0) return CheckProblem::UnsupportedMessage;
    const bool submit = (firstOctet & 0x01) != 0;
    if (submit && ((firstOctet >> 3) & 0x03) == 1) return CheckProblem::UnsupportedMessage;
    return std::nullopt;
}

bool CheckMessages(const FileImage& messages, const CheckProgress& progress, CardCheckPlan& out) {
    for (std::size_t number = 1; number <= messages.Count(); ++number) {
        if (!progress(kCheckingMessages, static_cast<unsigned>(number), messages.Count())) return false;
        if (const std::optional<CheckProblem> problem = MessageProblem(messages.Record(number))) {
            out.findings.push_back({CheckSection::Sms, number, {}, *problem, CheckRepair::None, {}});
        }
    }
    return true;
}

}  // namespace

FileImage CardImages::Of(CachedFile file) const {
    const std::optional<FileImage>& image = files[static_cast<std::size_t>(file)];
    return image ? *image : FileImage(Span());
}

bool CardCheckPlan::ErrorsFound() const {
    return std::any_of(findings.begin(), findings.end(),
                       [](const CheckFinding& finding) { return finding.repair != CheckRepair::None; });
}

std::optional<CardCheckPlan> PlanCardCheck(const CardImages& images, const CheckProgress& progress) {
    CardCheckPlan plan;
    // The last numbers dialled claim their chains first: their records cannot be rewritten.
    RepairWrites ext1;
    if (!ExtensionGroup(images, CachedFile::Ext1, CheckSection::Extension1,
                        {CachedFile::Lnd, CachedFile::Adn, CachedFile::Msisdn}, progress, plan, ext1)
             .Run()) {
        return std::nullopt;
    }
    RepairWrites ext2;
    if (!ExtensionGroup(images, CachedFile::Ext2, CheckSection::Extension2, {CachedFile::Fdn}, progress, plan, ext2)
             .Run()) {
        return std::nullopt;
    }
    if (!CheckMessages(images.Of(CachedFile::Sms), progress, plan)) return std::nullopt;

    plan.needsPin2 = !ext2.Empty();
    RecordWritePlan& writes = plan.writes;
    for (RepairWrites* group : {&ext1, &ext2}) {
        writes.staleChecks.insert(writes.staleChecks.end(), group->staleChecks.begin(), group->staleChecks.end());
    }
    for (auto list : {&RepairWrites::copies, &RepairWrites::links, &RepairWrites::loops, &RepairWrites::frees}) {
        for (RepairWrites* group : {&ext1, &ext2}) {
            for (PlannedWrite& write : group->*list) writes.writes.push_back(std::move(write));
        }
    }
    for (std::size_t index = 0; index < writes.writes.size(); ++index) writes.writes[index].item = index + 1;
    writes.itemCount = writes.writes.size();
    writes.progressText = kCheckingExtensions;
    std::stable_sort(plan.findings.begin(), plan.findings.end(), [](const CheckFinding& a, const CheckFinding& b) {
        return a.section != b.section ? a.section < b.section : a.record < b.record;
    });
    return plan;
}

}  // namespace quillet::card
