#include "readers/SubtitleReader.h"

#include "readers/TextEncoding.h"
#include "readers/FfmpegPointers.h"
#include "player/MediaFile.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using ffptr::ff;

namespace subtitles {
namespace {
int interrupted(void* stop) { return static_cast<const std::atomic<bool>*>(stop)->load() ? 1 : 0; }

// The whole file, in one buffer of its size: the caller has bounded it.
std::string readBytes(const std::string& path, std::uintmax_t size)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return bytes;
}

bool hasUtf16Mark(const std::string& bytes)
{
    return bytes.size() >= 2
        && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
}

// The character set FFmpeg's decoder is to convert from, or nullptr for
// none: UTF-8 needs no conversion and the demuxers convert UTF-16 themselves.
const char* sourceCharset(const std::string& path, std::uintmax_t size)
{
    const std::string bytes = readBytes(path, size);
    return hasUtf16Mark(bytes) || GuessEncoding(bytes) == TextEncoding::Utf8 ? nullptr : "GB18030";
}

std::string trimmedRows(const std::string& text)
{
    std::string out;
    std::size_t from = 0;
    while (from <= text.size()) {
        std::size_t to = text.find('\n', from);
        if (to == std::string::npos)
            to = text.size();
        std::size_t a = from, b = to;
        while (a < b && std::isspace(static_cast<unsigned char>(text[a])))
            ++a;
        while (b > a && std::isspace(static_cast<unsigned char>(text[b - 1])))
            --b;
        if (b > a)
            out.append(out.empty() ? "" : "\n").append(text, a, b - a);
        from = to + 1;
    }
    return out;
}

// A drawing runs from an override block with \p1 (or any non-zero scale) to one with \p0.
void followDrawingMode(const std::string& block, bool& drawing)
{
    for (std::size_t at = block.find("\\p"); at != std::string::npos; at = block.find("\\p", at + 2))
        if (at + 2 < block.size() && std::isdigit(static_cast<unsigned char>(block[at + 2])))
            drawing = block[at + 2] != '0';
}

struct Reader {
    ffptr::Format format;
    ffptr::Codec codec;
    ffptr::Packet packet{ff().av_packet_alloc()};
    int stream = -1;

    bool open(const std::string& path, const char* charset, const std::atomic<bool>& stop);
    void readAll(std::vector<SubtitleLine>& lines, const std::atomic<bool>& stop);
};

bool Reader::open(const std::string& path, const char* charset, const std::atomic<bool>& stop)
{
    std::error_code error;
    // Always a local file, whatever the name looks like.
    const std::string url = "file:" + fs::absolute(path, error).string();
    if (error || !packet)
        return false;
    ff().av_log_set_level(AV_LOG_ERROR);
    AVFormatContext* f = ff().avformat_alloc_context();
    if (!f)
        return false;
    f->interrupt_callback = AVIOInterruptCB{&interrupted, const_cast<std::atomic<bool>*>(&stop)};
    if (ff().avformat_open_input(&f, url.c_str(), nullptr, nullptr) < 0)
        return false;  // f is freed on failure
    format.reset(f);
    // The header names a subtitle file's one stream, and a container's
    // tracks; probing the streams would decode a video's pictures.
    const AVCodec* decoder = nullptr;
    stream = ff().av_find_best_stream(f, AVMEDIA_TYPE_SUBTITLE, -1, -1, &decoder, 0);
    if (stream < 0 || !decoder)
        return false;
    const AVCodecDescriptor* kind = ff().avcodec_descriptor_get(f->streams[stream]->codecpar->codec_id);
    if (!kind || !(kind->props & AV_CODEC_PROP_TEXT_SUB))
        return false;  // pictures of text are no lines
    for (unsigned i = 0; i < f->nb_streams; ++i)
        if (int(i) != stream)
            f->streams[i]->discard = AVDISCARD_ALL;
    codec.reset(ff().avcodec_alloc_context3(decoder));
    if (!codec || ff().avcodec_parameters_to_context(codec.get(), f->streams[stream]->codecpar) < 0)
        return false;
    codec->pkt_timebase = f->streams[stream]->time_base;
    AVDictionary* options = nullptr;
    if (charset)
        ff().av_dict_set(&options, "sub_charenc", charset, 0);
    else  // bad bytes are mended here, so a damaged cue is not dropped
        ff().av_dict_set(&options, "sub_charenc_mode", "ignore", 0);
    const int opened = ff().avcodec_open2(codec.get(), decoder, &options);
    ff().av_dict_free(&options);
    return opened >= 0;
}

void Reader::readAll(std::vector<SubtitleLine>& lines, const std::atomic<bool>& stop)
{
    const double unit = av_q2d(format->streams[stream]->time_base);
    while (!stop && lines.size() < kMaxLines && ff().av_read_frame(format.get(), packet.get()) >= 0) {
        AVSubtitle sub{};
        int got = 0;
        // A packet the decoder refuses (bytes not in the character set) is skipped.
        if (packet->stream_index == stream && packet->pts != AV_NOPTS_VALUE && packet->duration > 0
            && ff().avcodec_decode_subtitle2(codec.get(), &sub, &got, packet.get()) >= 0 && got) {
            std::string text;
            for (unsigned i = 0; i < sub.num_rects; ++i)
                if (sub.rects[i]->ass)
                    text.append(text.empty() ? "" : "\n").append(PlainTextOfEvent(sub.rects[i]->ass));
            ff().avsubtitle_free(&sub);
            text = ValidUtf8(text);
            CutAtCharacter(text, kMaxTextBytes);
            const double start = double(packet->pts) * unit;
            if (!text.empty())
                lines.push_back({start, start + double(packet->duration) * unit, std::move(text)});
        }
        ff().av_packet_unref(packet.get());
    }
}
}  // namespace

