#include "AccessibleTree.h"

#include "Accessibility.h"
#include "Controls.h"
#include "PictureView.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace lumetra::app {

namespace {

// The window: its children in the reading order, then the picture. Qt would list them
// in the stacking order, which puts the scroll bar before the picture and Start first.
class WindowInterface final : public QAccessibleWidget {
public:
    explicit WindowInterface(QWidget* window) : QAccessibleWidget(window, QAccessible::Window) {}

    int childCount() const override { return static_cast<int>(children().size()); }
    QAccessibleInterface* child(int index) const override
    {
        const auto list = children();
        return index >= 0 && index < list.size() ? QAccessible::queryAccessibleInterface(list[index]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child ? static_cast<int>(children().indexOf(child->object())) : -1;
    }

private:
    QList<QObject*> children() const
    {
        QList<QObject*> list;
        for (const window::ControlRow* row : window::readingOrder())
            if (row->container.empty())
                if (auto* w = widget()->findChild<QWidget*>(Controls::qs(row->name), Qt::FindDirectChildrenOnly))
                    list << w;
        if (auto* picture = widget()->findChild<QWidget*>(QStringLiteral("picture"), Qt::FindDirectChildrenOnly))
            list << picture;
        // anything else the window holds comes after, in its own order; not what the model leaves out
        for (QWidget* w : widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const window::ControlRow* row = window::controlNamed(w->objectName().toStdString());
            if (!w->isWindow() && !list.contains(w) && !(row && window::accessibleOf(*row).role == window::Role::None))
                list << w;
        }
        return list;
    }
};

QAccessibleInterface* factory(const QString& className, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return nullptr;
    if (className == QLatin1String("Lumetrafrm"))
        return new WindowInterface(widget);
    if (dynamic_cast<PictureView*>(widget))
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    return nullptr;
}

} // namespace

void installAccessibleTree()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

} // namespace lumetra::app
