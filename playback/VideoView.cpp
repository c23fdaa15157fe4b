#include "playback/VideoView.h"

#include "playback/MpvPlayerEngine.h"
#include "playback/MpvProperties.h"

#include <QMetaObject>
#include <QPainter>
#include <mpv/client.h>
#include <mpv/render.h>

VideoView::VideoView(MpvPlayerEngine* engine, QWidget* parent) : QWidget(parent), m_engine(engine)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(16, 16);
    if (m_engine)
        m_engine->SetHandleHooks({[this](mpv_handle* h) { createContext(h); }, [this] { freeContext(); },
                                  [this] { renderIfDue(); }});
}

VideoView::~VideoView()
{
    freeContext();
    if (m_engine)
        m_engine->SetHandleHooks({});
}

// Runs while the engine creates its handle, before any file is loaded, so
// that mpv's libmpv video output finds the context when video starts.
// Without a context mpv only disables video; audio still plays.
void VideoView::createContext(mpv_handle* handle)
{
    freeContext();
    char apiType[] = MPV_RENDER_API_TYPE_SW;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, apiType},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_create(&m_context, handle, params) < 0) {
        m_context = nullptr;
        return;
    }
    mpv_render_context_set_update_callback(m_context, &VideoView::onUpdateFromMpv, this);
    m_handle = handle;
}

bool VideoView::hasVideo() const
{
    int configured = 0;
    return m_handle && mpv_get_property(m_handle, mpvprop::kVoConfigured, MPV_FORMAT_FLAG, &configured) >= 0 && configured;
}

// The context must go before the handle it was made from; freeing it also
// guarantees that no update callback is running or will run.
void VideoView::freeContext()
{
    if (!m_context)
        return;
    mpv_render_context_set_update_callback(m_context, nullptr, nullptr);
    mpv_render_context_free(m_context);
    m_context = nullptr;
    m_handle = nullptr;
}

// Runs on one of mpv's threads: it may only post.
void VideoView::onUpdateFromMpv(void* self)
{
    QMetaObject::invokeMethod(static_cast<VideoView*>(self), "onRenderUpdate", Qt::QueuedConnection);
}

void VideoView::onRenderUpdate() { renderIfDue(); }

// Renders a new frame as soon as mpv has one, also while the engine blocks
// the event loop; painting only draws it.
void VideoView::renderIfDue()
{
    if (!m_context || !(mpv_render_context_update(m_context) & MPV_RENDER_UPDATE_FRAME))
        return;
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (!hasVideo())
        m_frame = QImage();  // mpv would still hand out the last file's last frame
    else if (!pixels.isEmpty())
        renderFrame(pixels, ratio);
    update();
}

void VideoView::clear()
{
    m_frame = QImage();
    update();
}

void VideoView::renderFrame(const QSize& pixels, qreal ratio)
{
    if (m_frame.size() != pixels)
        m_frame = QImage(pixels, QImage::Format_RGBX8888);  // byte order r, g, b, x = mpv's "rgb0"
    m_frame.setDevicePixelRatio(ratio);
    int size[2] = {pixels.width(), pixels.height()};
    char format[] = "rgb0";
    size_t stride = static_cast<size_t>(m_frame.bytesPerLine());
    int blockForTargetTime = 0;  // mpv's default waits ~40 ms per frame on the GUI thread
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SW_SIZE, size},
        {MPV_RENDER_PARAM_SW_FORMAT, format},
        {MPV_RENDER_PARAM_SW_STRIDE, &stride},
        {MPV_RENDER_PARAM_SW_POINTER, m_frame.bits()},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_render(m_context, params) < 0)
        m_frame = QImage();
}

void VideoView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (!hasVideo())
        m_frame = QImage();  // the frame may be from media that has since gone
    // Resized since the last frame: mpv renders the current frame again.
    if (m_context && !m_frame.isNull() && m_frame.size() != pixels && !pixels.isEmpty())
        renderFrame(pixels, ratio);
    if (!m_frame.isNull())
        painter.drawImage(QPointF(0, 0), m_frame);
}
