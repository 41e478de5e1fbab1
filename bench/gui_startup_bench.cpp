// Start-up of the windowed program: from starting the process to the first paint of the main
// window, and its resident memory at that moment. The program is started with a fresh
// configuration and no reader, and reports the first paint itself.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kRuns = 7;

struct Sample {
    double milliseconds = 0;
    double residentMegabytes = 0;
};

bool RunOnce(const std::string& program, const std::string& home, Sample& sample) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    // Offscreen unless the caller names a platform (for example xcb under xvfb-run).
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    std::vector<std::string> environment = {std::string("QT_QPA_PLATFORM=") + (platform ? platform : "offscreen"),
                                            "QUILLET_REPORT_FIRST_PAINT=1",
                                            "XDG_CONFIG_HOME=" + home + "/config",
                                            "XDG_DATA_HOME=" + home + "/data",
                                            "XDG_RUNTIME_DIR=" + home,
                                            "HOME=" + home};
    for (const char* passed : {"PATH", "DISPLAY", "XAUTHORITY"}) {
        if (const char* value = std::getenv(passed)) environment.push_back(std::string(passed) + "=" + value);
    }
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string device = "NOTHING";
    std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>("--device"), device.data(),
                               nullptr};

    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        return false;
    }
    std::string line;
    char character = 0;
    while (read(pipeEnds[0], &character, 1) == 1 && character != '\n') line += character;
    const auto painted = std::chrono::steady_clock::now();
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);

    long residentKilobytes = -1;
    if (std::sscanf(line.c_str(), "first-paint rss_kb=%ld", &residentKilobytes) != 1) return false;
    sample.milliseconds = std::chrono::duration<double, std::milli>(painted - start).count();
    sample.residentMegabytes = static_cast<double>(residentKilobytes) / 1024.0;
    return true;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    char home[] = "/tmp/quillet-bench-XXXXXX";
    if (mkdtemp(home) == nullptr) return 1;
    std::vector<double> times;
    std::vector<double> memory;
    // The first start fills the system's file caches; it is not counted.
    for (int run = 0; run <= kRuns; ++run) {
        Sample sample;
        if (!RunOnce(QUILLET_GUI_PATH, home, sample)) {
            std::fprintf(stderr, "gui_startup: %s did not report its first paint\n", QUILLET_GUI_PATH);
            std::filesystem::remove_all(home);
            return 1;
        }
        if (run == 0) continue;
        times.push_back(sample.milliseconds);
        memory.push_back(sample.residentMegabytes);
    }
    std::filesystem::remove_all(home);
    std::printf("gui_startup_ms: %.0f\n", Median(times));
    std::printf("gui_rss_mb: %.1f\n", Median(memory));
    return 0;
}
