#pragma once

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

// Reads the phone book, the fixed dialling numbers, the messages, both network lists and the
// SMS parameters from the card and saves them to `path`. Every outcome is told through the
// session host's user interface; true when the backup is complete.
bool BackupCard(card::CardSession& session, const std::string& path);

// Reads a backup file for opening it in windows; its message is shown on failure.
bool OpenBackup(const std::string& path, SimBackup& backup, card::UserInterface& ui);

// Writes the chosen parts of a backup to the card, in the order phone book, fixed dialling
// numbers, messages, preferred and forbidden networks, SMS parameters, stopping at the first
// failure. Counts larger than the card's files are refused before anything is written.
bool RestoreToCard(card::CardSession& session, SimBackup& backup, const RestoreChoice& choice);

}  // namespace quillet::backup
