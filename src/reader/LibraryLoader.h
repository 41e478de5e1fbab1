#pragma once

#include <string>

namespace quillet::reader {

// A shared library loaded at run time, and its entry points looked up by name.
class LibraryLoader {
public:
    LibraryLoader() = default;
    ~LibraryLoader() { Unload(); }
    LibraryLoader(const LibraryLoader&) = delete;
    LibraryLoader& operator=(const LibraryLoader&) = delete;

    bool Load(const std::string& name);
    void Unload();
    bool IsLoaded() const { return m_handle != nullptr; }
    // The entry point, or null when the library has none of that name.
    void* Find(const char* symbol) const;

private:
    void* m_handle = nullptr;
};

}  // namespace quillet::reader
