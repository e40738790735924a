#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

namespace lumetra::window {
class Window;
}

namespace lumetra::app {

// The inspector's panel over the window, beside the bars: the model's pixels of the
// chain, with the title and the readout written over them. It takes no input: the
// pointer and the keys belong to the picture under it.
class InspectorPanel : public QWidget {
public:
    InspectorPanel(window::Window& model, QWidget* parent);

    // Follows the model: placed and drawn again, or hidden; a chain just pinned grows.
    void refresh();
    // Hidden for a moment (a grab of the picture alone), or shown again as the model says.
    void setSuppressed(bool suppressed);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void grow();

    window::Window& model_;
    QTimer growing_;
    QElapsedTimer since_;
    bool wasPinned_ = false;
    bool suppressed_ = false;
    int arrows_ = 0;
};

} // namespace lumetra::app
