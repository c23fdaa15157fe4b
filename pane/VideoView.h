#pragma once

#include <QWidget>

class VideoFrames;

// Shows a player's video frames, which its renderer draws on a thread of
// its own; painting only draws the latest one. Black when there is no video.
class VideoView : public QWidget {
    Q_OBJECT
public:
    // frames must outlive the view.
    explicit VideoView(VideoFrames& frames, QWidget* parent = nullptr);

    // Drops the last frame, e.g. when other media is about to be loaded.
    void clear();
    // How many pixels at the bottom another widget covers (the control bar
    // over a full-screen picture): a new frame repaints only the rest, so
    // that the widget over it is not painted again with every frame.
    void setCoveredBottom(int pixels);
    int coveredBottom() const { return m_coveredBottom; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void askForSize();
    void showNewFrame();

    VideoFrames& m_frames;
    int m_coveredBottom = 0;
};
