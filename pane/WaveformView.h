#pragma once

#include "player/IWaveformOverview.h"
#include "player/PlayerStatus.h"
#include "pane/PositionClock.h"

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

// The pane above the control bar for media without video: the waveform of
// the whole file as its overview fills in, the A-B passage shaded with A
// and B marked, and the playback position as a line that moves at the
// display's rate between the player's reports. A click or drag seeks; the
// wheel zooms in around the position and back out to the whole file.
// The overviews come from `openOverview`, one for each file opened.
class WaveformView : public QWidget {
    Q_OBJECT
public:
    explicit WaveformView(OverviewOpener openOverview, QWidget* parent = nullptr);
    ~WaveformView() override;

    // Starts the overview of a file, dropping the last one and the zoom.
    void open(const std::string& path);
    void clear();
    void showStatus(const PlayerStatus& status);
    // The player has just been moved there.
    void jumpTo(double seconds);
    // A and B in seconds; `end` <= `start` marks A alone, both 0 nothing.
    void setPassage(double start, double end);
    void setFocusShown(bool shown);
    // Where the subtitle lines start, in seconds, in order; each is marked.
    void setLineStarts(std::vector<double> starts);
    // The learner's take of the sentence from `start`, drawn under the
    // file's waveform from there: peaks (0..1) one for each `step` seconds.
    void setTake(double start, std::vector<float> peaks, double step);
    // Where the take plays, seconds into it; negative: not playing.
    void setTakePosition(double seconds);
    bool takeShown() const { return !m_takePeaks.empty(); }
    const std::vector<double>& lineStarts() const { return m_lineStarts; }

    const IWaveformOverview* overview() const { return m_overview.get(); }
    // The stretch of the file shown, in seconds.
    double viewStart() const { return m_viewStart; }
    double viewSpan() const;
    double positionShown() { return m_clock.at(); }
    double passageStart() const { return m_passageStart; }
    double passageEnd() const { return m_passageEnd; }
    bool animating() const { return m_animation.isActive(); }

signals:
    void seekRequested(double seconds);
    // The overview has found out whether the file has video to show.
    void mediaKindKnown(bool video);
    // The overview has read the whole file: its levels are there.
    void overviewDone();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void postOverviewChange();
    void onOverviewChange();
    void animate();
    void updateAnimation();
    void repaintLine(int x);
    void drawWaveform();
    void drawPassage(QPainter& painter) const;
    void drawTake(QPainter& painter) const;
    void drawLineStarts(QPainter& painter, const QSize& pixels) const;
    double duration() const;
    double timeAt(double x) const;
    double xOf(double seconds) const;
    void keepInView(double position);
    void zoom(int steps);

    const OverviewOpener m_openOverview;
    std::unique_ptr<IWaveformOverview> m_overview;
    std::atomic<bool> m_changePosted{false};
    bool m_kindTold = false;
    bool m_doneTold = false;
    PlayerStatus m_status;
    PositionClock m_clock;
    double m_passageStart = 0.0;
    double m_passageEnd = 0.0;
    std::vector<double> m_lineStarts;
    double m_takeStart = 0.0;
    double m_takeStep = 0.01;
    std::vector<float> m_takePeaks;
    double m_takePosition = -1.0;
    double m_viewStart = 0.0;
    double m_viewSpan = 0.0;  // 0: the whole file
    bool m_dragging = false;
    double m_dragTime = 0.0;
    int m_wheelAngle = 0;
    bool m_focusShown = false;
    QTimer m_animation;
    QImage m_waveform;  // background and peaks of the shown stretch
    bool m_waveformStale = true;
    int m_lineX = -1;
};
