#include "practice/DrillSettings.h"

#include <QSettings>
#include <QStandardPaths>
#include <algorithm>

const std::vector<int>& DrillRepeatChoices()
{
    static const std::vector<int> choices{1, 2, 3, 5, 10, 0};
    return choices;
}

const std::vector<DrillGapChoice>& DrillGapChoices()
{
    static const std::vector<DrillGapChoice> choices = [] {
        std::vector<DrillGapChoice> c{
            {"none", "不停", {0.0, 0.0}},
            {"1x", "停1×", {1.0, 0.0}},
            {"1.5x", "停1.5×", {1.5, 0.0}},
            {"2x", "停2×", {2.0, 0.0}},
        };
        static const char* const keys[] = {"1s", "2s", "3s", "4s", "5s", "6s", "7s", "8s", "9s", "10s"};
        static const char* const labels[] = {"停1秒", "停2秒", "停3秒", "停4秒", "停5秒",
                                             "停6秒", "停7秒", "停8秒", "停9秒", "停10秒"};
        for (int s = 1; s <= 10; ++s)
            c.push_back({keys[s - 1], labels[s - 1], {0.0, double(s)}});
        return c;
    }();
    return choices;
}

const std::vector<double>& DrillFirstSpeedChoices()
{
    static const std::vector<double> choices{0.0, 0.5, 0.75, 0.9};
    return choices;
}

QString DrillSettingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/quillora/practice.conf";
}

DrillSettings LoadDrillSettings(const QString& path)
{
    DrillSettings s;
    const QSettings file(path, QSettings::IniFormat);
    const auto& repeats = DrillRepeatChoices();
    const int r = file.value("repeats", s.repeats).toInt();
    if (std::find(repeats.begin(), repeats.end(), r) != repeats.end())
        s.repeats = r;
    const QString gap = file.value("gap").toString();
    for (const DrillGapChoice& c : DrillGapChoices())
        if (gap == QLatin1String(c.key))
            s.gap = c.gap;
    // QSettings reads numbers with a "." whatever the locale.
    bool ok = false;
    const double first = file.value("firstSpeed").toString().toDouble(&ok);
    const auto& speeds = DrillFirstSpeedChoices();
    if (ok && std::find(speeds.begin(), speeds.end(), first) != speeds.end())
        s.firstSpeed = first;
    const auto flag = [&file](const char* key, bool& value) {
        const QString text = file.value(key).toString();
        if (text == "true" || text == "false")
            value = text == "true";
    };
    flag("goOn", s.goOn);
    flag("recordTakes", s.recordTakes);
    flag("playTake", s.playTake);
    return s;
}

bool SaveDrillSettings(const QString& path, const DrillSettings& settings)
{
    QSettings file(path, QSettings::IniFormat);
    file.setValue("repeats", settings.repeats);
    for (const DrillGapChoice& c : DrillGapChoices())
        if (c.gap == settings.gap)
            file.setValue("gap", QString::fromLatin1(c.key));
    file.setValue("firstSpeed", QString::number(settings.firstSpeed));
    file.setValue("goOn", settings.goOn ? "true" : "false");
    file.setValue("recordTakes", settings.recordTakes ? "true" : "false");
    file.setValue("playTake", settings.playTake ? "true" : "false");
    file.sync();
    return file.status() == QSettings::NoError;
}
