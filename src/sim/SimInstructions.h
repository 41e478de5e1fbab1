#pragma once

#include <cstdint>

namespace quillet::sim {

// The instruction bytes the virtual card knows. GSM 11.11 and TS 102 221 share them; under class
// 00 INVALIDATE and REHABILITATE are called DEACTIVATE FILE and ACTIVATE FILE, and the CHV
// commands take PIN key references.
enum Instruction : std::uint8_t {
    kSelect = 0xA4,
    kStatus = 0xF2,
    kReadBinary = 0xB0,
    kUpdateBinary = 0xD6,
    kReadRecord = 0xB2,
    kUpdateRecord = 0xDC,
    kSeek = 0xA2,
    kIncrease = 0x32,
    kVerifyChv = 0x20,
    kChangeChv = 0x24,
    kDisableChv = 0x26,
    kEnableChv = 0x28,
    kUnblockChv = 0x2C,
    kInvalidate = 0x04,
    kRehabilitate = 0x44,
    kRunGsmAlgorithm = 0x88,
    kSleep = 0xFA,
    kGetResponse = 0xC0,
};

}  // namespace quillet::sim
