#include "reader/LibraryLoader.h"

#include <dlfcn.h>

namespace quillet::reader {

bool LibraryLoader::Load(const std::string& name) {
    Unload();
    m_handle = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    return m_handle != nullptr;
}

void LibraryLoader::Unload() {
    if (m_handle != nullptr) {
        ::dlclose(m_handle);
        m_handle = nullptr;
    }
}

void* LibraryLoader::Find(const char* symbol) const {
    return m_handle != nullptr ? ::dlsym(m_handle, symbol) : nullptr;
}

}  // namespace quillet::reader
