#pragma once

#include <string>
#include <string_view>

namespace quillet::card {

// Holds a PIN or unblocking code and wipes its bytes when it is cleared, replaced or destroyed,
// so a code that is forgotten does not linger in memory. While it holds a code, the process writes
// no core dump (CoreDumpGuard).
class SecretString {
public:
    SecretString() = default;
    explicit SecretString(std::string_view text);
    SecretString(const SecretString& other);
    SecretString& operator=(const SecretString& other);
    ~SecretString() { Clear(); }

    void Clear();
    bool Empty() const { return m_text.empty(); }
    std::string_view View() const { return m_text; }

private:
    std::string m_text;
};

}  // namespace quillet::card
