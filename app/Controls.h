#pragma once

#include "Layout.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <string_view>
#include <vector>

class QFont;

namespace lumetra::window {
class Window;
}

namespace lumetra::app {

class ScaledStyle;

// The window's controls as Qt widgets, built from the layout table and placed where the
// model puts them. The label and the line have no widget: the model paints them.
class Controls {
public:
    Controls(QWidget* window, ScaledStyle* style);

    // Every control at the model's placement, its font grown by the factor.
    void place(const window::Window& model);
    // The control of that name, or null.
    QWidget* named(std::string_view name) const;
    template<class T> T* named(std::string_view name) const { return qobject_cast<T*>(named(name)); }
    // The last control the tab key stops at; what follows the controls goes after it.
    QWidget* lastTabStop() const { return lastTabStop_; }

    static QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
    static QFont fontOf(const window::Face& face, double factor);

private:
    void build();
    void stack();
    void setTabOrder();

    QWidget* window_;
    ScaledStyle* style_;
    struct Built {
        const window::ControlRow* row;
        QPointer<QWidget> widget; // null once deleted
    };
    std::vector<Built> built_;
    QWidget* lastTabStop_ = nullptr;
};

} // namespace lumetra::app
