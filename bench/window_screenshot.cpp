// Saves a picture of the main window with a media file loaded, A and B set
// and the position between them, for the documentation:
//   xvfb-run -a build/bench/window_screenshot OUT.png [MEDIA A B POSITION]
// Without MEDIA it makes a 45-second spoken-lesson-like MP3 of its own with
// a subtitle file beside it, a line to every two phrases, and takes the
// line playing as the passage, as the key L does.
#include "support/TestMedia.h"
#include "app/CRecorderDlg.h"
#include "app/QtUserPrompts.h"
#include "mpvengine/MpvPlayerEngine.h"
#include "pane/SubtitleTrack.h"
#include "pane/WaveformView.h"

#include <QApplication>
#include <QKeyEvent>
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

std::string srtClock(double seconds)
{
    const int ms = static_cast<int>(seconds * 1000.0 + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d,%03d", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    return text;
}

// A line from the start of every other phrase to the end of the next one.
void writeLessonLines(const std::string& path, const std::vector<ToneSpan>& spans)
{
    static const char* const kTexts[] = {
        "Excuse me, where is the railway station?\n请问，火车站在哪里？",
        "Go straight on and turn left at the bank.\n一直往前走，到银行左转。",
        "Is it far from here?\n离这儿远吗？",
        "About ten minutes on foot.\n走路大概十分钟。",
        "Thank you very much.\n非常感谢。",
    };
    std::string srt;
    double at = 0.0;
    int line = 0;
    for (std::size_t i = 0; i + 2 < spans.size(); i += 4) {
        const double start = at;
        const double end = at + spans[i].seconds + spans[i + 1].seconds + spans[i + 2].seconds;
        at = end + spans[i + 3].seconds;
        srt += std::to_string(line + 1) + "\n" + srtClock(start) + " --> " + srtClock(end) + "\n"
            + kTexts[line % 5] + "\n\n";
        ++line;
    }
    WriteBytes(path, srt);
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
    const bool ownLesson = media.empty();
    if (ownLesson) {
        media = (std::filesystem::temp_directory_path() / "quillora-lesson.mp3").string();
        WriteSpansMp3(media, LessonSpans(45.0));
        writeLessonLines((std::filesystem::temp_directory_path() / "quillora-lesson.srt").string(), LessonSpans(45.0));
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
    if (ownLesson) {
        QElapsedTimer loading;
        loading.start();
        while (dialog.m_player.subtitles().loading() && loading.elapsed() < 10000)
            waitMs(20);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_L, Qt::NoModifier, "l");
        QApplication::sendEvent(&dialog.m_player, &press);
        // The position inside the line, which the pane then shows.
        dialog.m_player.SetPosition((dialog.m_segStart + dialog.m_segEnd) / 2.0);
        waitMs(500);
    } else {
        dialog.m_player.Play();
        waitMs(1500);
        dialog.m_player.Pause();
    }
    const IWaveformOverview* overview = dialog.m_player.waveformView()->overview();
    QElapsedTimer t;
    t.start();
    while (overview && (overview->state() == IWaveformOverview::State::Opening
                        || overview->state() == IWaveformOverview::State::Decoding) && t.elapsed() < 20000)
        waitMs(20);
    waitMs(300);
    if (!dialog.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
