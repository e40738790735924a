#pragma once

#include <QProxyStyle>

namespace lumetra::app {

// The window's style with its indicators, margins and bars grown by the window's factor,
// so that a radio button's circle keeps its size beside its caption.
class ScaledStyle : public QProxyStyle {
public:
    explicit ScaledStyle(QStyle* base) : QProxyStyle(base) {}

    void setFactor(double factor) { factor_ = factor; }

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr, const QWidget* widget = nullptr) const override
    {
        const int base = QProxyStyle::pixelMetric(metric, option, widget);
        switch (metric) {
        case PM_ExclusiveIndicatorWidth:
        case PM_ExclusiveIndicatorHeight:
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
        case PM_RadioButtonLabelSpacing:
        case PM_CheckBoxLabelSpacing:
        case PM_ScrollBarExtent:
        case PM_ScrollBarSliderMin:
        case PM_ButtonMargin:
        case PM_DefaultFrameWidth:
        case PM_LayoutLeftMargin:
        case PM_LayoutTopMargin:
        case PM_LayoutRightMargin:
        case PM_LayoutBottomMargin:
            return qRound(base * factor_);
        default:
            return base;
        }
    }

private:
    double factor_ = 1.0;
};

} // namespace lumetra::app
