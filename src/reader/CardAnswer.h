#pragma once

#include <cstddef>
#include <cstdint>

namespace quillet::reader {

// 9000, 91xx and 9Fxx: the card says the command worked.
bool IsSuccessStatus(std::uint16_t sw);

// Whether a card's answer to a command that reads data is whole: every byte asked for, or no
// byte and a status that says why not. A success status after fewer (or more) bytes is a broken
// answer, never a short file: taking it would hand the caller bytes the card never sent.
bool IsCompleteAnswer(std::size_t received, std::size_t expected, std::uint16_t sw);

}  // namespace quillet::reader
