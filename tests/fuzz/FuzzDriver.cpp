// Runs a fuzz target on its seeds and then on QUILLET_FUZZ_RUNS (5000) random mutations of them,
// from a fixed random seed so that every machine runs the same inputs (QUILLET_FUZZ_SEED picks
// another for a longer hunt); QUILLET_FUZZ_SECONDS (30) caps the time. A crash, a sanitizer report or an exception ends
// the run with the input that caused it written to fuzz-crash-<target>.bin in the working folder. Given files after the
// target's name, it runs just those inputs, to replay a crash.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "FuzzTarget.h"

// Present when the program is built with a sanitizer, which calls it before ending the process.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace {

using Input = std::string;

std::string g_crashFile = "fuzz-crash.bin";
const Input* g_current = nullptr;

// Only calls that are safe in a signal handler: the process may be in any state here.
void SaveCurrent() {
    if (g_current == nullptr) return;
    const int file = ::open(g_crashFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (file < 0) return;
    const char* data = g_current->data();
    std::size_t left = g_current->size();
    while (left > 0) {
        const ssize_t done = ::write(file, data, left);
        if (done <= 0) break;
        data += done;
        left -= static_cast<std::size_t>(done);
    }
    ::close(file);
    static const char kSaved[] = "fuzz: the failing input is saved\n";
    [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, kSaved, sizeof kSaved - 1);
}

double Setting(const char* name, double fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::atof(value) : fallback;
}

void Run(const Input& input) {
    g_current = &input;
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
    g_current = nullptr;
}

// Bytes that readers treat specially: separators, line ends, escapes, zero and length markers.
constexpr char kInteresting[] = {'\t', '\n', '\r', '\x1b', '>', '+', '0', '9', '\0', '\x7f', '\xff', '\xfe'};

Input Mutate(Input input, const std::vector<Input>& seeds, std::mt19937& random) {
    const int steps = 1 + static_cast<int>(random() % 8);
    for (int step = 0; step < steps; ++step) {
        const std::size_t at = input.empty() ? 0 : random() % (input.size() + 1);
        switch (random() % 7) {
            case 0:  // flip a bit
                if (!input.empty()) input[at % input.size()] ^= static_cast<char>(1u << (random() % 8));
                break;
            case 1:  // a random byte
                if (!input.empty()) input[at % input.size()] = static_cast<char>(random());
                break;
            case 2:  // an interesting byte
                input.insert(at, 1, kInteresting[random() % sizeof kInteresting]);
                break;
            case 3:  // cut a piece out
                input.erase(at, random() % 16);
                break;
            case 4: {  // repeat a piece, sometimes many times
                const std::string piece = input.substr(at, 1 + random() % 32);
                const std::size_t times = random() % 4 == 0 ? 1 + random() % 2000 : 1;
                for (std::size_t time = 0; time < times && input.size() < (1u << 20); ++time) input.insert(at, piece);
                break;
            }
            case 5:  // splice in part of another seed
                if (!seeds.empty()) {
                    const Input& other = seeds[random() % seeds.size()];
                    input.insert(at, other.substr(random() % (other.size() + 1), random() % 64));
                }
                break;
            default:  // truncate
                input.resize(at);
                break;
        }
    }
    return input;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string target = argc > 1 ? argv[1] : "target";
    g_crashFile = "fuzz-crash-" + target + ".bin";
    if (__sanitizer_set_death_callback != nullptr) {
        // The sanitizers report faults themselves and call back before the process ends.
        __sanitizer_set_death_callback(SaveCurrent);
    } else {
        for (const int fault : {SIGSEGV, SIGILL, SIGABRT, SIGFPE, SIGBUS}) {
            std::signal(fault, [](int signal) {
                SaveCurrent();
                std::signal(signal, SIG_DFL);
                std::raise(signal);
            });
        }
    }
    std::set_terminate([] {
        SaveCurrent();
        std::abort();
    });

    if (argc > 2) {
        for (int index = 2; index < argc; ++index) {
            std::ifstream file(argv[index], std::ios::binary);
            Run(Input(std::istreambuf_iterator<char>(file), {}));
        }
        std::printf("%s: %d given inputs, no fault\n", target.c_str(), argc - 2);
        return 0;
    }
    const std::vector<Input> seeds = quillet::fuzz::Seeds();
    for (const Input& seed : seeds) Run(seed);
    const auto runs = static_cast<std::size_t>(Setting("QUILLET_FUZZ_RUNS", 5000));
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(Setting("QUILLET_FUZZ_SECONDS", 30));
    std::mt19937 random(static_cast<std::mt19937::result_type>(Setting("QUILLET_FUZZ_SEED", 20261206)));
    std::size_t run = 0;
    for (; run < runs && std::chrono::steady_clock::now() < end; ++run) {
        const Input& seed = seeds[random() % seeds.size()];
        Run(Mutate(seed, seeds, random));
    }
    std::printf("%s: %zu of %zu mutated inputs, no fault\n", target.c_str(), run, runs);
    return 0;
}
