#include "card/SecretString.h"

#include "card/CoreDumpGuard.h"
#include "reader/SecureWipe.h"

namespace quillet::card {

SecretString::SecretString(std::string_view text) : m_text(text) {
    if (!m_text.empty()) CoreDumpGuard::CodeHeld();
}

SecretString::SecretString(const SecretString& other) : m_text(other.m_text) {
    if (!m_text.empty()) CoreDumpGuard::CodeHeld();
}

SecretString& SecretString::operator=(const SecretString& other) {
    if (this != &other) {
        Clear();
        m_text = other.m_text;
        if (!m_text.empty()) CoreDumpGuard::CodeHeld();
    }
    return *this;
}

void SecretString::Clear() {
    const bool held = !m_text.empty();
    // Wipe the whole allocation, not only the characters in use.
    reader::SecureWipe(m_text.data(), m_text.capacity());
    m_text.clear();
    if (held) CoreDumpGuard::CodeWiped();
}

}  // namespace quillet::card
