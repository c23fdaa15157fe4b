#include "app/DialogServices.h"

#include "practice/SentenceFinder.h"
#include "practice/DrillBar.h"

#include <QCoreApplication>
#include <filesystem>
#include <system_error>

DialogServices DialogServices::ForProgram(IUserPrompts& prompts)
{
    DialogServices services;
    services.makePlayerEngine = [] { return MakeDefaultPlayerEngine(); };
    services.mediaReaders = MakeDefaultMediaReaders();
    services.mediaReaders.findSentences = [](const LevelTrack& track) { return FindSentences(track); };
    services.makeDrill = MakePlayerDrill;
    services.makeRecorderBackend = [] { return MakeDefaultRecorderBackend(); };
    services.prompts = &prompts;
    services.executablePath = RunningExecutablePath();
    services.quitApplication = [](int code) { QCoreApplication::exit(code); };
    return services;
}

std::string RunningExecutablePath()
{
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::string ApplicationTitle(const std::string& executablePath)
{
    const auto slash = executablePath.find_last_of('/');
    std::string name = slash == std::string::npos ? executablePath : executablePath.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}
