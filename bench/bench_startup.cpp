// Measures process start to the program's first window being mapped, with
// and without a settings file that names a media file, in turn with a bare
// Qt dialog of 42 controls (bench_bare_dialog). Needs an X
// server (xvfb-run -a). Mapping is seen through SubstructureNotify on the root.
#include "BenchStats.h"
#include "support/TestMedia.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {
using Clock = std::chrono::steady_clock;

// Milliseconds from spawning program to the first MapNotify of a window; -1 on failure.
double timeToFirstMap(xcb_connection_t* x, const std::string& program)
{
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    const auto start = Clock::now();
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0)
        return -1.0;
    double ms = -1.0;
    const auto deadline = start + std::chrono::seconds(10);
    while (Clock::now() < deadline) {
        xcb_generic_event_t* event = xcb_poll_for_event(x);
        if (!event) {
            usleep(200);
            continue;
        }
        const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
        std::free(event);
        if (mapped) {
            ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            break;
        }
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    while (xcb_generic_event_t* late = xcb_poll_for_event(x))
        std::free(late);
    return ms;
}

std::vector<double> measure(xcb_connection_t* x, const std::string& program, int runs)
{
    std::vector<double> figures;
    for (int i = 0; i < runs; ++i) {
        const double ms = timeToFirstMap(x, program);
        if (ms >= 0.0)
            figures.push_back(ms);
    }
    return figures;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// The program and the bare dialog in turn, so both see the same machine.
void compareWithBareDialog(xcb_connection_t* x, const std::string& program, int runs)
{
    std::vector<double> ours, bare;
    for (int i = 0; i < runs; ++i) {
        const double a = timeToFirstMap(x, program);
        const double b = timeToFirstMap(x, QUILLORA_BARE_DIALOG);
        if (a >= 0.0)
            ours.push_back(a);
        if (b >= 0.0)
            bare.push_back(b);
    }
    PrintStats("start-up, no settings file", ours, "ms");
    PrintStats("start-up, bare dialog of 42 controls", bare, "ms");
    if (median(bare) > 0.0)
        std::printf("%-40s %.2fx\n", "program / bare dialog, medians", median(ours) / median(bare));
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PATH/TO/quillora [runs]\n", argv[0]);
        return 2;
    }
    const std::string program = std::filesystem::absolute(argv[1]).string();
    const int runs = argc > 2 ? std::atoi(argv[2]) : 15;
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "no X server (run under xvfb-run -a)\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);

    // The settings file is the executable's path with its last 3 characters
    // replaced by "ini"; one that is there already is kept aside.
    const std::string settings = program.substr(0, program.size() - 3) + "ini";
    const std::string kept = settings + ".bench-kept";
    const bool hadSettings = std::filesystem::exists(settings);
    if (hadSettings)
        std::filesystem::rename(settings, kept);

    measure(x, program, 2);  // warm the page cache
    timeToFirstMap(x, QUILLORA_BARE_DIALOG);
    compareWithBareDialog(x, program, runs);

    const std::string media = std::filesystem::temp_directory_path() / "quillora-bench-startup.wav";
    WriteToneWav(media, 20.0);
    {
        std::ofstream out(settings, std::ios::trunc);
        out << "1.000000\n3.000000\n1.000000\n1.000000\n1.000000\n" << media;
    }
    PrintStats("start-up, settings file naming a WAV", measure(x, program, runs), "ms");

    std::filesystem::remove(settings);
    std::filesystem::remove(media);
    if (hadSettings)
        std::filesystem::rename(kept, settings);
    xcb_disconnect(x);
    return 0;
}
