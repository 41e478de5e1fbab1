#include "sim/VpcdConnector.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace quillet::sim {

namespace {

constexpr std::uint8_t kPowerOff = 0;
constexpr std::uint8_t kPowerOn = 1;
constexpr std::uint8_t kReset = 2;
constexpr std::uint8_t kGetAtr = 4;
constexpr std::uint16_t kWrongLength = 0x6700;
constexpr std::uint16_t kTechnicalProblem = 0x6F00;
constexpr auto kReconnectPause = std::chrono::milliseconds(100);

bool ReceiveAll(int socket, std::uint8_t* data, std::size_t length) {
    std::size_t received = 0;
    while (received < length) {
        // vpcd sends the length and the payload in two writes: acknowledge at once, or every
        // command waits for the delayed acknowledgement.
        const int quickAck = 1;
        ::setsockopt(socket, IPPROTO_TCP, TCP_QUICKACK, &quickAck, sizeof quickAck);
        const ssize_t got = ::recv(socket, data + received, length - received, 0);
        if (got <= 0) return false;
        received += static_cast<std::size_t>(got);
    }
    return true;
}

bool SendFrame(int socket, const std::vector<std::uint8_t>& payload) {
    std::vector<std::uint8_t> frame = {static_cast<std::uint8_t>(payload.size() >> 8),
                                       static_cast<std::uint8_t>(payload.size())};
    frame.insert(frame.end(), payload.begin(), payload.end());
    std::size_t sent = 0;
    while (sent < frame.size()) {
        const ssize_t step = ::send(socket, frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL);
        if (step <= 0) return false;
        sent += static_cast<std::size_t>(step);
    }
    return true;
}

std::vector<std::uint8_t> StatusOnly(std::uint16_t sw) {
    return {static_cast<std::uint8_t>(sw >> 8), static_cast<std::uint8_t>(sw)};
}

}  // namespace

VpcdConnector::VpcdConnector(ApduCard& card, Options options) : m_card(card), m_options(std::move(options)) {
    m_atr = m_card.Reset();
}

std::vector<std::uint8_t> VpcdConnector::Answer(const std::vector<std::uint8_t>& command) {
    if (command.size() < 4) return StatusOnly(kWrongLength);
    if (!m_powered) return StatusOnly(kTechnicalProblem);
    ApduHeader header{command[0], command[1], command[2], command[3],
                      static_cast<std::uint8_t>(command.size() >= 5 ? command[4] : 0)};
    const std::size_t withData = 5u + header.p3;
    const bool wellShaped = command.size() == 4 || command.size() == 5 || command.size() == withData;
    if (m_options.strictShapes && !wellShaped) return StatusOnly(kWrongLength);

    std::vector<std::uint8_t> data;
    if (m_card.TakesData(header) && header.p3 > 0) {
        if (command.size() < withData) return StatusOnly(kWrongLength);
        data.assign(command.begin() + 5, command.begin() + static_cast<std::ptrdiff_t>(withData));
    }
    ApduResponse response = m_card.Process(header, data);
    std::vector<std::uint8_t> answer = std::move(response.data);
    answer.push_back(static_cast<std::uint8_t>(response.sw >> 8));
    answer.push_back(static_cast<std::uint8_t>(response.sw));
    return answer;
}

std::vector<std::uint8_t> VpcdConnector::Control(std::uint8_t code) {
    switch (code) {
        case kPowerOff:
            m_powered = false;
            if (onPowerDown) onPowerDown();
            break;
        case kPowerOn:
        case kReset:
            if (code == kReset && onPowerDown) onPowerDown();
            m_atr = m_card.Reset();
            m_powered = true;
            break;
        case kGetAtr:
            // Asked at any time (pcscd polls): the answer leaves the card as it is.
            return m_atr;
        default:
            break;
    }
    return {};
}

bool VpcdConnector::Serve(int socket) {
    for (;;) {
        std::uint8_t lengthBytes[2];
        if (!ReceiveAll(socket, lengthBytes, 2)) return false;
        const std::size_t length = static_cast<std::size_t>(lengthBytes[0] << 8 | lengthBytes[1]);
        std::vector<std::uint8_t> payload(length);
        if (length > 0 && !ReceiveAll(socket, payload.data(), length)) return false;
        if (length == 1) {
            const std::vector<std::uint8_t> answer = Control(payload[0]);
            if (!answer.empty() && !SendFrame(socket, answer)) return false;
            continue;
        }
        if (!SendFrame(socket, Answer(payload))) return false;
    }
}

void VpcdConnector::Run() {
    while (!m_stop) {
        const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
        if (socket < 0) return;
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(m_options.port);
        ::inet_pton(AF_INET, m_options.host.c_str(), &address.sin_addr);
        {
            std::lock_guard<std::mutex> lock(m_socketMutex);
            m_socket = socket;
        }
        if (!m_stop && ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            // A Stop() that came before the connection was made could not shut it down.
            bool stopped = false;
            {
                std::lock_guard<std::mutex> lock(m_socketMutex);
                stopped = m_stop;
            }
            if (!stopped) {
                m_connected = true;
                Serve(socket);
                m_connected = false;
            }
        }
        {
            std::lock_guard<std::mutex> lock(m_socketMutex);
            m_socket = -1;
            ::close(socket);
        }
        m_powered = false;
        if (!m_stop) std::this_thread::sleep_for(kReconnectPause);
    }
}

void VpcdConnector::Stop() {
    std::lock_guard<std::mutex> lock(m_socketMutex);
    m_stop = true;
    if (m_socket >= 0) ::shutdown(m_socket, SHUT_RDWR);
}

}  // namespace quillet::sim
