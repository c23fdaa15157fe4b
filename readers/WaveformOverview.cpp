#include "readers/WaveformOverview.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "readers/FfmpegPointers.h"
#include "player/MediaFile.h"

namespace {
constexpr std::int64_t kNotifyEveryMs = 40;

using ffptr::ff;

std::int64_t nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

struct SwrFreer {
    void operator()(SwrContext* s) const { ff().swr_free(&s); }
};
}  // namespace

// Everything FFmpeg hands out for one file, freed in reverse order.
struct WaveformOverview::Decoder {
    ffptr::Format format;
    ffptr::Codec codec;
    std::unique_ptr<SwrContext, SwrFreer> resampler;
    ffptr::Packet packet{ff().av_packet_alloc()};
    ffptr::Frame frame{ff().av_frame_alloc()};
    int stream = -1;
    int rate = 0;
    std::vector<float> mono;
    // The frame layout the resampler was set up for.
    AVChannelLayout inLayout{};
    int inFormat = -1;
    int inRate = 0;
    // The resampler refused the file's sound (more channels than it takes):
    // every frame would be refused again, each with an error of FFmpeg's.
    bool unconvertible = false;

    ~Decoder() { ff().av_channel_layout_uninit(&inLayout); }

    bool open(const std::string& path, AVIOInterruptCB interrupt, bool& isVideo);
    std::int64_t expectedSamples() const;
    // Mono samples of the current frame, or nullptr.
    const float* toMono(int& count);
};

namespace {
bool hasVideoStream(const AVFormatContext* f)
{
    for (unsigned i = 0; i < f->nb_streams; ++i) {
        const AVStream* s = f->streams[i];
        // A cover picture inside an audio file is not video to show.
        if (s->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !(s->disposition & AV_DISPOSITION_ATTACHED_PIC))
            return true;
    }
    return false;
}
}  // namespace

