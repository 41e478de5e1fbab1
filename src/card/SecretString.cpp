#include "card/SecretString.h"

#include "reader/SecureWipe.h"

namespace quillet::card {

SecretString& SecretString::operator=(const SecretString& other) {
    if (this != &other) {
        Clear();
        m_text = other.m_text;
    }
    return *this;
}

void SecretString::Clear() {
    // Wipe the whole allocation, not only the characters in use.
    reader::SecureWipe(m_text.data(), m_text.capacity());
    m_text.clear();
}

}  // namespace quillet::card
