// Where mpv draws the subtitle lines: clear of a bar over the bottom of the
// frame whatever the picture's shape, at the size asked for.
#include "support/TestMedia.h"
#include "mpvengine/MpvPlayerEngine.h"
#include "mpvengine/MpvSubtitleLayout.h"
#include "player/VideoFrames.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString kBlackVideo = QUILLORA_FIXTURES_DIR "/black-1080p.mp4";

// The rows of a frame with text on them: the picture is black, mpv draws
// the lines white. -1: none.
struct TextRows {
    int top = -1;
    int bottom = -1;
    int height() const { return bottom - top + 1; }
};

TextRows textRows(const QImage& frame)
{
    TextRows rows;
    for (int y = 0; y < frame.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
        for (int x = 0; x < frame.width(); ++x)
            if (qRed(line[x]) > 200 && qGreen(line[x]) > 200 && qBlue(line[x]) > 200) {
                rows.top = rows.top < 0 ? y : rows.top;
                rows.bottom = y;
                break;
            }
    }
    return rows;
}
}  // namespace

class TstMpvSubtitleLayout : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::string m_video;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_video = m_dir.filePath("lesson.mp4").toStdString();
        QVERIFY(QFile::copy(kBlackVideo, QString::fromStdString(m_video)));
        WriteBytes(m_dir.filePath("lesson.srt").toStdString(),
                   "1\n00:00:00,000 --> 00:01:00,000\nthe first line\nthe second line\nthe third line\n\n");
    }

    void marginKeepsClearOfTheBar_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("clear");
        QTest::addColumn<double>("aspect");
        QTest::addColumn<int>("margin");
        QTest::newRow("nothing covered") << 1920 << 1080 << 0 << 16.0 / 9 << 22;
        QTest::newRow("16:9 filling the screen") << 1920 << 1080 << 60 << 16.0 / 9 << 22 + 40;
        QTest::newRow("4:3, bands at the sides") << 1920 << 1080 << 60 << 4.0 / 3 << 22 + 40;
        // 817 rows of picture: the units are smaller than on the screen.
        QTest::newRow("2.35:1, bands above and below") << 1920 << 1080 << 60 << 2.35 << 22 + 53;
        QTest::newRow("aspect not known yet") << 1920 << 1080 << 60 << 0.0 << 22 + 40;
        QTest::newRow("more than mpv takes") << 1920 << 200 << 190 << 16.0 / 9 << 600;
        QTest::newRow("no frame yet") << 0 << 0 << 60 << 16.0 / 9 << 22;
    }

    void marginKeepsClearOfTheBar()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, clear);
        QFETCH(double, aspect);
        QFETCH(int, margin);
        QCOMPARE(MpvSubtitleLayout::MarginFor({width, height, clear, 1.0}, aspect), margin);
    }

    // In frames as mpv draws them: mpv's own place is behind the bar; once
    // told, the lines are above it, also when the picture has bands above
    // and below, and grow when asked to.
    void linesInTheFrameStayAboveTheBar_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::newRow("picture fills the frame") << QSize(1280, 720);
        QTest::newRow("bands above and below") << QSize(1024, 768);
    }

    void linesInTheFrameStayAboveTheBar()
    {
        QFETCH(QSize, frame);
        const int clear = 120;
        MpvOptions options = MpvOptions::NullOutputs();
        options.videoOutput = "libmpv";
        MpvPlayerEngine engine(options);
        engine.Video().SetTargetSize(frame, 1.0);
        engine.SetMediaFile(m_video);
        QTRY_VERIFY(textRows(engine.Video().Latest()).bottom >= 0);
        const TextRows own = textRows(engine.Video().Latest());
        QVERIFY2(own.bottom >= frame.height() - clear, qPrintable(QString::number(own.bottom)));

        engine.SetSubtitleLayout({frame.width(), frame.height(), clear, 1.0});
        QTRY_VERIFY(textRows(engine.Video().Latest()).bottom >= 0
                    && textRows(engine.Video().Latest()).bottom < frame.height() - clear);
        const TextRows placed = textRows(engine.Video().Latest());
        QVERIFY2(placed.bottom > frame.height() - clear - 40, qPrintable(QString::number(placed.bottom)));
        QVERIFY(std::abs(placed.height() - own.height()) <= 2);

        engine.SetSubtitleLayout({frame.width(), frame.height(), clear, 1.5});
        QTRY_VERIFY(textRows(engine.Video().Latest()).height() > placed.height() * 13 / 10);
        QVERIFY(textRows(engine.Video().Latest()).bottom < frame.height() - clear);
    }
};

QTEST_MAIN(TstMpvSubtitleLayout)
#include "tst_MpvSubtitleLayout.moc"
