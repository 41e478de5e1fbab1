#pragma once

#include <cstdlib>
#include <string>

namespace quillet::testing {

// Makes the Qt programs of the tests run without a display and keep their settings and card
// files in a fresh folder of their own. Call before the first QSettings and before QApplication.
// Returns the folder, or an empty text when it cannot be made.
inline std::string PrepareQtEnvironment(const std::string& name) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::string folder = "/tmp/" + name + "-XXXXXX";
    if (mkdtemp(folder.data()) == nullptr) return {};
    setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    return folder;
}

}  // namespace quillet::testing
