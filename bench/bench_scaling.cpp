// Growth with size: a key typed into an edit field that already holds N letters (a narrow field,
// so that the text wraps into many lines), and a start and exit of the registry with N values
// (read the file, set the dozen settings the reader saves, write once). The time per size is
// printed, so the growth shows: both should grow no faster than the size.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/gdi/font_engine.h"
#include "platform/host/host_headless.h"
#include "platform/registry/registry.h"
#include "platform/user/controls.h"
#include "platform/user/user.h"

namespace {

HWND gPage = nullptr;

LRESULT PageProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProc(w, msg, wp, lp);
}

// A key at the end of a field of `letters` Hebrew letters 40 pixels wide, and Backspace after
// it, so that each iteration starts from the same text.
void BM_EditKeyAtEnd(benchmark::State& state) {
    HWND edit = CreateWindowEx(0, u"EDIT", u"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 40, 300,
                               gPage, nullptr, nullptr, nullptr);
    std::u16string text;
    for (int64_t i = 0; i < state.range(0); ++i) text.push_back(char16_t(0x05D0 + i % 27));
    SetWindowText(edit, text.c_str());
    SendMessage(edit, EM_SETSEL, WPARAM(text.size()), LPARAM(text.size()));
    for (auto _ : state) {
        SendMessage(edit, WM_CHAR, 0x05D1, 1);
        SendMessage(edit, WM_CHAR, 0x08, 1);
    }
    state.SetComplexityN(state.range(0));
    DestroyWindow(edit);
}
BENCHMARK(BM_EditKeyAtEnd)
    ->RangeMultiplier(4)
    ->Range(1000, 64000)
    ->Complexity()
    ->Unit(benchmark::kMicrosecond);

// The same in the middle of the text, where every line after the key moves.
void BM_EditKeyInTheMiddle(benchmark::State& state) {
    HWND edit = CreateWindowEx(0, u"EDIT", u"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 40, 300,
                               gPage, nullptr, nullptr, nullptr);
    std::u16string text;
    for (int64_t i = 0; i < state.range(0); ++i)
        text.push_back(i % 7 ? char16_t(0x05D0 + i % 27) : u' ');
    SetWindowText(edit, text.c_str());
    SendMessage(edit, EM_SETSEL, WPARAM(text.size() / 2), LPARAM(text.size() / 2));
    for (auto _ : state) {
        SendMessage(edit, WM_CHAR, u'x', 1);
        SendMessage(edit, WM_CHAR, 0x08, 1);
    }
    state.SetComplexityN(state.range(0));
    DestroyWindow(edit);
}
BENCHMARK(BM_EditKeyInTheMiddle)
    ->RangeMultiplier(4)
    ->Range(1000, 64000)
    ->Complexity()
    ->Unit(benchmark::kMicrosecond);

// A start and an exit of the registry with `values` values in the file.
void BM_RegistryStartAndExit(benchmark::State& state) {
    std::string file = "/tmp/orvanel-bench-registry-" + std::to_string(getpid()) + ".reg";
    {
        std::ofstream out(file);
        out << "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Velmora\\"
               "Orvanel]\n";
        for (int64_t i = 0; i < state.range(0); ++i)
            out << "\"Value" << i << "\"=dword:" << std::hex << i << std::dec << "\n";
    }
    uint32_t round = 0;
    for (auto _ : state) {
        SetRegistryFile(file);
        HKEY key = nullptr;
        RegCreateKeyEx(HKEY_CURRENT_USER, u"Software\\Velmora\\Orvanel", 0, nullptr, 0,
                       KEY_ALL_ACCESS, nullptr, &key, nullptr);
        DWORD v = 0, size = 4;
        RegQueryValueEx(key, u"VALUE7", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size);
        ++round;
        for (const char16_t* name :
             {u"Lesson", u"Flags", u"FontSize", u"FontAsciiBase", u"LastPosition", u"BottomSection",
              u"DisplayMode", u"BottomSectionLastPosition", u"Bookmarks", u"FontName",
              u"SearchString", u"Program Path", u"Value5"})
            RegSetValueEx(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&round), 4);
        RegFlushKey(key);
        RegCloseKey(key);
    }
    state.SetComplexityN(state.range(0));
    unlink(file.c_str());
    unlink((file + ".lock").c_str());
}
BENCHMARK(BM_RegistryStartAndExit)
    ->RangeMultiplier(10)
    ->Range(100, 100000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    HeadlessHost host(480, 640);
    InstallFontEngine(MakeFreeTypeEngine());
    WNDCLASS wc{};
    wc.lpfnWndProc = PageProc;
    wc.lpszClassName = u"BenchScaling";
    wc.hbrBackground = GetStockObject(WHITE_BRUSH);
    RegisterClass(&wc);
    gPage = CreateWindowEx(0, u"BenchScaling", u"", WS_VISIBLE, 0, 0, 480, 640, nullptr, nullptr,
                           nullptr, nullptr);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