std::uintmax_t SizeOfFile(const std::string& path)
{
    std::error_code error;
    const std::uintmax_t size = mediafile::IsRegular(path) ? fs::file_size(path, error) : 0;
    return error ? 0 : size;
}

std::string FindSidecar(const std::string& mediaPath)
{
    static const char* const kExtensions[] = {".srt", ".vtt", ".ass", ".ssa", ".lrc",
                                                  ".SRT", ".VTT", ".ASS", ".SSA", ".LRC"};
    if (mediaPath.empty())
        return {};
    for (const char* extension : kExtensions) {
        const std::string candidate = fs::path(mediaPath).replace_extension(extension).string();
        if (candidate != mediaPath && mediafile::IsRegular(candidate))
            return candidate;
    }
    return {};
}

std::vector<SubtitleLine> ReadSubtitleFile(const std::string& path, const std::atomic<bool>& stop)
{
    std::vector<SubtitleLine> lines;
    const std::uintmax_t size = SizeOfFile(path);
    if (size == 0 || size > kMaxBytes || !Ffmpeg())
        return lines;
    Reader reader;
    if (reader.open(path, sourceCharset(path, size), stop))
        reader.readAll(lines, stop);
    return lines;
}

// A container's text tracks are UTF-8 by its own rules.
std::vector<SubtitleLine> ReadTrackOfMedia(const std::string& path, const std::atomic<bool>& stop)
{
    std::vector<SubtitleLine> lines;
    if (!mediafile::IsRegular(path) || !Ffmpeg())
        return lines;
    Reader reader;
    if (reader.open(path, nullptr, stop))
        reader.readAll(lines, stop);
    return lines;
}

std::string PlainTextOfEvent(const std::string& event)
{
    std::size_t at = 0;
    for (int field = 0; field < 8; ++field) {
        at = event.find(',', at);
        if (at == std::string::npos)
            return {};
        ++at;
    }
    std::string out;
    bool drawing = false;
    for (std::size_t i = at; i < event.size(); ++i) {
        const char c = event[i];
        if (c == '{') {
            const std::size_t close = event.find('}', i);
            if (close == std::string::npos)
                break;
            followDrawingMode(event.substr(i + 1, close - i - 1), drawing);
            i = close;
        } else if (drawing) {
            continue;
        } else if (c == '\\' && i + 1 < event.size() && (event[i + 1] == 'N' || event[i + 1] == 'n')) {
            out += '\n';
            ++i;
        } else if (c == '\\' && i + 1 < event.size() && event[i + 1] == 'h') {
            out += ' ';
            ++i;
        } else {
            out += c;
        }
    }
    return trimmedRows(out);
}

}  // namespace subtitles
