#include "sim/SimProfile.h"

#include <algorithm>
#include <cstdio>

namespace quillet::sim {

SimElementaryFile* SimProfile::FindFile(std::uint16_t directory, std::uint16_t id) {
    const auto found = std::find_if(files.begin(), files.end(), [&](const SimElementaryFile& file) {
        return file.directory == directory && file.id == id;
    });
    return found == files.end() ? nullptr : &*found;
}

const SimElementaryFile* SimProfile::FindFile(std::uint16_t directory, std::uint16_t id) const {
    return const_cast<SimProfile*>(this)->FindFile(directory, id);
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

}  // namespace quillet::sim
