// Saves a picture of the main window with the drill at work, for the
// documentation:
//   bash bench/make_spoken_lesson.sh /tmp/lesson
//   xvfb-run -a build/bench/drill_screenshot OUT.png /tmp/lesson/lesson.mp3
// The lesson's second line is drilled five times, a gap of 1.5 times its
// length after each round, the first round at 0.75x; the picture is taken
// in its second round.
#include "app/CRecorderDlg.h"
#include "app/QtUserPrompts.h"
#include "mpvengine/MpvPlayerEngine.h"
#include "pane/SubtitleTrack.h"
#include "pane/WaveformView.h"
#include "practice/DrillBar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPixmap>
#include <QTemporaryDir>
#include <clocale>
#include <cstdio>
#include <filesystem>

namespace {
bool waitFor(const std::function<bool()>& done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUT.png MEDIA\n", argv[0]);
        return 2;
    }
    // The drill's choices for the picture, in a settings folder of its own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    DrillSettings chosen;
    chosen.repeats = 5;
    chosen.gap = {1.5, 0.0};
    chosen.firstSpeed = 0.75;
    std::filesystem::create_directories(config.filePath("quillora").toStdString());
    SaveDrillSettings(DrillSettingsPath(), chosen);

    QtUserPrompts prompts;
    DialogServices services = DialogServices::ForProgram(prompts);
    services.makePlayerEngine = [] {
        MpvOptions options;
        options.audioOutput = "null";
        return std::make_unique<MpvPlayerEngine>(options);
    };
    services.executablePath = (std::filesystem::temp_directory_path() / "quillora-screenshot").string();
    CRecorderDlg dialog(services);
    dialog.show();
    waitFor([] { return false; }, 300);
    const std::string media = argv[2];
    dialog.m_mediaPath = media;
    dialog.m_editMediaPath->setText(QString::fromStdString(media));
    dialog.m_player.SetMediaFile(media);
    dialog.EnablePlaybackControls(true);
    if (!waitFor([&] { return !dialog.m_player.subtitles().lines().empty(); }, 10000)) {
        std::fprintf(stderr, "%s has no lines beside it\n", argv[2]);
        return 1;
    }
    const SubtitleLine& second = dialog.m_player.subtitles().lines().lines().at(1);
    dialog.m_player.SetPosition(second.start + 0.1);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_D, Qt::NoModifier, "d");
    QApplication::sendEvent(&dialog, &press);
    const Drill& drill = static_cast<DrillBar*>(dialog.m_player.drill())->drill();
    if (!waitFor([&] { return drill.round() == 2 && drill.state() == Drill::State::Playing; }, 30000)) {
        std::fprintf(stderr, "the drill did not come to its second round\n");
        return 1;
    }
    waitFor([] { return false; }, 1200);
    const IWaveformOverview* overview = dialog.m_player.waveformView()->overview();
    waitFor([&] {
        return !overview || (overview->state() != IWaveformOverview::State::Opening
                             && overview->state() != IWaveformOverview::State::Decoding);
    }, 20000);
    if (!dialog.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
