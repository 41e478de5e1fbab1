#pragma once

#include <string>
#include <string_view>

namespace quillet::card {

// Holds a PIN or unblocking code and wipes its bytes when it is cleared, replaced or destroyed,
// so a code that is forgotten does not linger in memory.
class SecretString {
public:
    SecretString() = default;
    explicit SecretString(std::string_view text) : m_text(text) {}
    SecretString(const SecretString& other) : m_text(other.m_text) {}
    SecretString& operator=(const SecretString& other);
    ~SecretString() { Clear(); }

    void Clear();
    bool Empty() const { return m_text.empty(); }
    std::string_view View() const { return m_text; }

private:
    std::string m_text;
};

}  // namespace quillet::card
