#include "RunRecord.h"

#include "Convert.h"
#include "Display.h"
#include "PictureCanvas.h"

#include <algorithm>
#include <cmath>

namespace lumetra::window {

double highestOf(const std::vector<double>& p)
{
    double m = 0;
    for (double v : p)
        if (std::isfinite(v))
            m = std::max(m, v);
    return m;
}

namespace {

// Czech counts: 1 pruh, 2–4 pruhy, 0 and 5 on pruhů.
std::string counted(long long n, const char* one, const char* few, const char* many)
{
    const char* word = n == 1 ? one : (n >= 2 && n <= 4 ? few : many);
    return toText(n) + ' ' + word;
}

std::string medium(const std::string& index)
{
    // the texts the medium's options write, as the run tells them apart
    if (index == toText(1.7))
        return "sklo (index lomu " + index + ")";
    if (index == toText(1))
        return "vzduch (index lomu " + index + ")";
    return "index lomu " + index;
}

} // namespace

RunRecorder::RunRecorder(Canvas& canvas, std::function<void(std::shared_ptr<const LastRun>)> ended)
    : canvas_(canvas), ended_(std::move(ended))
{
}

void RunRecorder::cleared(sim::Clearing clearing)
{
    keptEarlier_ = clearing == sim::Clearing::Partial;
}

void RunRecorder::swept(const sim::SweepConstants& constants)
{
    running_ = std::make_shared<LastRun>(constants);
    running_->probability.reserve(static_cast<std::size_t>(constants.lastPoint) + 1);
    running_->keptEarlier = keptEarlier_;
}

void RunRecorder::point(int, double probability, int dots)
{
    running_->probability.push_back(probability);
    running_->dots += dots;
}

void RunRecorder::ended()
{
    if (!running_)
        return;
    running_->highest = highestOf(running_->probability);
    // nothing writes these during a run: they are what the run read
    running_->colour = canvas_.Text(Box::nBarva);
    running_->medium = canvas_.Text(Box::nIndex);
    running_->angle = canvas_.Text(Box::nUhel);
    running_->frequency = canvas_.Text(Box::nKmitočet);
    if (const auto hue = sim::hueOf(running_->colour))
        running_->light = PictureCanvas::toPixel(hue->bar);
    ended_(std::move(running_));
    running_.reset();
}

int LastRun::brightest() const
{
    const double top = highestOf(probability);
    const auto at = std::find(probability.begin(), probability.end(), top);
    return at == probability.end() ? 0 : static_cast<int>(at - probability.begin());
}

// A bright band is a local maximum above a tenth of the highest probability: a point, or
// a run of equal points, higher than its neighbour on each side (an end of the screen
// needs only its one neighbour). Maxima not parted by bars below that tenth are ripples
// on one band, which a student sees as one, and are counted once; lower maxima are
// ripples in the dark between bands.
int brightBands(const std::vector<double>& p)
{
    const double threshold = highestOf(p) / 10;
    int bands = 0;
    bool inBand = false; // since the last maximum counted, no bar fell below the threshold
    for (std::size_t i = 0; i < p.size();) {
        std::size_t j = i; // p[i … j] are equal
        while (j + 1 < p.size() && p[j + 1] == p[i])
            ++j;
        if (!(p[i] > threshold)) {
            inBand = false;
        } else {
            const bool risen = i == 0 || p[i - 1] < p[i];
            const bool falls = j + 1 == p.size() || p[j + 1] < p[i];
            if (risen && falls && !inBand) {
                ++bands;
                inBand = true;
            }
        }
        i = j + 1;
    }
    return bands;
}

std::string describe(const LastRun& run)
{
    std::string s = "Běh skončil. Barva " + run.colour + ", prostředí " + medium(run.medium) + ", úhel dopadu "
                    + run.angle + "°. ";
    s += "Nejvyšší pravděpodobnost je v bodě " + toText(run.brightest()) + " stínítka (0 nahoře, "
         + toText(LastRun::lastPoint) + " dole). ";
    s += "Sloupce tvoří " + counted(brightBands(run.probability), "světlý pruh", "světlé pruhy", "světlých pruhů") + ". ";
    s += "Nakresleno fotonů: " + toText(run.dots) + ". ";
    s += run.keptEarlier ? "Dřívější sloupce zůstaly (odpověď Ne)." : "Dřívější sloupce smazány.";
    return s;
}

} // namespace lumetra::window
