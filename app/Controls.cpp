#include "Controls.h"

#include "Accessibility.h"
#include "ScaledStyle.h"
#include "Window.h"

#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <algorithm>

namespace lumetra::app {

using window::ControlRow;
using window::Kind;

Controls::Controls(QWidget* window, ScaledStyle* style) : window_(window), style_(style)
{
    build();
    stack();
    setTabOrder();
}

QFont Controls::fontOf(const window::Face& face, double factor)
{
    QFont font(qs(face.family));
    font.setPointSizeF(face.pointSize * factor);
    // set explicitly, or a control would take its bold frame's font
    font.setBold(face.bold);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

void Controls::build()
{
    for (const auto& c : window::controls) {
        QWidget* container = c.container.empty() ? window_ : named(c.container);
        QWidget* w = nullptr;
        switch (c.kind) {
        case Kind::TextBox: {
            auto* edit = new QLineEdit(qs(c.text), container);
            edit->setFrame(!(c.flags & window::NoBorder));
            if (c.flags & window::Centred)
                edit->setAlignment(Qt::AlignCenter);
            else if (c.flags & window::RightAligned)
                edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            edit->setTextMargins(0, 0, 0, 0);
            edit->setContentsMargins(0, 0, 0, 0);
            w = edit;
            break;
        }
        case Kind::Frame:
            w = new QGroupBox(qs(c.text), container);
            break;
        case Kind::OptionButton:
            w = new QRadioButton(qs(c.text), container);
            // the tab key stops at a group once, on its selected button; arrows move within it
            w->setFocusPolicy(Qt::ClickFocus);
            break;
        case Kind::CommandButton:
            w = new QPushButton(qs(c.text), container);
            break;
        case Kind::HScrollBar: {
            auto* bar = new QScrollBar(Qt::Horizontal, container);
            bar->setRange(window::scrollMinimum, window::scrollMaximum);
            bar->setSingleStep(1);
            bar->setPageStep(1);
            bar->setValue(window::scrollMinimum);
            // a drag is one change, made when the thumb is let go
            bar->setTracking(false);
            bar->setFocusPolicy(Qt::StrongFocus);
            w = bar;
            break;
        }
        case Kind::Label:
        case Kind::Line: {
            // painted by the model on the picture; the object only carries the name
            auto* surface = new QObject(window_);
            surface->setObjectName(qs(c.name));
            continue;
        }
        }
        w->setObjectName(qs(c.name));
        w->setAccessibleName(qs(window::accessibleOf(c).name));
        if (!window::tabStop(c) && w->focusPolicy() == Qt::StrongFocus)
            w->setFocusPolicy(Qt::ClickFocus);
        w->setStyle(style_);
        if (const auto bg = window::backgroundOf(c)) {
            QPalette p = w->palette();
            for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
                p.setColor(role, QColor::fromRgb(*bg));
            w->setPalette(p);
            w->setAutoFillBackground(true);
        }
        w->setVisible(c.shown);
        built_.push_back({&c, w});
    }
}

void Controls::stack()
{
    // raise from the bottom of the stack to its top
    for (auto it = window::stackingTopDown.rbegin(); it != window::stackingTopDown.rend(); ++it)
        if (QWidget* w = named(*it))
            w->raise();
    // A frame's buttons never overlap: raised from the top down, they are read in that order.
    for (const window::ControlRow* row : window::readingOrder())
        if (row->kind == Kind::OptionButton)
            named(row->name)->raise();
}

void Controls::setTabOrder()
{
    QWidget* before = nullptr;
    for (const window::ControlRow* row : window::readingOrder()) {
        if (row->kind == Kind::Frame || !window::tabStop(*row))
            continue;
        QWidget* w = named(row->name);
        if (before)
            QWidget::setTabOrder(before, w);
        before = w;
    }
    lastTabStop_ = before;
}

QWidget* Controls::named(std::string_view name) const
{
    for (const auto& b : built_)
        if (b.row->name == name)
            return b.widget;
    return nullptr;
}

void Controls::place(const window::Window& model)
{
    const double f = model.placement().factor;
    style_->setFactor(f);
    for (const auto& [row, w] : built_) {
        const window::Rect r = model.rectOf(*row);
        w->setGeometry(r.x, r.y, r.width, r.height);
        w->setFont(fontOf(window::faceOf(*row), f));
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            // A text whose cursor does not quite fit keeps the scroll of the box's last size.
            // Painted once (aside, shown or not) with the cursor at its start, the box starts
            // from no scroll, as at its first showing.
            const int cursor = edit->cursorPosition();
            edit->home(false);
            QImage aside(1, 1, QImage::Format_RGB32);
            edit->render(&aside);
            edit->setCursorPosition(cursor);
        }
    }
}

} // namespace lumetra::app
