#pragma once

#include <QString>

// The size of the subtitle lines in the picture, which the user steps by
// key, as a factor of the player's own size; it is kept for the next start
// in the player's own settings file (filePath), not in the dialog's.
class SubtitleSize {
public:
    static constexpr int kSmallestTenths = 5;
    static constexpr int kLargestTenths = 30;

    // Reads the size kept last time; a missing or damaged file means 1.
    SubtitleSize();

    double scale() const { return m_tenths / 10.0; }
    // A tenth larger or smaller per step, within 0.5 to 3; 0 goes back to
    // 1. Keeps the new size; says whether it changed.
    bool step(int steps);
    bool reset();

    // $XDG_CONFIG_HOME/quillora/player.conf (~/.config/quillora/player.conf).
    static QString filePath();

private:
    bool setTenths(int tenths);

    int m_tenths = 10;
};
