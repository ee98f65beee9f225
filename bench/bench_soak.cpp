// Long runs: the reader opens and closes each dialog and message box a thousand times through the
// scripted driver, and its resident memory is printed every hundred cycles, so that a leak shows
// as growth (one run a dialog; the time is that of the whole run).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kCycles = 1000;
constexpr int kEvery = 100;

struct Cycle {
    const char* name;
    const char* setup;  // script lines run once first
    const char* open;   // one cycle: opens the dialog or box and closes it again
};

const Cycle kCyclesOf[] = {
    {"Choose Section", "", "command 119\nkey Escape\n"},
    {"Choose Font", "", "command 40006\nkey Escape\n"},
    {"Search", "", "command 116\nkey Escape\n"},
    {"About", "", "command 40004\nkey Escape\n"},
    // A word the book does not have: Search Again answers with a message box.
    {"Not Found box", "command 116\ntype qqqq\nkey Enter\nkey Enter\nkey Escape\n",
     "command 117\nkey Enter\n"},
};

// The resident sizes (KiB) the run printed, in order.
std::vector<long> RunSoak(const Cycle& c) {
    std::string dir = "/tmp/orvanel-soak-" + std::to_string(getpid());
    std::string mk = "mkdir -p " + dir;
    if (std::system(mk.c_str()) != 0) return {};
    std::string script = dir + "/script.txt";
    // A stored font, so that no first-run Choose Font dialog comes up.
    std::ofstream(dir + "/registry.reg")
        << "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Velmora\\"
           "Orvanel]\n\"FontName\"=\"David CLM\"\n";
    {
        std::ofstream out(script);
        out << c.setup << "memory\n";
        for (int i = 1; i <= kCycles; ++i) {
            out << c.open;
            if (i % kEvery == 0) out << "memory\n";
        }
        out << "quit\n";
    }
    std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY " ORVANEL_BINARY
                      " --headless --registry " +
                      dir + "/registry.reg --script " + script + " 2>/dev/null </dev/null";
    std::vector<long> rss;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char line[512];
        while (std::fgets(line, sizeof line, p)) {
            long kb = 0;
            if (std::sscanf(line, "{\"rss_kb\":%ld}", &kb) == 1) rss.push_back(kb);
        }
        pclose(p);
    }
    std::string rm = "rm -rf " + dir;
    if (std::system(rm.c_str()) != 0) return rss;
    return rss;
}

void BM_Soak(benchmark::State& state) {
    const Cycle& c = kCyclesOf[state.range(0)];
    std::vector<long> rss;
    for (auto _ : state) rss = RunSoak(c);
    state.SetLabel(c.name);
    if (rss.size() < 2) {
        state.SkipWithError("the run printed no memory lines");
        return;
    }
    std::printf("%-14s RSS KiB every %d cycles:", c.name, kEvery);
    for (long kb : rss) std::printf(" %ld", kb);
    std::printf("\n");
    state.counters["rss_first_kib"] = double(rss.front());
    state.counters["rss_last_kib"] = double(rss.back());
    // Growth over the second half, when caches have filled: a leak keeps growing there.
    long half = rss[rss.size() / 2];
    state.counters["kib_per_100_late"] =
        double(rss.back() - half) / double(rss.size() - 1 - rss.size() / 2);
}
BENCHMARK(BM_Soak)
    ->DenseRange(0, int(std::size(kCyclesOf)) - 1)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
