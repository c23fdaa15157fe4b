#pragma once

#include <QImage>
#include <QWidget>

struct mpv_handle;
struct mpv_render_context;
class MpvPlayerEngine;

// Shows the engine's video through libmpv's software renderer: mpv renders
// into a QImage the size of the widget in device pixels, which paintEvent
// draws. Black when there is no video. Works without any GPU or GL context.
class VideoView : public QWidget {
    Q_OBJECT
public:
    // engine may be null (an engine without video): the view then stays black.
    explicit VideoView(MpvPlayerEngine* engine, QWidget* parent = nullptr);
    ~VideoView() override;

    // Drops the last frame, e.g. when other media is about to be loaded.
    void clear();
    bool hasRenderContext() const { return m_context != nullptr; }

    Q_INVOKABLE void onRenderUpdate();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void createContext(mpv_handle* handle);
    void freeContext();
    void renderIfDue();
    bool hasVideo() const;
    void renderFrame(const QSize& pixels, qreal ratio);
    static void onUpdateFromMpv(void* self);

    MpvPlayerEngine* m_engine;
    mpv_handle* m_handle = nullptr;  // not owned: the engine's, valid while m_context is
    mpv_render_context* m_context = nullptr;
    QImage m_frame;
};
