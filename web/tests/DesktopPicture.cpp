// Draws the desktop's picture for the page's tests: the window's handlers on a picture
// with no window around it, drawn as the desktop's canvas draws (a PictureCanvas too). Events come as arguments, in order:
//
//   lumetra_picture SCALE OUT.ppm [opName | cmdStart | Ano | Ne | nBox=text | inspect=D] ...
//
// SCALE is device pixels per twip; Ano and Ne answer the next question. With inspect=D
// the file gets the inspector's panel of screen point D of the last run, not the picture.
#include "Errors.h"
#include "Inspector.h"
#include "Form.h"
#include "Layout.h"
#include "PaintedCanvas.h"
#include "Picture.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>

namespace {

using namespace lumetra;

class OffscreenForm final : public window::Form {
public:
    explicit OffscreenForm(double scale)
        : picture(scale, threeDLightPixel), canvas_(picture),
          recorder_(canvas_, [this](std::shared_ptr<const window::LastRun> run) { inspector.setRun(std::move(run)); })
    {
    }

    PaintedCanvas& canvas() override { return canvas_; }
protected:
    std::optional<bool> check(std::string_view option) override
    {
        const window::ControlRow* row = window::controlNamed(option);
        if (!row || row->kind != window::Kind::OptionButton)
            return std::nullopt;
        auto& selected = selection_[std::string(row->container)];
        const bool was = selected == option;
        selected = std::string(option);
        return was;
    }
    int scrollValue() override { return window::scrollMinimum; }
    void unload() override {}
    sim::RunObserver* runObserver() override { return &recorder_; }

public:
    Picture picture;
    window::Inspector inspector;

private:
    PaintedCanvas canvas_;
    window::RunRecorder recorder_;
    std::map<std::string, std::string> selection_;
};

bool writePpm(const Pixel* pixels, int width, int height, const char* path)
{
    FILE* f = std::fopen(path, "wb");
    if (!f)
        return false;
    std::fprintf(f, "P6\n%d %d\n255\n", width, height);
    for (int i = 0; i < width * height; ++i) {
        const Pixel px = pixels[i];
        const unsigned char rgb[3] = {static_cast<unsigned char>(px >> 16), static_cast<unsigned char>(px >> 8),
                                      static_cast<unsigned char>(px)};
        std::fwrite(rgb, 1, 3, f);
    }
    return std::fclose(f) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SCALE OUT.ppm [opName | cmdStart | Ano | Ne | nBox=text] ...\n", argv[0]);
        return 2;
    }
    const double scale = std::atof(argv[1]);
    OffscreenForm form(scale);
    std::optional<int> inspected;
    try {
        form.Form_Load();
        for (int i = 3; i < argc; ++i) {
            const std::string event = argv[i];
            if (event == "Ano" || event == "Ne") {
                form.canvas().answer(event == "Ano" ? vbYes : vbNo);
            } else if (event.rfind("inspect=", 0) == 0) {
                inspected = std::atoi(event.c_str() + 8);
            } else if (const auto eq = event.find('='); eq != std::string::npos) {
                bool known = false;
                for (int b = 0; b < boxCount; ++b)
                    if (boxName(static_cast<Box>(b)) == event.substr(0, eq)) {
                        form.canvas().Text(static_cast<Box>(b), event.substr(eq + 1));
                        known = true;
                    }
                if (!known)
                    throw Failure("Pole " + event.substr(0, eq) + " neexistuje.");
            } else if (event == "cmdStart") {
                form.cmdStart_Click();
            } else {
                form.select(event);
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    if (inspected) {
        if (!form.inspector.hasRun()) {
            std::fprintf(stderr, "no run to inspect\n");
            return 1;
        }
        form.inspector.show(*inspected);
        const Raster& panel = form.inspector.render(scale, sim::SweepConstants::slitPoints);
        return writePpm(panel.pixels(), panel.width(), panel.height(), argv[2]) ? 0 : 1;
    }
    return writePpm(form.picture.pixels(), form.picture.width(), form.picture.height(), argv[2]) ? 0 : 1;
}
