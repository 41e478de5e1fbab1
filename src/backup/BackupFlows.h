#pragma once

#include <functional>
#include <optional>
#include <string>

#include "backup/SimBackupFile.h"
#include "card/CardSession.h"

namespace quillet::backup {

// The parts of a backup that a restore writes back ("What to restore").
struct RestoreChoice {
    bool phoneBook = true;
    bool fixedDialing = true;
    bool messages = true;
    bool smsParameters = true;
    bool networks = true;
};

enum class BackupOutcome { Done, CardFailed, FileFailed, Cancelled };

// Where the backup goes, asked once the card has been read; nothing cancels the backup.
using AskBackupPath = std::function<std::optional<std::string>()>;

// Reads the phone book, the fixed dialling numbers, the messages, both network lists and the
// SMS parameters from the card, then asks for the path and saves them there. Every outcome but a
// cancelled path is told through the session host's user interface as well; a cancelled or failed
// backup leaves no file behind.
BackupOutcome BackupCard(card::CardSession& session, card::ProgressOwner owner, const AskBackupPath& askPath);
// The same to a path known beforehand.
BackupOutcome BackupCard(card::CardSession& session, const std::string& path);

// Reads a backup file for opening it in windows; its message is shown on failure.
bool OpenBackup(const std::string& path, SimBackup& backup, card::UserInterface& ui);

// Writes the chosen parts of a backup to the card, in the order phone book, fixed dialling
// numbers, messages, preferred and forbidden networks, SMS parameters, stopping at the first
// failure. A restored file holds the backup's entries and nothing else: the card's records beyond
// them become empty. A part the file did not hold, or held with no position, is left as the card
// has it. A part with more used entries (valid networks) than the card has records (slots) is
// refused, with the counts, before anything is written. Unchanged messages keep the card's
// records, so their message references survive; the success message tells how many messages to
// send got reference 0. When `agreeToClear` is given, it is asked with the number of used entries
// the restore would clear, once everything is known to fit and before PIN2 or any update; false
// ends the restore with nothing written and no message. The progress window belongs to `owner`.
using AgreeToClear = std::function<bool(std::size_t cleared)>;
bool RestoreToCard(card::CardSession& session, SimBackup& backup, const RestoreChoice& choice,
                   const AgreeToClear& agreeToClear = {}, card::ProgressOwner owner = nullptr);

// Restore Card (restore) and Open Backup File (open) as one flow: reads the backup at `path` into
// `backup` (its message shown on failure); with `restore`, asks the user which parts to write
// (nothing when the question is declined) and writes them to the card as RestoreToCard does with
// `agreeToClear` and `owner`. With `open` the buffers
// stay in `backup` for the windows. Does nothing when both flags are false. True when the file was
// read and, with `restore`, the card fully written.
using ChooseRestoreParts = std::function<std::optional<RestoreChoice>()>;
bool RestoreFromBackup(card::CardSession& session, const std::string& path, bool restore, bool open, SimBackup& backup,
                       const ChooseRestoreParts& chooseParts, const AgreeToClear& agreeToClear = {},
                       card::ProgressOwner owner = nullptr);

}  // namespace quillet::backup
