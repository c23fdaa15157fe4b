// How many threads decode a video: from mpv's track list, and set by the
// engine before real libmpv makes the decoders.
#include "mpvengine/MpvDecoderThreads.h"
#include "mpvengine/MpvHandle.h"
#include "mpvengine/MpvPlayerEngine.h"
#include "mpvengine/MpvProperties.h"

#include <QtTest>
#include <deque>
#include <string>
#include <vector>

namespace {
// Builds track-list nodes as mpv hands them out; the storage lives as long as the builder.
class TrackList {
public:
    void add(const std::string& type, long long w, long long h, bool albumArt)
    {
        Track& t = m_tracks.emplace_back();
        t.type = type;
        t.values = {MpvStringNode(t.type.c_str()), number(w), number(h), flag(albumArt)};
        t.list = {4, t.values.data(), const_cast<char**>(kKeys)};
    }
    mpv_node node()
    {
        m_nodes.clear();
        for (Track& t : m_tracks) {
            mpv_node n{};
            n.format = MPV_FORMAT_NODE_MAP;
            n.u.list = &t.list;
            m_nodes.push_back(n);
        }
        m_array = {static_cast<int>(m_nodes.size()), m_nodes.data(), nullptr};
        mpv_node array{};
        array.format = MPV_FORMAT_NODE_ARRAY;
        array.u.list = &m_array;
        return array;
    }

private:
    static constexpr const char* kKeys[] = {"type", "demux-w", "demux-h", "albumart"};
    struct Track {
        std::string type;
        std::vector<mpv_node> values;
        mpv_node_list list{};
    };
    static mpv_node number(long long v)
    {
        mpv_node n{};
        n.format = MPV_FORMAT_INT64;
        n.u.int64 = v;
        return n;
    }
    static mpv_node flag(bool on)
    {
        mpv_node n{};
        n.format = MPV_FORMAT_FLAG;
        n.u.flag = on;
        return n;
    }
    std::deque<Track> m_tracks;  // stable addresses for the lists
    std::vector<mpv_node> m_nodes;
    mpv_node_list m_array{};
};

long long decoderThreads(MpvPlayerEngine& engine)
{
    long long threads = -1;
    Mpv().get_property(engine.handle(), mpvprop::kDecoderThreads, MPV_FORMAT_INT64, &threads);
    return threads;
}
}  // namespace

class TstMpvDecoderThreads : public QObject {
    Q_OBJECT

private slots:
    void oneThreadUpTo1080pAndMpvsChoiceAbove_data()
    {
        QTest::addColumn<QString>("tracks");  // type:w:h[:art] separated by spaces
        QTest::addColumn<int>("threads");
        QTest::newRow("no tracks") << "" << 1;
        QTest::newRow("sound only") << "audio:0:0" << 1;
        QTest::newRow("720p") << "video:1280:720 audio:0:0" << 1;
        QTest::newRow("1080p") << "video:1920:1080" << 1;
        QTest::newRow("1080p as coded") << "video:1920:1088" << 1;
        QTest::newRow("1440p") << "video:2560:1440" << 0;
        QTest::newRow("720p and large cover art") << "video:1280:720 video:3000:3000:art" << 1;
        QTest::newRow("a small and a large video") << "video:640:360 video:3840:2160" << 0;
        QTest::newRow("size not known") << "video:0:0" << 0;
        QTest::newRow("absurd size") << "video:9223372036854775807:9223372036854775807" << 0;
    }

    void oneThreadUpTo1080pAndMpvsChoiceAbove()
    {
        QFETCH(QString, tracks);
        QFETCH(int, threads);
        TrackList list;
        for (const QString& t : tracks.split(' ', Qt::SkipEmptyParts)) {
            const QStringList f = t.split(':');
            list.add(f[0].toStdString(), f[1].toLongLong(), f[2].toLongLong(), f.size() > 3);
        }
        QCOMPARE(decoderthreads::ThreadsFor(decoderthreads::LargestPicture(list.node())), threads);
    }

    void theEngineSetsTheThreadsForEachFileItLoads()
    {
        MpvPlayerEngine engine(MpvOptions::NullOutputs());
        Mpv().set_property_string(engine.handle(), mpvprop::kDecoderThreads, "5");
        engine.SetMediaFile(QUILLORA_FIXTURES_DIR "/testsrc.mpg");  // 160 x 120
        QCOMPARE(decoderThreads(engine), 1LL);
        engine.SetMediaFile(QUILLORA_FIXTURES_DIR "/black-1440p.mp4");
        QCOMPARE(decoderThreads(engine), 0LL);
        engine.SetMediaFile(QUILLORA_FIXTURES_DIR "/black-1080p.mp4");
        QCOMPARE(decoderThreads(engine), 1LL);
    }
};

QTEST_GUILESS_MAIN(TstMpvDecoderThreads)
#include "tst_MpvDecoderThreads.moc"
