#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <functional>
#include <mutex>

// The picture a player hands to its view. A renderer on its own thread
// draws into it; the view, on the GUI thread, takes the latest frame and
// says what size it wants. Without a renderer it stays empty.
class VideoFrames : public QObject {
    Q_OBJECT
public:
    // The window's own pixel format, so that a frame is copied to the
    // screen as it is rather than converted pixel by pixel (a full-screen
    // picture would pay that on every frame); kMpvFormat names the same
    // bytes for mpv's software renderer.
    static constexpr QImage::Format kFormat = QImage::Format_RGB32;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    static constexpr char kMpvFormat[] = "bgr0";
#else
    static constexpr char kMpvFormat[] = "0rgb";
#endif

    // GUI side.
    QImage Latest() const;
    void SetTargetSize(const QSize& pixels, qreal ratio);
    // Drops the current frame, e.g. when other media is about to be loaded.
    void Clear();
    void SetHasVideo(bool hasVideo);

    // Renderer side. Draw runs paint on a back frame, sized as the view
    // wants, and then makes it the latest, so a frame is never seen half
    // drawn.
    // paint returns false when it has nothing: the frame is dropped. While
    // there is no video (the media has none) Latest shows nothing, since
    // mpv would still hand out the last file's last frame.
    void Draw(const std::function<bool(QImage&)>& paint);
    // The renderer asks to be told when the size or the video state changes.
    void SetRedrawRequest(std::function<void()> request);

signals:
    // A new frame is there; emitted on the renderer's thread.
    void FrameReady();

private:
    void requestRedraw();

    mutable std::mutex m_mutex;
    QImage m_frame;
    QImage m_spare;  // the frame before, drawn into next
    QSize m_pixels;
    qreal m_ratio = 1.0;
    bool m_hasVideo = false;
    std::function<void()> m_redrawRequest;
};
