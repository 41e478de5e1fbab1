#pragma once

#include <vector>

#include "sim/SimProfile.h"

namespace quillet::testing {

inline std::vector<std::uint8_t> Filled(std::size_t length, std::uint8_t value) {
    return std::vector<std::uint8_t>(length, value);
}

inline sim::SimElementaryFile MakeFile(std::uint16_t directory, std::uint16_t id, const char* name,
                                       sim::FileStructure structure, sim::FileAccess access) {
    sim::SimElementaryFile file;
    file.directory = directory;
    file.id = id;
    file.name = name;
    file.structure = structure;
    file.access = access;
    return file;
}

// A small SIM for tests: ICCID under the MF; SST and a cyclic ACM under DF_GSM; ADN, FDN
// (invalidated), LND (cyclic) and a never-readable file under DF_TELECOM.
inline sim::SimProfile MakeTestSimProfile() {
    using sim::AccessLevel;
    using sim::FileStructure;
    sim::SimProfile profile;
    profile.description = "test card";
    profile.atr = {0x3B, 0x14, 0x11, 'T', 'E', 'S', 'T'};
    profile.directories = {{0x7F20, "DF_GSM"}, {0x7F10, "DF_TELECOM"}};

    sim::SimElementaryFile iccid =
        MakeFile(0x3F00, 0x2FE2, "ICCID", FileStructure::Transparent,
                 {AccessLevel::Always, AccessLevel::Never, AccessLevel::Never, AccessLevel::Adm, AccessLevel::Adm});
    iccid.content = {0x98, 0x10, 0x32, 0x54, 0x76, 0x98, 0x10, 0x32, 0x54, 0xF6};
    sim::SimElementaryFile sst =
        MakeFile(0x7F20, 0x6F38, "SST", FileStructure::Transparent,
                 {AccessLevel::Chv1, AccessLevel::Adm, AccessLevel::Never, AccessLevel::Adm, AccessLevel::Adm});
    sst.content = {0xFF, 0x3F, 0xFF, 0x0F};
    sim::SimElementaryFile acm =
        MakeFile(0x7F20, 0x6F39, "ACM", FileStructure::Cyclic,
                 {AccessLevel::Chv1, AccessLevel::Chv1, AccessLevel::Chv1, AccessLevel::Adm, AccessLevel::Adm});
    acm.recordLength = 3;
    acm.records = {{0x00, 0x00, 0x20}, {0x00, 0x00, 0x10}};
    sim::SimElementaryFile adn =
        MakeFile(0x7F10, 0x6F3A, "ADN", FileStructure::LinearFixed,
                 {AccessLevel::Chv1, AccessLevel::Chv1, AccessLevel::Never, AccessLevel::Chv2, AccessLevel::Chv2});
    adn.recordLength = 30;
    for (std::uint8_t number = 1; number <= 5; ++number) {
        std::vector<std::uint8_t> record = Filled(30, 0xFF);
        record[0] = number;
        adn.records.push_back(record);
    }
    sim::SimElementaryFile fdn = adn;
    fdn.id = 0x6F3B;
    fdn.name = "FDN";
    fdn.access.update = AccessLevel::Chv2;
    fdn.invalidated = true;
    sim::SimElementaryFile lnd = adn;
    lnd.id = 0x6F44;
    lnd.name = "LND";
    lnd.structure = FileStructure::Cyclic;
    lnd.records.resize(3);
    sim::SimElementaryFile secret =
        MakeFile(0x7F10, 0x6F99, "SECRET", FileStructure::Transparent,
                 {AccessLevel::Never, AccessLevel::Adm, AccessLevel::Never, AccessLevel::Adm, AccessLevel::Adm});
    secret.content = Filled(4, 0x00);
    // Larger than one command can carry.
    sim::SimElementaryFile big =
        MakeFile(0x7F20, 0x6F60, "BIG", FileStructure::Transparent,
                 {AccessLevel::Always, AccessLevel::Always, AccessLevel::Never, AccessLevel::Adm, AccessLevel::Adm});
    big.content = Filled(300, 0x00);
    profile.files = {iccid, sst, acm, adn, fdn, lnd, secret, big};
    return profile;
}

}  // namespace quillet::testing
