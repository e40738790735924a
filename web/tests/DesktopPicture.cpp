// Draws the desktop's picture for the page's tests: the window's handlers on a picture
// with no window around it, drawn as the desktop's canvas draws (a PictureCanvas too). Events come as arguments, in order:
//
//   lumetra_picture SCALE OUT.ppm [opName | cmdStart | Ano | Ne | nBox=text] ...
//
// SCALE is device pixels per twip; Ano and Ne answer the next question.
#include "Errors.h"
#include "Form.h"
#include "Layout.h"
#include "PaintedCanvas.h"
#include "Picture.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace {

using namespace lumetra;

class OffscreenForm final : public window::Form {
public:
    explicit OffscreenForm(double scale) : picture(scale, threeDLightPixel), canvas_(picture) {}

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

public:
    Picture picture;

private:
    PaintedCanvas canvas_;
    std::map<std::string, std::string> selection_;
};

bool writePpm(const Picture& p, const char* path)
{
    FILE* f = std::fopen(path, "wb");
    if (!f)
        return false;
    std::fprintf(f, "P6\n%d %d\n255\n", p.width(), p.height());
    for (int i = 0; i < p.width() * p.height(); ++i) {
        const Pixel px = p.pixels()[i];
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
    OffscreenForm form(std::atof(argv[1]));
    try {
        form.Form_Load();
        for (int i = 3; i < argc; ++i) {
            const std::string event = argv[i];
            if (event == "Ano" || event == "Ne") {
                form.canvas().answer(event == "Ano" ? vbYes : vbNo);
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
    return writePpm(form.picture, argv[2]) ? 0 : 1;
}
