#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>

#include <array>
#include <cstdint>
#include <vector>

namespace lumetra {

// The persistent picture a run draws into, in device pixels at the screen's pixel
// ratio, 15 twips to a device-independent pixel. It survives covering, minimising and
// resizing because the window only ever copies it to the screen.
//
// A line that repeats one drawn earlier, with nothing of another colour drawn near it
// since, cannot change a pixel; such repeats are skipped.
class Picture {
public:
    static constexpr double twipsPerPixel = 15.0;

    Picture(QSize logicalSize, qreal devicePixelRatio, QRgb background);

    // Grows the picture (never shrinks it); new areas get the background colour.
    void ensureSize(QSize logicalSize);

    void setWidth(int pixels);
    int width() const { return width_; }
    // End points in twips; colour as the screen shows it.
    void drawLine(float x1, float y1, float x2, float y2, QRgb colour);

    const QImage& image() const { return image_; }
    // For painting done outside drawLine (it forgets what it knew about repeats).
    QImage& imageForPainting();
    QRgb background() const { return background_; }

    // Logical rectangle changed since the last call, and forgets it.
    QRect takeDirty();

    std::uint64_t linesSkipped() const { return skipped_; }

private:
    struct Key {
        float x1, y1, x2, y2;
        QRgb colour;
        int width;
        bool operator==(const Key&) const = default;
    };
    struct Remembered {
        Key key{};
        std::uint64_t stamp = 0;
        std::uint64_t generation = 0;
        int cx0 = 0, cy0 = 0, cx1 = -1, cy1 = -1;
    };
    struct Cell {
        std::uint64_t changed = 0;
        QRgb colour = 0;
        bool drawn = false;
    };
    static constexpr int cellShift = 5;
    static constexpr std::size_t slotCount = 4096;

    void resetCells();
    bool isHarmlessRepeat(const Key& key, std::size_t slot) const;
    void plot(int x, int y, QRgb colour);
    void fillRow(int y, int xa, int xb, QRgb colour);
    void fillColumn(int x, int ya, int yb, QRgb colour);
    void stamp(int x, int y, QRgb colour);
    void touch(int x0, int y0, int x1, int y1, QRgb colour);
    static std::size_t hashKey(const Key& key);

    QImage image_;
    qreal dpr_;
    QRgb background_;
    int width_ = 1;
    int deviceWidth_ = 1;
    // disc of the pen: for each row of the pen, its first and last column
    std::vector<std::pair<int, int>> pen_;
    int penOrigin_ = 0;

    QRect dirty_; // device pixels
    int cellsX_ = 0, cellsY_ = 0;
    std::vector<Cell> cells_;
    std::vector<Remembered> remembered_;
    std::uint64_t clock_ = 0;
    std::uint64_t generation_ = 1;
    std::uint64_t skipped_ = 0;
};

} // namespace lumetra
