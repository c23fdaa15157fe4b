// Saves a picture of the main window with a media file loaded, A and B set
// and the position between them, for the documentation:
//   xvfb-run -a build/bench/window_screenshot OUT.png [MEDIA A B POSITION]
// Without MEDIA it makes a 45-second spoken-lesson-like MP3 of its own.
#include "support/TestMedia.h"
#include "app/CRecorderDlg.h"
#include "app/QtUserPrompts.h"
#include "playback/MpvPlayerEngine.h"
#include "playback/WaveformOverview.h"
#include "playback/WaveformView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPixmap>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {
void waitMs(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}
}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    if (argc != 2 && argc != 6) {
        std::fprintf(stderr, "usage: %s OUT.png [MEDIA A B POSITION]\n", argv[0]);
        return 2;
    }
    std::string media = argc == 6 ? argv[2] : "";
    double a = argc == 6 ? std::atof(argv[3]) : 14.2;
    double b = argc == 6 ? std::atof(argv[4]) : 22.8;
    double position = argc == 6 ? std::atof(argv[5]) : 17.1;
    if (media.empty()) {
        media = (std::filesystem::temp_directory_path() / "quillora-lesson.mp3").string();
        WriteSpansMp3(media, LessonSpans(45.0));
    }

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
    waitMs(300);
    dialog.m_mediaPath = media;
    dialog.m_editMediaPath->setText(QString::fromStdString(media));
    dialog.m_player.SetMediaFile(media);
    dialog.m_segStart = dialog.m_editStart = a;
    dialog.m_segEnd = dialog.m_editEnd = b;
    dialog.DoDataExchange(false);
    dialog.EnablePlaybackControls(true);
    dialog.m_player.ShowPassage(a, b);
    dialog.m_player.SetPosition(position);
    dialog.m_player.Play();
    waitMs(1500);
    dialog.m_player.Pause();
    const WaveformOverview* overview = dialog.m_player.waveformView()->overview();
    QElapsedTimer t;
    t.start();
    while (overview && (overview->state() == WaveformOverview::State::Opening
                        || overview->state() == WaveformOverview::State::Decoding) && t.elapsed() < 20000)
        waitMs(20);
    waitMs(300);
    if (!dialog.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
