// Shows the player at its dialog size playing a media file, to look at by hand.
#include "pane/CMediaplayer1.h"
#include "mpvengine/MpvPlayerEngine.h"

#include <QApplication>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s MEDIA [seconds]\n", argv[0]);
        return 2;
    }
    MpvOptions options;
    options.audioOutput = "null";
    CMediaplayer1 player(std::make_unique<MpvPlayerEngine>(options), MakeDefaultMediaReaders());
    player.resize(401, 374);
    player.show();
    player.SetMediaFile(argv[1]);
    player.Play();
    QTimer::singleShot(argc > 2 ? std::atoi(argv[2]) * 1000 : 5000, &app, &QApplication::quit);
    return app.exec();
}
