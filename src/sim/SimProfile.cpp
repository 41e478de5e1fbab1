#include "sim/SimProfile.h"

#include <algorithm>

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

}  // namespace quillet::sim
