#include "reader/RdxDriverReader.h"

#include <cstring>
#include <map>
#include <memory>

#include "reader/DriverErrorMap.h"
#include "reader/LibraryLoader.h"

namespace quillet::reader {

namespace {

constexpr int kFamily95 = 1;
constexpr int kFamilyNt = 2;
constexpr std::uint32_t kNoDriver = 263;  // platform unknown or library missing
constexpr std::uint32_t kNoEntryPoint = 3;

enum Function : std::uint32_t {
    kOpen = 0x7A02,
    kClose = 0x7A03,
    kSetMode = 0x7A0A,
    kStatus = 0x7A11,
    kControl = 0x7A13,
    kExchange = 0x7A18,
    kEndMemoryRead = 0x7A20,
    kMemoryRead = 0x7A36,
};
enum ControlFunction : std::uint32_t { kConnect = 1, kDisconnect = 2, kReconnect = 3, kStartCard = 4, kLine = 5 };
constexpr std::uint32_t kStartCardLineWord = 0x81202580;
constexpr std::uint32_t kLineWord = 0x80202580;

// The driver's one entry point takes pointers to the words of the request block, in the order
// code, pointer, value, second argument, count to send, capacity, flags. The words are as wide
// as a pointer, so a pointer argument fits on every platform.
using DriverEntry = int (*)(std::uintptr_t*, std::uintptr_t*, std::uintptr_t*, std::uintptr_t*, std::uintptr_t*,
                            std::uintptr_t*, std::uintptr_t*);

// The driver library is loaded once per process (per folder) and kept.
struct DriverLibrary {
    LibraryLoader library;
    DriverEntry entry = nullptr;
    bool tried = false;
};

DriverLibrary& LibraryFor(const std::string& path) {
    static std::map<std::string, std::unique_ptr<DriverLibrary>> libraries;
    auto& slot = libraries[path];
    if (!slot) slot = std::make_unique<DriverLibrary>();
    return *slot;
}

}  // namespace

int NtFamilyPlatform() { return kFamilyNt; }

struct RdxDriverReader::Request {
    std::uintptr_t words[7] = {};
};

RdxDriverReader::RdxDriverReader(PlatformQuery platform, std::string libraryFolder)
    : m_platform(std::move(platform)), m_libraryFolder(std::move(libraryFolder)) {}

RdxDriverReader::~RdxDriverReader() {
    if (m_libraryOpen) {
        Request request;
        request.words[3] = kClose;
        request.words[2] = 1;
        Call(request);
    }
}

bool RdxDriverReader::Call(Request& request) {
    const int platform = m_platform ? m_platform() : 0;
    if (platform != kFamily95 && platform != kFamilyNt) {
        m_lastError = kNoDriver;
        return false;
    }
    const std::string name = platform == kFamily95 ? "librdxi95.so" : "librdxint.so";
    const std::string path = m_libraryFolder.empty() ? name : m_libraryFolder + "/" + name;
    DriverLibrary& driver = LibraryFor(path);
    if (!driver.tried) {
        driver.tried = true;
        if (driver.library.Load(path)) {
            void* entry = driver.library.Find("_RdxDllEntry@28");
            if (entry == nullptr) entry = driver.library.Find("RdxDllEntry");
            driver.entry = reinterpret_cast<DriverEntry>(entry);
        }
    }
    if (!driver.library.IsLoaded()) {
        m_lastError = kNoDriver;
        return false;
    }
    if (driver.entry == nullptr) {
        m_lastError = kNoEntryPoint;
        return false;
    }
    std::uintptr_t* w = request.words;
    driver.entry(&w[3], &w[0], &w[2], &w[1], &w[5], &w[4], &w[6]);
    // The driver's error number is the low half of its result word.
    m_lastError = static_cast<std::uint32_t>(w[3] & 0xFFFF);
    return m_lastError == 0;
}

ReaderResult RdxDriverReader::Failed() const { return MapDriverError(m_lastError); }

ReaderResult RdxDriverReader::Open(const std::string& /*name*/, std::uint32_t /*option*/) {
    if (m_libraryOpen) return result::kOk;
    Request request;
    request.words[3] = kOpen;
    request.words[2] = 1;
    if (!Call(request)) return Failed();
    m_libraryOpen = true;
    m_readerConnected = true;
    m_portOpen = true;
    return result::kOk;
}

ReaderResult RdxDriverReader::Close() {
    if (!m_libraryOpen) return result::kOk;
    Request request;
    request.words[3] = kClose;
    request.words[2] = 1;
    const bool closed = Call(request);
    m_libraryOpen = false;
    m_readerConnected = false;
    m_portOpen = false;
    return closed ? result::kOk : Failed();
}

ReaderResult RdxDriverReader::Control(std::uint32_t subFunction, std::uint32_t lineWord, bool withLineWord) {
    Request request;
    request.words[3] = kControl;
    request.words[2] = subFunction;
    std::uint32_t word = lineWord;
    request.words[1] = withLineWord ? reinterpret_cast<std::uintptr_t>(&word) : 0;
    return Call(request) ? result::kOk : Failed();
}

ReaderResult RdxDriverReader::Connect() {
    if (!m_libraryOpen) return result::kNonSpecific;
    return Control(kConnect, 0, false);
}

ReaderResult RdxDriverReader::Disconnect() { return Control(kDisconnect, 0, false); }

ReaderResult RdxDriverReader::Reconnect() { return Control(kReconnect, 0, false); }

ReaderResult RdxDriverReader::StartCard() { return Control(kStartCard, kStartCardLineWord, true); }

ReaderResult RdxDriverReader::SetLineParity(std::uint8_t parity) {
    const std::uint32_t code = parity == 1 ? 0x01000000u : parity == 2 ? 0x02000000u : 0u;
    return Control(kLine, kLineWord + code, true);
}

ReaderResult RdxDriverReader::GetReaderStatus(std::uint16_t& status) {
    Request request;
    request.words[3] = kStatus;
    if (!Call(request)) return Failed();
    status = static_cast<std::uint16_t>(request.words[2] & 0xFFFF);
    m_cardInserted = (status & 0x40) != 0;
    return result::kOk;
}

std::uint16_t RdxDriverReader::Exchange(std::span<std::uint8_t> buffer, std::uint16_t count, std::uint8_t /*mode*/,
                                        std::uint8_t retries) {
    const std::size_t capacity = std::min<std::size_t>(buffer.size(), 0xFFFF);
    Request request;
    request.words[3] = kExchange;
    request.words[0] = reinterpret_cast<std::uintptr_t>(buffer.data());
    request.words[5] = std::min<std::size_t>(count, capacity);
    request.words[4] = capacity;
    request.words[1] = static_cast<std::uintptr_t>(retries) * 10;
    request.words[2] = 0;
    if (!Call(request)) return 0;
    // Never trust the driver beyond the buffer it was given.
    return static_cast<std::uint16_t>(std::min<std::uintptr_t>(request.words[4], capacity));
}

ReaderResult RdxDriverReader::ReadMemoryCard(std::span<std::uint8_t, kMemoryCardBytes> out) {
    Request mode;
    mode.words[3] = kSetMode;
    mode.words[2] = 0x1200;
    if (!Call(mode)) return Failed();
    std::uint16_t status = 0;
    const ReaderResult code = GetReaderStatus(status);
    if (code != result::kOk) return code;
    if ((status & 0x40) == 0) return result::kCardNotInserted;
    // The parameter record: 32 bytes wanted, from offset 0, into the caller's buffer.
    std::uint8_t record[132] = {};
    const std::uint16_t wanted = kMemoryCardBytes;
    std::memcpy(record + 38, &wanted, sizeof wanted);
    std::uint8_t* destination = out.data();
    std::memcpy(record + 46, &destination, sizeof destination);
    Request read;
    read.words[3] = kMemoryRead;
    read.words[0] = reinterpret_cast<std::uintptr_t>(record);
    if (!Call(read)) return Failed();
    Request end;
    end.words[3] = kEndMemoryRead;
    end.words[2] = 2;
    if (!Call(end)) return Failed();
    return result::kOk;
}

}  // namespace quillet::reader
