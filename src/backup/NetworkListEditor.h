#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "backup/PlmnEntry.h"
#include "card/CardSession.h"
#include "card/UserInterface.h"

namespace quillet::backup {

// Which commands of the network list dialog can be given.
struct NetworkListButtons {
    bool write = false;
    bool edit = false;
    bool remove = false;
    bool removeAll = false;

    bool operator==(const NetworkListButtons&) const = default;
};

// A network's codes as the select dialog's fields show them ("232", "01"); both empty for an empty slot.
struct NetworkCodeTexts {
    std::string mcc;
    std::string mnc;
};

// "%03u" for a country code; "%02u" for a network code, or all three digits when it has three.
std::string FormatMcc(std::uint32_t mcc);
std::string FormatMnc(std::uint32_t mnc, bool threeDigits);

// The network list dialog's model: the slots of the preferred (or, with `forbidden`, the
// forbidden) networks as last read from the card, edited in place, with their row texts and the
// commands that apply. The list is always as long as the card's file has slots.
class NetworkListEditor {
public:
    explicit NetworkListEditor(bool forbidden) : m_forbidden(forbidden) {}

    // Reads the card's list under the progress window. Once the card session began the old list
    // is gone, so a read that fails then leaves an empty list; every failure is shown.
    bool Read(card::CardSession& session, card::UserInterface& ui, card::ProgressOwner owner);
    // Writes the whole list back, asking first when `confirm` is on (No sends nothing). Every slot
    // loses its mark afterwards, whatever the outcome; a failure is shown. An empty list is never
    // written: it would wipe the card's file.
    bool Write(card::CardSession& session, card::UserInterface& ui, card::ProgressOwner owner, bool confirm);

    // The select dialog's fields for slot `slot`, and what its OK hands back: a field that holds no
    // number leaves that code as it was.
    NetworkCodeTexts FieldTexts(std::size_t slot) const;
    void Edit(std::size_t slot, std::string_view mccField, std::string_view mncField);
    void Delete(std::size_t slot);
    void DeleteAll();

    std::size_t Count() const { return m_slots.size(); }
    std::span<const PlmnEntry> Slots() const { return m_slots; }
    bool Forbidden() const { return m_forbidden; }
    // "1*\t232-01\tMobilkom Austria AG - A": the slot's number, its mark, its codes and the
    // operator's name when the table knows it (Windows-1250 bytes); an empty slot shows its number.
    std::string RowText(std::size_t slot) const;
    NetworkListButtons Buttons(std::optional<std::size_t> selected) const;

private:
    bool m_forbidden;
    std::vector<PlmnEntry> m_slots;
};

}  // namespace quillet::backup
