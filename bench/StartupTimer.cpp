// Times the start-up of the editor against that of a bare Qt program, both as whole processes: each run is a
// fresh process, from spawning it to its exit. A third program, an empty window with one line of text, shows
// what loading fonts and drawing text costs any window. The programs take turns, so that whatever else the
// machine does falls on all alike. Prints the median, fastest and slowest of each and the ratios of the medians.
//
//   kyrel_bench_startup [--runs N] [--warmup N] [EDITOR BARE [TEXT]]
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

constexpr double Budget = 1.3;

// Seconds from spawning the program to its exit; negative when it could not run or did not exit with 0.
double TimeRun(const std::string& program) {
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};

    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &quiet, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) {
        std::fprintf(stderr, "cannot start %s: %s\n", program.c_str(), std::strerror(spawned));
        return -1;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s did not end normally (status %d); run it by hand to see why\n", program.c_str(),
                     status);
        return -1;
    }
    return std::chrono::duration<double>(end - start).count();
}

struct Summary {
    double median;
    double fastest;
    double slowest;
};

Summary Summarise(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    const std::size_t n = times.size();
    const double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    return {median, times.front(), times.back()};
}

int Usage() {
    std::fprintf(stderr, "usage: kyrel_bench_startup [--runs N] [--warmup N] [EDITOR BARE [TEXT]]\n");
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    int runs = 30;
    int warmup = 3;
    std::vector<std::string> programs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--runs" || arg == "--warmup") && i + 1 < argc) {
            const int value = std::atoi(argv[++i]);
            if (value < 0 || (arg == "--runs" && value < 1))
                return Usage();
            (arg == "--runs" ? runs : warmup) = value;
        } else if (arg.rfind("--", 0) == 0) {
            return Usage();
        } else {
            programs.push_back(arg);
        }
    }
    if (programs.empty())
        programs = {KYREL_STARTUP_EDITOR, KYREL_STARTUP_BARE, KYREL_STARTUP_TEXT};
    if (programs.size() != 2 && programs.size() != 3)
        return Usage();
    // Headless unless the caller chose a platform, such as xcb under Xvfb.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

    const std::size_t count = programs.size();
    std::vector<std::vector<double>> times(count);
    for (int round = 0; round < warmup + runs; ++round) {
        // Rotate which one goes first, so that none always follows the same other.
        for (std::size_t turn = 0; turn < count; ++turn) {
            const std::size_t which = (static_cast<std::size_t>(round) + turn) % count;
            const double seconds = TimeRun(programs[which]);
            if (seconds < 0)
                return 1;
            if (round >= warmup)
                times[which].push_back(seconds);
        }
    }

    const char* names[] = {"editor", "floor", "text"};
    std::vector<Summary> summaries;
    std::printf("Start-up to the first exposed window, %d runs each after %d warm-up runs (QT_QPA_PLATFORM=%s)\n", runs,
                warmup, std::getenv("QT_QPA_PLATFORM"));
    for (std::size_t i = 0; i < count; ++i) {
        summaries.push_back(Summarise(times[i]));
        std::printf("  %-8s median %7.1f ms   fastest %7.1f ms   slowest %7.1f ms   %s\n", names[i],
                    summaries[i].median * 1e3, summaries[i].fastest * 1e3, summaries[i].slowest * 1e3,
                    programs[i].c_str());
    }
    const double ratio = summaries[0].median / summaries[1].median;
    std::printf("  editor / floor: ratio of the medians %.2f   budget %.1fx   %s   (fastest: ratio %.2f)\n", ratio,
                Budget, ratio <= Budget ? "met" : "MISSED", summaries[0].fastest / summaries[1].fastest);
    if (count == 3) {
        std::printf("  editor / text:  ratio of the medians %.2f   (fastest: ratio %.2f)\n",
                    summaries[0].median / summaries[2].median, summaries[0].fastest / summaries[2].fastest);
        std::printf("  text / floor:   ratio of the medians %.2f   (fastest: ratio %.2f)\n",
                    summaries[2].median / summaries[1].median, summaries[2].fastest / summaries[1].fastest);
    }
    return 0;
}
