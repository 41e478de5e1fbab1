#pragma once

#include <cstdint>
#include <fstream>
#include <span>
#include <string>

#include "support/ScriptedUserInterface.h"
#include "support/TemporaryFolder.h"

namespace quillet::fuzz {

// The file readers take a path: each input is written to one file of a folder of the run's own.
inline std::string InputFile(std::span<const std::uint8_t> bytes) {
    static const testing::TemporaryFolder folder;
    const std::string path = folder.File("input");
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

// A user who answers the readers' questions by the input's first byte, so both answers are taken.
inline void AnswerFrom(std::span<const std::uint8_t> bytes, testing::ScriptedUserInterface& ui) {
    const bool yes = !bytes.empty() && (bytes[0] & 1) != 0;
    for (int question = 0; question < 8; ++question) ui.answers.push_back(yes ? card::Answer::Yes : card::Answer::No);
}

}  // namespace quillet::fuzz
