// Reads a 250-record phone book from the virtual card in pcscd's vpcd reader, once through the
// program (PC/SC reader, card session, phone book read) and once as a minimal client that sends
// the same commands straight through pcsc-lite; prints the time of the first over the second.
#include <winscard.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "card/CardSession.h"
#include "phonebook/PhoneBookTransfer.h"
#include "reader/ScLinkReader.h"
#include "sim/DemoCard.h"
#include "sim/GsmSimCard.h"
#include "sim/VpcdConnector.h"
#include "support/PcscHost.h"

using namespace quillet;

namespace {

constexpr const char* kReader = "Virtual PCD 00 00";

double Seconds(std::chrono::steady_clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

}  // namespace

int main() {
    sim::SimProfile profile = sim::BuildDemoSimProfile();
    auto& adn = profile.FindFile(0x7F10, 0x6F3A)->records;
    const auto demo = adn;
    while (adn.size() < 250) adn.push_back(demo[adn.size() % demo.size()]);
    sim::GsmSimCard card(profile);
    sim::VpcdConnector connector(card, {});
    std::thread serving([&] { connector.Run(); });
    const auto fail = [&](const char* what) {
        std::fprintf(stderr, "pcsc_overhead: %s\n", what);
        connector.Stop();
        serving.join();
        return 1;
    };

    testing::PcscHost host;
    if (host.reader.Open(kReader, 0) != reader::result::kOk) return fail("no PC/SC reader (is pcscd running?)");
    if (!testing::WaitForCard(host.reader, true)) return fail("the virtual card did not appear in the reader");

    // Alternate rounds through the program and through a minimal client that replays the same
    // commands straight to pcsc-lite.
    std::vector<std::vector<std::uint8_t>> commands;
    std::vector<std::uint16_t> statusWords;
    std::vector<double> ratios;
    std::vector<double> clientTimes;
    for (int round = 0; round <= 15; ++round) {
        card::CardSession session(host);
        host.ui.pins = {"1234"};
        if (!session.BeginSession(true, false, true)) return fail("no card session");
        // The first round only records the commands: the recording must not be timed.
        if (round == 0) {
            host.reader.SetTraceHook([&](const reader::TraceRecord& record) {
                std::vector<std::uint8_t> command(record.header.begin(), record.header.end());
                if (record.dataToCard) command.insert(command.end(), record.data.begin(), record.data.end());
                commands.push_back(command);
                statusWords.push_back(record.statusWord);
            });
        }
        static std::array<phonebook::PhoneBookEntry, 250> entries;
        phonebook::PhoneBookInfo info;
        // Both sides start timing once pcscd has settled after the card's reset.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const auto programStart = std::chrono::steady_clock::now();
        if (!phonebook::ReadPhoneBook(session, phonebook::kAdnFile, entries, info))
            return fail("phone book read failed");
        const double programTime = Seconds(std::chrono::steady_clock::now() - programStart);
        host.reader.SetTraceHook(nullptr);
        if (round == 0) {
            session.EndSession();
            continue;
        }
        session.EndSession();

        SCARDCONTEXT context = 0;
        SCARDHANDLE handle = 0;
        DWORD protocol = 0;
        if (SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context) != SCARD_S_SUCCESS ||
            SCardConnect(context, kReader, SCARD_SHARE_EXCLUSIVE, SCARD_PROTOCOL_T0, &handle, &protocol) !=
                SCARD_S_SUCCESS) {
            return fail("the minimal client could not connect");
        }
        std::vector<std::uint8_t> pin = {0xA0, 0x20, 0x00, 0x01, 0x08, '1', '2', '3', '4', 0xFF, 0xFF, 0xFF, 0xFF};
        std::uint8_t answer[258];
        DWORD answerLength = sizeof answer;
        SCardTransmit(handle, SCARD_PCI_T0, pin.data(), static_cast<DWORD>(pin.size()), nullptr, answer, &answerLength);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const auto clientStart = std::chrono::steady_clock::now();
        for (std::size_t index = 0; index < commands.size(); ++index) {
            const auto& command = commands[index];
            answerLength = sizeof answer;
            if (SCardTransmit(handle, SCARD_PCI_T0, command.data(), static_cast<DWORD>(command.size()), nullptr, answer,
                              &answerLength) != SCARD_S_SUCCESS ||
                answerLength < 2 || (answer[answerLength - 2] << 8 | answer[answerLength - 1]) != statusWords[index]) {
                return fail("the minimal client's command did not answer as the program's did");
            }
        }
        const double clientTime = Seconds(std::chrono::steady_clock::now() - clientStart);
        ratios.push_back(programTime / clientTime);
        clientTimes.push_back(clientTime);
        SCardDisconnect(handle, SCARD_RESET_CARD);
        SCardReleaseContext(context);
    }
    connector.Stop();
    serving.join();

    // The middle round of each, as the machine's other work disturbs single rounds.
    std::sort(ratios.begin(), ratios.end());
    std::sort(clientTimes.begin(), clientTimes.end());
    const double clientTime = clientTimes[clientTimes.size() / 2];
    std::printf("pcsc_overhead_ratio: %.3f\n", ratios[ratios.size() / 2]);
    std::printf("pcsc_ms_per_command: %.3f\n", 1000.0 * clientTime / static_cast<double>(commands.size()));
    return 0;
}
