#pragma once

#include <climits>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>

namespace quillet::app {

// The program's per-user settings: named values grouped in sections (commData, confirmations,
// findData, SMSData). The windowed program keeps them with Qt; tests and tools in memory.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual std::string ReadString(const std::string& section, const std::string& key,
                                   const std::string& fallback) const = 0;
    virtual void WriteString(const std::string& section, const std::string& key, const std::string& value) = 0;

    // Whole numbers; a stored text that is not one gives the fallback.
    virtual int ReadInt(const std::string& section, const std::string& key, int fallback) const {
        const std::string text = ReadString(section, key, std::string());
        if (text.empty()) return fallback;
        char* end = nullptr;
        const long value = std::strtol(text.c_str(), &end, 10);
        return *end == '\0' && value >= INT_MIN && value <= INT_MAX ? static_cast<int>(value) : fallback;
    }
    virtual void WriteInt(const std::string& section, const std::string& key, int value) {
        WriteString(section, key, std::to_string(value));
    }
};

// Settings held in memory for the run.
class MemorySettingsStore final : public SettingsStore {
public:
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback) const override {
        const auto found = m_values.find({section, key});
        return found == m_values.end() ? fallback : found->second;
    }
    void WriteString(const std::string& section, const std::string& key, const std::string& value) override {
        m_values[{section, key}] = value;
    }

private:
    std::map<std::pair<std::string, std::string>, std::string> m_values;
};

}  // namespace quillet::app
