// Runs a fuzz target on its seeds and then on random mutations of them for a bounded time
// (QUILLET_FUZZ_SECONDS, 2 by default), from a fixed random seed so that a failure repeats.
// A crash, a sanitizer report or an exception ends the run with the input that caused it
// written to fuzz-crash-<target>.bin in the working folder.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "FuzzTarget.h"

// Present when the program is built with a sanitizer, which calls it before ending the process.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace {

using Input = std::string;

std::string g_target = "target";
const Input* g_current = nullptr;

void SaveCurrent() {
    if (g_current == nullptr) return;
    std::ofstream("fuzz-crash-" + g_target + ".bin", std::ios::binary) << *g_current;
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
    if (argc > 1) g_target = argv[1];
    const char* budget = std::getenv("QUILLET_FUZZ_SECONDS");
    const double seconds = budget != nullptr ? std::atof(budget) : 2.0;
    for (const int fault : {SIGSEGV, SIGILL, SIGABRT, SIGFPE, SIGBUS}) {
        std::signal(fault, [](int signal) {
            SaveCurrent();  // best effort: the process is ending anyway
            std::signal(signal, SIG_DFL);
            std::raise(signal);
        });
    }
    std::set_terminate([] {
        SaveCurrent();
        std::abort();
    });
    if (__sanitizer_set_death_callback != nullptr) __sanitizer_set_death_callback(SaveCurrent);

    const std::vector<Input> seeds = quillet::fuzz::Seeds();
    for (const Input& seed : seeds) Run(seed);
    std::mt19937 random(20261206);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    std::size_t runs = 0;
    while (std::chrono::steady_clock::now() < end) {
        const Input& seed = seeds[random() % seeds.size()];
        Run(Mutate(seed, seeds, random));
        ++runs;
    }
    std::printf("%s: %zu mutated inputs in %.1f s, no fault\n", g_target.c_str(), runs, seconds);
    return 0;
}
