#pragma once

#include "FakePlayerEngine.h"
#include "FakeRecorderBackend.h"
#include "ScriptedPrompts.h"
#include "app/CRecorderDlg.h"

#include <QTemporaryDir>
#include <functional>
#include <memory>

// A main dialog on fakes, with its executable placed in a fresh temporary
// folder so that settings written by one test never reach another.
struct DialogHarness {
    DialogHarness() : DialogHarness(std::string()) {}
    // `exeName` names the pretended executable inside the folder.
    // Real engines may stand in for the fakes; player() and recorder then
    // do not apply.
    explicit DialogHarness(const std::string& exeName, bool initialise = true,
                           std::function<std::unique_ptr<IMediaEngine>()> makePlayer = {},
                           std::function<std::unique_ptr<IRecorderBackend>()> makeRecorder = {})
    {
        services.makePlayerEngine = makePlayer ? makePlayer : [] { return std::make_unique<FakePlayerEngine>(); };
        services.mediaReaders = MakeDefaultMediaReaders();
        auto log = recorder;
        services.makeRecorderBackend = makeRecorder ? makeRecorder
                                                    : [log] { return std::make_unique<FakeRecorderBackend>(log); };
        services.prompts = &prompts;
        services.executablePath = dir.filePath(QString::fromStdString(exeName.empty() ? "quillora" : exeName)).toStdString();
        services.quitApplication = [this](int code) { quitCodes.push_back(code); };
        dialog = std::make_unique<CRecorderDlg>(services);
        if (initialise)
            dialog->OnInitDialog();
    }

    FakePlayerEngine& player() { return static_cast<FakePlayerEngine&>(dialog->m_player.engine()); }
    std::string path(const std::string& name) const { return dir.filePath(QString::fromStdString(name)).toStdString(); }

    QTemporaryDir dir;
    ScriptedPrompts prompts;
    std::shared_ptr<FakeRecorderLog> recorder = std::make_shared<FakeRecorderLog>();
    std::vector<int> quitCodes;
    DialogServices services;
    std::unique_ptr<CRecorderDlg> dialog;
};
