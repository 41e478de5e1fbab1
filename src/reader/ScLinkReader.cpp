#include "reader/ScLinkReader.h"

#include <winscard.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "reader/CardAnswer.h"
#include "reader/LibraryLoader.h"
#include "reader/SecureWipe.h"
#include "resources/StringTable.h"

namespace quillet::reader {

namespace {

constexpr const char* kLibraryName = "libpcsclite.so.1";
constexpr std::uint32_t kFilterIds[] = {500, 501, 502};

using EstablishContextFn = LONG (*)(DWORD, LPCVOID, LPCVOID, LPSCARDCONTEXT);
using ReleaseContextFn = LONG (*)(SCARDCONTEXT);
using ConnectFn = LONG (*)(SCARDCONTEXT, LPCSTR, DWORD, DWORD, LPSCARDHANDLE, LPDWORD);
using DisconnectFn = LONG (*)(SCARDHANDLE, DWORD);
using TransmitFn = LONG (*)(SCARDHANDLE, const SCARD_IO_REQUEST*, LPCBYTE, DWORD, SCARD_IO_REQUEST*, LPBYTE, LPDWORD);
using GetStatusChangeFn = LONG (*)(SCARDCONTEXT, DWORD, SCARD_READERSTATE*, DWORD);
using StatusFn = LONG (*)(SCARDHANDLE, LPSTR, LPDWORD, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
using ListReadersFn = LONG (*)(SCARDCONTEXT, LPCSTR, LPSTR, LPDWORD);

// The pcsc-lite library, loaded by the first reader that opens and freed with the last object.
struct PcscLibrary {
    LibraryLoader library;
    int liveObjects = 0;
    EstablishContextFn establishContext = nullptr;
    ReleaseContextFn releaseContext = nullptr;
    ConnectFn connect = nullptr;
    DisconnectFn disconnect = nullptr;
    TransmitFn transmit = nullptr;
    GetStatusChangeFn getStatusChange = nullptr;
    StatusFn status = nullptr;
    ListReadersFn listReaders = nullptr;

    bool Ready() const {
        return establishContext && releaseContext && connect && disconnect && transmit && getStatusChange && status &&
               listReaders;
    }
    bool Load() {
        if (Ready()) return true;
        if (!library.IsLoaded() && !library.Load(kLibraryName)) return false;
        establishContext = reinterpret_cast<EstablishContextFn>(library.Find("SCardEstablishContext"));
        releaseContext = reinterpret_cast<ReleaseContextFn>(library.Find("SCardReleaseContext"));
        connect = reinterpret_cast<ConnectFn>(library.Find("SCardConnect"));
        disconnect = reinterpret_cast<DisconnectFn>(library.Find("SCardDisconnect"));
        transmit = reinterpret_cast<TransmitFn>(library.Find("SCardTransmit"));
        getStatusChange = reinterpret_cast<GetStatusChangeFn>(library.Find("SCardGetStatusChange"));
        status = reinterpret_cast<StatusFn>(library.Find("SCardStatus"));
        listReaders = reinterpret_cast<ListReadersFn>(library.Find("SCardListReaders"));
        return Ready();
    }
};

PcscLibrary& Pcsc() {
    static PcscLibrary shared;
    return shared;
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

}  // namespace

bool PassesReaderFilter(const std::string& name, const std::vector<std::string>& patterns) {
    bool anyPattern = false;
    for (const std::string& pattern : patterns) {
        if (pattern == ".") continue;
        anyPattern = true;
        if (Upper(name).find(Upper(pattern)) != std::string::npos) return true;
    }
    return !anyPattern;
}

ScLinkReader::ScLinkReader() { ++Pcsc().liveObjects; }

ScLinkReader::~ScLinkReader() {
    PcscLibrary& pcsc = Pcsc();
    if (m_card != 0 && pcsc.Ready()) pcsc.disconnect(static_cast<SCARDHANDLE>(m_card), SCARD_RESET_CARD);
    m_card = 0;
    ReleaseContext();
    if (--pcsc.liveObjects == 0) {
        pcsc.establishContext = nullptr;
        pcsc.releaseContext = nullptr;
        pcsc.connect = nullptr;
        pcsc.disconnect = nullptr;
        pcsc.transmit = nullptr;
        pcsc.getStatusChange = nullptr;
        pcsc.status = nullptr;
        pcsc.listReaders = nullptr;
        pcsc.library.Unload();
    }
}

int ScLinkReader::LiveObjects() { return Pcsc().liveObjects; }

bool ScLinkReader::IsLibraryLoaded() { return Pcsc().library.IsLoaded(); }

void ScLinkReader::ReleaseContext() {
    if (m_contextEstablished && Pcsc().Ready()) Pcsc().releaseContext(static_cast<SCARDCONTEXT>(m_context));
    m_context = 0;
    m_contextEstablished = false;
}

ReaderResult ScLinkReader::Open(const std::string& name, std::uint32_t /*option*/) {
    if (!Pcsc().Load()) return result::kReaderLibraryError;
    if (m_contextEstablished) return result::kOk;
    SCARDCONTEXT context = 0;
    if (Pcsc().establishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context) != SCARD_S_SUCCESS) {
        return result::kGeneralReaderError;
    }
    m_context = static_cast<std::intptr_t>(context);
    m_contextEstablished = true;
    m_readerConnected = true;
    m_portOpen = true;
    m_readerName = name;
    return result::kOk;
}

ReaderResult ScLinkReader::Close() {
    if (!m_contextEstablished) return result::kOk;
    bool failed = false;
    if (m_card != 0) {
        failed = Pcsc().disconnect(static_cast<SCARDHANDLE>(m_card), SCARD_RESET_CARD) != SCARD_S_SUCCESS;
        m_card = 0;
    }
    const bool released = Pcsc().releaseContext(static_cast<SCARDCONTEXT>(m_context)) == SCARD_S_SUCCESS;
    m_context = 0;
    m_contextEstablished = false;
    m_readerConnected = false;
    m_portOpen = false;
    return failed || !released ? result::kNonSpecific : result::kOk;
}

ReaderResult ScLinkReader::StartCard() {
    if (!m_contextEstablished) return result::kGeneralReaderError;
    SCARDHANDLE card = 0;
    DWORD protocol = 0;
    if (Pcsc().connect(static_cast<SCARDCONTEXT>(m_context), m_readerName.c_str(), SCARD_SHARE_EXCLUSIVE,
                       SCARD_PROTOCOL_T0, &card, &protocol) != SCARD_S_SUCCESS) {
        return result::kGeneralReaderError;
    }
    m_card = static_cast<std::intptr_t>(card);
    char readerName[256];
    DWORD readerLength = sizeof readerName;
    DWORD state = 0;
    DWORD atrLength = static_cast<DWORD>(m_atr.size());
    if (Pcsc().status(card, readerName, &readerLength, &state, &protocol, m_atr.data(), &atrLength) !=
            SCARD_S_SUCCESS ||
        atrLength > m_atr.size()) {
        m_atrLength = 0;
        return result::kGeneralReaderError;
    }
    m_atrLength = static_cast<std::uint32_t>(atrLength);
    m_atrPosition = 0;
    return result::kOk;
}

std::uint16_t ScLinkReader::Exchange(std::span<std::uint8_t> buffer, std::uint16_t count, std::uint8_t /*mode*/,
                                     std::uint8_t /*retries*/) {
    if (count != 0 || m_atrPosition >= m_atrLength) return 0;
    const std::size_t taken = std::min<std::size_t>(buffer.size(), m_atrLength - m_atrPosition);
    std::copy_n(m_atr.begin() + m_atrPosition, taken, buffer.begin());
    m_atrPosition += static_cast<std::uint32_t>(taken);
    return static_cast<std::uint16_t>(taken);
}

ReaderResult ScLinkReader::Transmit(std::uint8_t cla, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2,
                                    std::uint8_t p3, std::span<std::uint8_t> data, Direction direction,
                                    std::uint16_t& sw) {
    const std::array<std::uint8_t, 5> header = {cla, ins, p1, p2, p3};
    const auto finish = [&](ReaderResult code) { return ReportCommand(header, data, p3, direction, sw, code); };
    if (!m_portOpen || !m_cardActive || !m_cardPowered || m_card == 0) return finish(result::kCardNotActive);
    if (data.size() < p3) return finish(result::kNonSpecific);

    // The command as the card gets it, byte for byte; the answer is data then SW1 SW2.
    std::array<std::uint8_t, 5 + 255> command{};
    std::copy(header.begin(), header.end(), command.begin());
    DWORD commandLength = 5;
    if (direction == Direction::ToCard) {
        std::copy_n(data.begin(), p3, command.begin() + 5);
        commandLength += p3;
    }
    std::array<std::uint8_t, 256 + 2> answer{};
    DWORD answerLength = static_cast<DWORD>(answer.size());
    // The protocol control record of T=0; the library's own is not linked in.
    const SCARD_IO_REQUEST t0{SCARD_PROTOCOL_T0, sizeof(SCARD_IO_REQUEST)};
    const LONG status = Pcsc().transmit(static_cast<SCARDHANDLE>(m_card), &t0, command.data(), commandLength, nullptr,
                                        answer.data(), &answerLength);
    // The codes of CHV commands do not stay behind in memory.
    SecureWipe(command.data(), command.size());
    // A card that died mid-command gives success with no status word: that is a failure.
    const bool answered = status == SCARD_S_SUCCESS && answerLength >= 2 && answerLength <= answer.size();
    ReaderResult code = result::kGeneralReaderError;
    if (answered) {
        // The status word ends the answer; what comes before it must be exactly the data asked for.
        const std::size_t received = answerLength - 2;
        const std::size_t expected = direction == Direction::FromCard ? p3 : 0;
        sw = static_cast<std::uint16_t>(answer[received] << 8 | answer[received + 1]);
        code = IsCompleteAnswer(received, expected, sw) ? result::kOk : result::kCommandError;
        if (code == result::kOk) std::copy_n(answer.begin(), received, data.begin());
    }
    SecureWipe(answer.data(), answer.size());
    return finish(code);
}

ReaderResult ScLinkReader::GetReaderStatus(std::uint16_t& status) {
    if (!m_contextEstablished) return result::kGeneralReaderError;
    SCARD_READERSTATE state{};
    state.szReader = m_readerName.c_str();
    state.dwCurrentState = SCARD_STATE_UNAWARE;
    if (Pcsc().getStatusChange(static_cast<SCARDCONTEXT>(m_context), 1, &state, 1) != SCARD_S_SUCCESS) {
        return result::kGeneralReaderError;
    }
    // The present bit moved to where the serial reader reports a card.
    status = static_cast<std::uint16_t>((state.dwEventState & SCARD_STATE_PRESENT) * 2);
    m_cardInserted = (status & 0x40) != 0;
    return result::kOk;
}

ReaderResult ScLinkReader::Disconnect() {
    if (m_card == 0) return result::kOk;
    const bool disconnected = Pcsc().disconnect(static_cast<SCARDHANDLE>(m_card), SCARD_RESET_CARD) == SCARD_S_SUCCESS;
    m_card = 0;
    return disconnected ? result::kOk : result::kNonSpecific;
}

ReaderResult ScLinkReader::Reconnect() { return Disconnect(); }

ReaderResult ScLinkReader::Connect() {
    if (!m_contextEstablished) return result::kNonSpecific;
    return Disconnect();
}

ReaderResult ScLinkReader::ReadMemoryCard(std::span<std::uint8_t, kMemoryCardBytes>) {
    return result::kInvalidReaderId;
}

ReaderResult ScLinkReader::SendReaderCommand(std::uint8_t) { return result::kNonSpecific; }

ReaderResult ScLinkReader::SetLineParity(std::uint8_t) { return result::kOk; }

void ScLinkReader::Delay(std::uint32_t ms) { m_clock.SleepMs(ms); }

bool ScLinkReader::ListReaders(std::vector<std::string>& readers) {
    readers.clear();
    const SCARDCONTEXT context = static_cast<SCARDCONTEXT>(m_context);
    std::vector<char> names;
    // A reader plugged in between asking for the size and the names needs a second try.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD length = 0;
        LONG status = Pcsc().listReaders(context, nullptr, nullptr, &length);
        if (status == SCARD_E_NO_READERS_AVAILABLE) return true;  // a working service with no reader
        if (status != SCARD_S_SUCCESS || length == 0) return false;
        names.assign(length + 1, '\0');
        status = Pcsc().listReaders(context, nullptr, names.data(), &length);
        if (status == SCARD_S_SUCCESS) break;
        if (status == SCARD_E_NO_READERS_AVAILABLE) return true;
        if (status != SCARD_E_INSUFFICIENT_BUFFER || attempt == 2) return false;
    }
    for (std::size_t start = 0; start < names.size() && names[start] != '\0';) {
        const std::string name(names.data() + start);
        readers.push_back(name);
        start += name.size() + 1;
    }
    return true;
}

bool ScLinkReader::ListGatewayReaders(std::vector<std::string>& readers) {
    ScLinkReader lister;
    if (lister.Open("", 0) != result::kOk) return false;
    std::vector<std::string> all;
    const bool listed = lister.ListReaders(all);
    lister.Close();
    std::vector<std::string> patterns;
    for (std::uint32_t id : kFilterIds) patterns.emplace_back(resources::LoadString(id));
    readers.clear();
    for (const std::string& name : all) {
        if (PassesReaderFilter(name, patterns)) readers.push_back(name);
    }
    return listed;
}

}  // namespace quillet::reader
