#include "card/SecretString.h"

#include "reader/SecureWipe.h"

namespace quillet::card {

void WipeBytes(void* data, std::size_t size) { reader::SecureWipe(data, size); }

SecretString& SecretString::operator=(const SecretString& other) {
    if (this != &other) {
        Clear();
        m_text = other.m_text;
    }
    return *this;
}

void SecretString::Clear() {
    // Wipe the whole allocation, not only the characters in use.
    WipeBytes(m_text.data(), m_text.capacity());
    m_text.clear();
}

}  // namespace quillet::card
