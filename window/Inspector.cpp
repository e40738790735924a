#include "Inspector.h"

#include "Display.h"
#include "PictureCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace lumetra::window {

std::string czechNumber(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string plain(text);
    const auto point = plain.find('.');
    std::string whole = plain.substr(0, point), fraction = point == std::string::npos ? "" : plain.substr(point + 1);
    const bool negative = !whole.empty() && whole[0] == '-';
    if (negative)
        whole.erase(0, 1);
    std::string grouped;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0)
            grouped += "\u00a0";
        grouped += whole[i];
    }
    return (negative ? "-" : "") + grouped + (fraction.empty() ? "" : "," + fraction);
}

std::optional<int> Inspector::pointAt(double x, double y)
{
    if (!(x >= areaLeft && x <= areaRight && y >= areaTop && y <= areaBottom))
        return std::nullopt;
    return pointAtHeight(y);
}

int Inspector::pointAtHeight(double y)
{
    const double d = std::round(y - areaTop);
    if (!(d > 0)) // NaN too
        return 0;
    return static_cast<int>(std::min<double>(d, lastPoint));
}

void Inspector::setRun(std::shared_ptr<const LastRun> run)
{
    run_ = std::move(run);
    if (!run_) {
        point_.reset();
        pinned_ = false;
    }
    chain_.clear();
    if (run_ && point_)
        chain_ = sim::chain(run_->constants, *point_);
}

bool Inspector::show(int d)
{
    if (!run_)
        return false;
    d = std::clamp(d, 0, std::min(lastPoint, static_cast<int>(run_->probability.size()) - 1));
    if (point_ == d)
        return false;
    point_ = d;
    chain_ = sim::chain(run_->constants, d);
    return true;
}

bool Inspector::pin()
{
    if (!point_ || pinned_)
        return false;
    pinned_ = true;
    return true;
}

bool Inspector::hide()
{
    if (!point_)
        return false;
    point_.reset();
    pinned_ = false;
    chain_.clear();
    return true;
}

bool Inspector::step(Key key)
{
    if (!run_)
        return false;
    const int from = point_.value_or(0);
    switch (key) {
    case Key::Up: return show(from - 1);
    case Key::Down: return show(from + 1);
    case Key::PageUp: return show(from - 100);
    case Key::PageDown: return show(from + 100);
    case Key::Home: return show(0);
    case Key::End: return show(lastPoint);
    }
    return false;
}

int Inspector::brightest() const
{
    return run_ ? run_->brightest() : 0;
}

double Inspector::probability() const
{
    return run_ && point_ ? run_->probability[static_cast<std::size_t>(*point_)] : 0;
}

int Inspector::percentOfHighest() const
{
    if (!run_ || !(run_->highest > 0))
        return 0;
    return static_cast<int>(std::lround(100 * probability() / run_->highest));
}

std::string Inspector::title() const
{
    return point_ ? "Šipky v bodě " + czechNumber(*point_, 0) : std::string();
}

std::string Inspector::readout() const
{
    if (!point_)
        return {};
    return "Bod " + czechNumber(*point_, 0) + ": pravděpodobnost " + czechNumber(probability(), 1) + " ("
           + czechNumber(percentOfHighest(), 0) + " % maxima)";
}

Inspector::Area Inspector::panelArea() const
{
    const int centre = static_cast<int>(areaTop) + point_.value_or(0);
    const int top = std::clamp(centre - panelHeight / 2, 0, designHeightTwips - panelHeight);
    return {panelLeft, top, panelWidth, panelHeight};
}

Inspector::Area Inspector::markArea() const
{
    const int y = static_cast<int>(areaTop) + point_.value_or(0);
    return {4800, y - 15, 400, 30};
}

int Inspector::arrowsAfter(double ms)
{
    const int arrows = sim::SweepConstants::slitPoints;
    if (!(ms < growthMilliseconds))
        return arrows;
    return std::clamp(static_cast<int>(arrows * std::max(0.0, ms) / growthMilliseconds), 0, arrows);
}

const Raster& Inspector::render(double scale, int arrows)
{
    constexpr Pixel paper = 0xFFFFFFFFu, ink = 0xFF000000u;
    if (!panel_ || panel_->scale() != scale)
        panel_ = std::make_unique<Raster>(scale, paper, panelWidth, panelHeight);
    else
        panel_->clear();
    const auto line = [this](double x1, double y1, double x2, double y2, Pixel colour, int width) {
        panel_->setWidth(width);
        panel_->rasterise({static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2),
                           static_cast<float>(y2), colour, width});
    };
    // the frame, one pixel inside the edge at any scale
    const double edge = 0.5 / scale;
    line(edge, edge, panelWidth - edge, edge, ink, 1);
    line(panelWidth - edge, edge, panelWidth - edge, panelHeight - edge, ink, 1);
    line(panelWidth - edge, panelHeight - edge, edge, panelHeight - edge, ink, 1);
    line(edge, panelHeight - edge, edge, edge, ink, 1);
    if (chain_.empty())
        return *panel_;

    // the chain scaled to fill the room between the title and the readout, centred
    constexpr double left = 200, top = titleArea.top + titleArea.height + 150;
    constexpr double width = panelWidth - 2 * left, height = readoutArea.top - 150 - top;
    double x0 = chain_[0].x, x1 = x0, y0 = chain_[0].y, y1 = y0;
    for (const auto& h : chain_) {
        x0 = std::min(x0, h.x), x1 = std::max(x1, h.x);
        y0 = std::min(y0, h.y), y1 = std::max(y1, h.y);
    }
    const double spanX = x1 - x0, spanY = y1 - y0;
    double k = std::min(spanX > 0 ? width / spanX : 1e300, spanY > 0 ? height / spanY : 1e300);
    if (!std::isfinite(k) || k > 1e6)
        k = 1;
    const double cx = left + width / 2 - (x0 + x1) / 2 * k, cy = top + height / 2 - (y0 + y1) / 2 * k;
    const auto X = [&](double x) { return cx + x * k; };
    const auto Y = [&](double y) { return cy + y * k; };

    const int shown = std::clamp(arrows, 0, static_cast<int>(chain_.size()) - 1);
    for (int i = 0; i < shown; ++i)
        line(X(chain_[i].x), Y(chain_[i].y), X(chain_[i + 1].x), Y(chain_[i + 1].y), ink, 1);
    if (shown == static_cast<int>(chain_.size()) - 1)
        line(X(chain_.front().x), Y(chain_.front().y), X(chain_.back().x), Y(chain_.back().y), run_->light, 3);
    // the tail of the first arrow
    line(X(chain_.front().x), Y(chain_.front().y), X(chain_.front().x), Y(chain_.front().y), ink, 6);
    return *panel_;
}

} // namespace lumetra::window
