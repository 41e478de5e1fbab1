#pragma once

#include <QSettings>

#include "app/SettingsStore.h"

namespace quillet::ui {

// The settings of the windowed program, kept by QSettings under "Ostrakon" / "Quillet! 3.5",
// one group per section.
class QtSettingsStore final : public app::SettingsStore {
public:
    QtSettingsStore();

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback) const override;
    void WriteString(const std::string& section, const std::string& key, const std::string& value) override;
    int ReadInt(const std::string& section, const std::string& key, int fallback) const override;
    void WriteInt(const std::string& section, const std::string& key, int value) override;

    // Writes what is pending to disk.
    void Sync() { m_settings.sync(); }

private:
    static QString KeyOf(const std::string& section, const std::string& key);

    mutable QSettings m_settings;
};

}  // namespace quillet::ui
