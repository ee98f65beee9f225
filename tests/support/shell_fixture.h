#pragma once
// A fresh reader for each test: its own registry file, a headless screen, and a cleared
// AppState, as a new process would have.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/heap.h"
#include "platform/registry/registry.h"
#include "platform/resources.h"
#include "platform/user/screen_query.h"
#include "reader/app_state.h"
#include "reader/settings.h"
#include "shell/reader_main.h"
#include "support/headless.h"
#include "support/program_run.h"

class ShellTest : public ::testing::Test {
protected:
    explicit ShellTest(Fonts fonts = Fonts::Synthetic) : screen(240, 320, fonts) {}
    void SetUp() override {
        dir = TestFolder("orvanel-shell");
        file = (dir / "registry.reg").string();
        SetRegistryFile(file);
        ResetAppState();
        ResetSettingsState();
        SetHeapFailure(0);
    }
    void TearDown() override {
        SetHeapFailure(0);
        std::filesystem::remove_all(dir);
    }
    // Writes a registry file with these lines under the settings key.
    void Store(const std::string& values, const std::string& switches = "") {
        std::string text = "Windows Registry Editor Version 5.00\n\n";
        if (!switches.empty()) text += "[HKEY_CURRENT_USER\\software\\Velmora]\n" + switches + "\n";
        text += "[HKEY_CURRENT_USER\\Software\\Velmora\\Orvanel]\n" + values;
        std::ofstream(file, std::ios::binary) << text;
        SetRegistryFile(file);
    }
    // The file with what the program has set so far (the registry writes it at exit).
    std::string Stored() {
        RegFlushKey(HKEY_CURRENT_USER);
        return ReadFile(file);
    }
    // The first run (no "FontName" stored) opens the Choose Font dialog before anything else;
    // tests about other things cancel it as a user would. True when there was one to cancel.
    bool CancelFirstRunFontDialog() {
        ModalInfo modal;
        if (!DescribeActiveModal(&modal) || modal.messageBox || modal.caption != u"Choose Font")
            return false;
        PostMessage(modal.window, WM_COMMAND, IDCANCEL, 0);
        return true;
    }
    bool Has(const std::string& line) { return Stored().find(line + "\n") != std::string::npos; }
    bool HasValue(const std::string& name) {
        return Stored().find("\"" + name + "\"=") != std::string::npos;
    }

    std::filesystem::path dir;
    std::string file;
    HeadlessScreen screen;
};