bool WaveformOverview::Decoder::open(const std::string& path, AVIOInterruptCB interrupt, bool& isVideo)
{
    // Always a local file, never a URL or another protocol, whatever the
    // name looks like; never a pipe, whose open would block for good.
    std::error_code error;
    const std::string url = "file:" + std::filesystem::absolute(path, error).string();
    if (error || !mediafile::IsRegular(path) || !packet || !frame)
        return false;
    // The decoder's notes ("estimating duration from bitrate" and the like)
    // are no news to the user; only its errors reach the terminal.
    ff().av_log_set_level(AV_LOG_ERROR);
    AVFormatContext* f = ff().avformat_alloc_context();
    if (!f)
        return false;
    f->interrupt_callback = interrupt;
    if (ff().avformat_open_input(&f, url.c_str(), nullptr, nullptr) < 0)
        return false;  // f is freed on failure
    format.reset(f);
    // A container that names its streams in its header tells of video
    // before any probing: the stream probe would decode video frames, which
    // for a large video costs tens of megabytes for nothing.
    isVideo = hasVideoStream(f);
    if (isVideo)
        return false;
    if (ff().avformat_find_stream_info(f, nullptr) < 0)
        return false;
    isVideo = hasVideoStream(f);
    if (isVideo)
        return false;
    const AVCodec* decoder = nullptr;
    stream = ff().av_find_best_stream(f, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (stream < 0 || !decoder)
        return false;
    for (unsigned i = 0; i < f->nb_streams; ++i)
        if (int(i) != stream)
            f->streams[i]->discard = AVDISCARD_ALL;
    codec.reset(ff().avcodec_alloc_context3(decoder));
    if (!codec || ff().avcodec_parameters_to_context(codec.get(), f->streams[stream]->codecpar) < 0
        || ff().avcodec_open2(codec.get(), decoder, nullptr) < 0)
        return false;
    rate = codec->sample_rate;
    return rate > 0;
}

std::int64_t WaveformOverview::Decoder::expectedSamples() const
{
    const AVStream* s = format->streams[stream];
    double seconds = 0.0;
    if (s->duration != AV_NOPTS_VALUE && s->duration > 0)
        seconds = double(s->duration) * av_q2d(s->time_base);
    else if (format->duration != AV_NOPTS_VALUE && format->duration > 0)
        seconds = double(format->duration) / AV_TIME_BASE;
    // A damaged header can claim any length; the store adapts to the real
    // one anyway, and the conversion must stay in range.
    constexpr double kLongest = 1e7;  // seconds, about four months
    if (!(seconds > 0.0))
        return 0;
    return static_cast<std::int64_t>(std::min(seconds, kLongest) * rate);
}

const float* WaveformOverview::Decoder::toMono(int& count)
{
    AVFrame* in = frame.get();
    if (in->nb_samples <= 0 || in->sample_rate <= 0)
        return nullptr;
    if (!resampler || in->format != inFormat || in->sample_rate != inRate
        || ff().av_channel_layout_compare(&in->ch_layout, &inLayout) != 0) {
        ff().av_channel_layout_uninit(&inLayout);
        if (in->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            ff().av_channel_layout_default(&inLayout, in->ch_layout.nb_channels);
        else if (ff().av_channel_layout_copy(&inLayout, &in->ch_layout) < 0)
            return nullptr;
        inFormat = in->format;
        inRate = in->sample_rate;
        AVChannelLayout monoLayout = AV_CHANNEL_LAYOUT_MONO;
        SwrContext* s = nullptr;
        resampler.reset();
        if (ff().swr_alloc_set_opts2(&s, &monoLayout, AV_SAMPLE_FMT_FLT, rate, &inLayout,
                                static_cast<AVSampleFormat>(inFormat), inRate, 0, nullptr) < 0) {
            unconvertible = true;
            return nullptr;
        }
        resampler.reset(s);
        if (ff().swr_init(s) < 0) {
            resampler.reset();
            unconvertible = true;
            return nullptr;
        }
        if (in->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            ff().av_channel_layout_copy(&inLayout, &in->ch_layout);  // compare against what frames carry
    }
    const int room = ff().swr_get_out_samples(resampler.get(), in->nb_samples);
    if (room <= 0)
        return nullptr;
    mono.resize(static_cast<std::size_t>(room));
    auto* out = reinterpret_cast<std::uint8_t*>(mono.data());
    count = ff().swr_convert(resampler.get(), &out, room, const_cast<const std::uint8_t**>(in->extended_data),
                        in->nb_samples);
    return count > 0 ? mono.data() : nullptr;
}

WaveformOverview::WaveformOverview(std::string path, std::function<void()> changed)
    : m_path(std::move(path)), m_changed(std::move(changed)), m_thread([this] { run(); })
{
}

WaveformOverview::~WaveformOverview()
{
    m_stop = true;
    m_thread.join();
}

int WaveformOverview::interrupted(void* self) { return static_cast<WaveformOverview*>(self)->m_stop.load() ? 1 : 0; }

void WaveformOverview::setState(State state)
{
    m_state = state;
    notifyNow();
}

void WaveformOverview::notifyNow()
{
    m_lastNotifyMs = nowMs();
    if (m_changed)
        m_changed();
}

void WaveformOverview::notifyThrottled()
{
    if (nowMs() - m_lastNotifyMs >= kNotifyEveryMs)
        notifyNow();
}

void WaveformOverview::run()
{
    if (!Ffmpeg()) {
        setState(State::Failed);
        return;
    }
    Decoder d;
    bool isVideo = false;
    if (!d.open(m_path, AVIOInterruptCB{&WaveformOverview::interrupted, this}, isVideo)) {
        setState(isVideo ? State::Video : State::Failed);
        return;
    }
    {
        const std::lock_guard lock(m_mutex);
        m_store.emplace(d.rate, d.expectedSamples());
        m_meter.emplace(d.rate);
    }
    setState(State::Decoding);
    bool any = false;
    auto take = [&] {
        while (!m_stop && !d.unconvertible && ff().avcodec_receive_frame(d.codec.get(), d.frame.get()) >= 0) {
            int count = 0;
            if (const float* samples = d.toMono(count)) {
                const std::lock_guard lock(m_mutex);
                m_store->add(samples, static_cast<std::size_t>(count));
                m_meter->add(samples, static_cast<std::size_t>(count));
                any = true;
            }
            ff().av_frame_unref(d.frame.get());
            notifyThrottled();
        }
    };
    while (!m_stop && !d.unconvertible) {
        // An error other than the end is a damaged or cut file: what came so far stays.
        if (ff().av_read_frame(d.format.get(), d.packet.get()) < 0)
            break;
        if (d.packet->stream_index == d.stream)
            ff().avcodec_send_packet(d.codec.get(), d.packet.get());  // a bad packet is skipped
        ff().av_packet_unref(d.packet.get());
        take();
    }
    if (m_stop)
        return;
    if (d.unconvertible) {
        setState(State::Failed);
        return;
    }
    ff().avcodec_send_packet(d.codec.get(), nullptr);
    take();
    {
        const std::lock_guard lock(m_mutex);
        m_store->finish();
        m_meter->finish();
    }
    setState(any ? State::Done : State::Failed);
}

std::vector<Peak> WaveformOverview::columns(double from, double to, int count) const
{
    const std::lock_guard lock(m_mutex);
    if (!m_store)
        return std::vector<Peak>(static_cast<std::size_t>(std::max(0, count)), Peak::None());
    return m_store->columns(from, to, count);
}

double WaveformOverview::decodedSeconds() const
{
    const std::lock_guard lock(m_mutex);
    return m_store ? m_store->coveredSeconds() : 0.0;
}

float WaveformOverview::loudest() const
{
    const std::lock_guard lock(m_mutex);
    return m_store ? m_store->loudest() : 0.0f;
}

LevelTrack WaveformOverview::levels() const
{
    if (state() != State::Done)
        return {};
    const std::lock_guard lock(m_mutex);
    return m_meter ? m_meter->track() : LevelTrack{};
}

std::size_t WaveformOverview::bytesReserved() const
{
    const std::lock_guard lock(m_mutex);
    return m_store ? m_store->bytesReserved() : 0;
}
