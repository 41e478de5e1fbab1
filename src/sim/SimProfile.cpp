#include "sim/SimProfile.h"

#include <algorithm>
#include <cstdio>

namespace quillet::sim {

SimElementaryFile* SimProfile::FindFile(DirectoryKey directory, std::uint16_t id) {
    const auto locate = [this](FileRef name) -> SimElementaryFile* {
        const auto found = std::find_if(files.begin(), files.end(), [&](const SimElementaryFile& file) {
            return file.directory == name.directory && file.id == name.id;
        });
        return found == files.end() ? nullptr : &*found;
    };
    SimElementaryFile* named = locate({directory, id});
    if (named == nullptr || !named->sameAs) return named;
    // A second name never names another second name: the card file loader refuses that.
    SimElementaryFile* body = locate(*named->sameAs);
    return body != nullptr && !body->sameAs ? body : nullptr;
}

const SimElementaryFile* SimProfile::FindFile(DirectoryKey directory, std::uint16_t id) const {
    return const_cast<SimProfile*>(this)->FindFile(directory, id);
}

const SimDirectory* SimProfile::FindDirectory(DirectoryKey key) const {
    const auto found = std::find_if(directories.begin(), directories.end(),
                                    [&](const SimDirectory& directory) { return directory.Key() == key; });
    return found == directories.end() ? nullptr : &*found;
}

const char* AccessLevelName(AccessLevel level) {
    switch (level) {
        case AccessLevel::Always:
            return "ALW";
        case AccessLevel::Chv1:
            return "CHV1";
        case AccessLevel::Chv2:
            return "CHV2";
        case AccessLevel::Adm:
            return "ADM";
        case AccessLevel::Never:
            return "NEV";
    }
    return "NEV";
}

const char* FileStructureName(FileStructure structure) {
    switch (structure) {
        case FileStructure::Transparent:
            return "transparent";
        case FileStructure::LinearFixed:
            return "linear-fixed";
        case FileStructure::Cyclic:
            return "cyclic";
    }
    return "transparent";
}

std::string FileIdText(std::uint16_t id) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", id);
    return text;
}

std::string DirectoryPathText(DirectoryKey key) {
    const std::string own = FileIdText(static_cast<std::uint16_t>(key));
    return key > 0xFFFF ? FileIdText(static_cast<std::uint16_t>(key >> 16)) + "/" + own : own;
}

const char* CardPlatformName(CardPlatform platform) {
    switch (platform) {
        case CardPlatform::GsmSim:
            return "gsm";
        case CardPlatform::UiccWithGsm:
            return "uicc-with-gsm";
        case CardPlatform::UsimOnly:
            return "usim-only";
    }
    return "gsm";
}

}  // namespace quillet::sim
