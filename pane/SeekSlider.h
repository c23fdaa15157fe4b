#pragma once

#include <QSlider>

// The control bar's position slider: a click puts the handle where it
// lands (and may go on as a drag), instead of stepping a page; the A-B
// passage is shaded along the groove with A and B marked.
class SeekSlider : public QSlider {
    Q_OBJECT
public:
    explicit SeekSlider(QWidget* parent = nullptr);

    // In the slider's units; `end` <= `start` shows A alone, both 0 nothing.
    void setPassage(int start, int end);
    // The value a click at x (in the slider's pixels) goes to.
    int valueAt(int x) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct Track {
        int left;
        int span;
    };
    Track track() const;
    int xOf(int value) const;

    int m_start = 0;
    int m_end = 0;
};
