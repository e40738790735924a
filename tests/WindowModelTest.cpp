// The window model with no toolkit: the factor rule, the handlers on the recording
// canvas, and the boundary that keeps the window going after a failed handler.
#include "Errors.h"
#include "Inspector.h"
#include "RunHelpers.h"
#include "Form.h"
#include "Layout.h"
#include "RecordingCanvas.h"
#include "Window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <map>
#include <random>
#include <vector>

using namespace lumetra;
using lumetra::window::Form;

namespace {

// The handlers over a recording canvas; option buttons are a name per frame.
class RecordedForm final : public Form {
public:
    RecordingCanvas recorded;
    std::map<std::string, std::string, std::less<>> selected; // frame → option

    RecordingCanvas& canvas() override { return recorded; }
    std::optional<bool> check(std::string_view option) override
    {
        const auto* row = window::controlNamed(option);
        if (!row || row->kind != window::Kind::OptionButton)
            return std::nullopt;
        std::string& in = selected[std::string(row->container)];
        const bool was = in == option;
        in = std::string(option);
        return was;
    }
    int scrollValue() override { return 20000; }
    void unload() override { unloaded = true; }
    bool unloaded = false;
};

std::vector<std::pair<Box, std::string>> writes(const RecordingCanvas& c)
{
    std::vector<std::pair<Box, std::string>> out;
    for (const auto& call : c.calls())
        if (call.op == RecordingCanvas::Op::TextLet)
            out.emplace_back(call.box, call.text);
    return out;
}

// A shell of plain maps; one box can be made to refuse its text.
class MapShell final : public window::Shell {
public:
    std::map<std::string, std::string, std::less<>> texts;
    std::map<std::string, std::string, std::less<>> selected;
    std::vector<std::string> reports;
    std::string refusing;
    int announced = 0;
    std::vector<std::string> told; // what runs showed, in words
    int answer = vbYes;

    MapShell()
    {
        for (const auto& c : window::controls)
            if (c.kind == window::Kind::TextBox)
                texts[std::string(c.name)] = std::string(c.text);
    }
    std::optional<std::string> text(std::string_view box) override
    {
        const auto it = texts.find(box);
        return it == texts.end() ? std::nullopt : std::optional(it->second);
    }
    bool setText(std::string_view box, const std::string& text) override
    {
        if (box == refusing || !texts.count(box))
            return false;
        texts.find(box)->second = text;
        return true;
    }
    bool setVisible(std::string_view, bool) override { return true; }
    std::optional<bool> check(std::string_view option) override
    {
        const auto* row = window::controlNamed(option);
        std::string& in = selected[std::string(row->container)];
        const bool was = in == option;
        in = std::string(option);
        return was;
    }
    int scrollValue() override { return 1; }
    void unload() override {}
    int ask(const std::string&) override { return answer; }
    void report(const std::string& message) override { reports.push_back(message); }
    void placeControls() override {}
    void showPicture(const PixelRect&) override { ++shown; }
    void showInspector(bool announce) override { announced += announce; }
    void announce(const std::string& words) override { told.push_back(words); }
    void breathe() override { ++breaths; }
    int shown = 0, breaths = 0;
    void paintText(Picture&, const window::Rect&, Pixel, std::string_view, const window::Face&, double) override {}
};

} // namespace

TEST(Placement, LargestFactorThatFitsCentredNeverBelowHalf)
{
    struct Case {
        double w, h, factor;
        int left, top;
    };
    const Case cases[] = {
        {867, 600, 1.0, 0, 0},          // the design area at factor 1
        {1920, 1061, 1061 / 600.0, 193, 0}, // a maximized full-HD window: the height decides
        {1100, 800, 1100 / (13000 / 15.0), 0, 19}, // the width decides
        {669, 569, 669 / (13000 / 15.0), 0, 52},   // the size the window was designed for
        {300, 200, 0.5, 0, 0},          // the floor: the window cuts the design area off
        {2000, 250, 0.5, 783, 0},
        {0, 0, 0.5, 0, 0},
    };
    for (const Case& c : cases) {
        const Placement p = placeDesign(c.w, c.h);
        EXPECT_DOUBLE_EQ(p.factor, c.factor) << c.w << 'x' << c.h;
        EXPECT_EQ(p.left, c.left) << c.w << 'x' << c.h;
        EXPECT_EQ(p.top, c.top) << c.w << 'x' << c.h;
    }
}

TEST(Handlers, StartUpWritesTheDefaultsAndSelectsFourOptions)
{
    RecordedForm form;
    form.Form_Load();
    using enum Box;
    const std::vector<std::pair<Box, std::string>> expected{
        {nUhel, "45"}, {nIndex, "1.7"}, {nKmitočet, "0.75"}, {nMaže, "0"}, {nBarva, "Zelená"},
        {nUhel, "45"},                                     // opUhel45
        {nIndex, "1.7"}, {nKlepnuto, "1"},                 // opSklo
        {nKmitočet, "0.75"}, {nBarva, "Zelená"},           // opZelená
        {nKlepnuto, "0"},
        {nSpomalení, "1"},                                 // opRychlá
        {nSpomalení, "1"},
    };
    EXPECT_EQ(writes(form.recorded), expected);
    EXPECT_TRUE(form.recorded.isShown(nSklo));
    EXPECT_FALSE(form.recorded.isShown(nVzduchSklo));
    const std::map<std::string, std::string, std::less<>> selected{
        {"frmAnimace", "opRychlá"}, {"frmIndex", "opSklo"}, {"frmKmitočet", "opZelená"}, {"frmUhel", "opUhel45"}};
    EXPECT_EQ(form.selected, selected);
}

TEST(Handlers, EachOptionWritesItsSettingsOnlyWhenItBecomesSelected)
{
    using enum Box;
    const std::map<std::string, std::vector<std::pair<Box, std::string>>> expected{
        {"opUhel90", {{nUhel, "90"}}},
        {"opVzduch", {{nIndex, "1"}, {nKlepnuto, "1"}}},
        {"opČervená", {{nKmitočet, "0.5"}, {nBarva, "Červená"}}},
        {"opModrá", {{nKmitočet, "1"}, {nBarva, "Modrá"}}},
        {"opPomalejší", {{nSpomalení, "10000"}}},
        {"opPomalá", {{nSpomalení, "20000"}}},
    };
    for (const auto& [option, wanted] : expected) {
        RecordedForm form;
        form.Form_Load();
        form.recorded.clearCalls();
        form.select(option);
        EXPECT_EQ(writes(form.recorded), wanted) << option;
        form.recorded.clearCalls();
        form.select(option); // already selected: nothing runs
        EXPECT_TRUE(writes(form.recorded).empty()) << option;
    }
    RecordedForm form;
    form.HScroll1_Change();
    EXPECT_EQ(writes(form.recorded), (std::vector<std::pair<Box, std::string>>{{Box::nSpomalení, "20000"}}));
    form.cmdKonec_Click();
    EXPECT_TRUE(form.unloaded);
    EXPECT_THROW(form.select("opŽádná"), Failure);
}

TEST(Boundary, AFailedHandlerIsReportedKeepsItsWritesAndTheWindowGoesOn)
{
    MapShell shell;
    window::Window model(shell, 867, 600, 1);
    model.canvas().setLive(false);
    model.open();
    ASSERT_TRUE(shell.reports.empty());

    shell.refusing = "nBarva";
    EXPECT_TRUE(model.handle("opČervená"));
    ASSERT_EQ(shell.reports.size(), 1u);
    EXPECT_NE(shell.reports[0].find("nBarva"), std::string::npos) << shell.reports[0];
    EXPECT_EQ(shell.texts["nKmitočet"], "0.5"); // written before the failure, and kept
    EXPECT_EQ(shell.texts["nBarva"], "Zelená");
    EXPECT_FALSE(model.running());

    shell.refusing.clear();
    shell.texts["nKmitočet"] = "abc"; // typed between two handlers
    model.handle("cmdStart");
    ASSERT_EQ(shell.reports.size(), 2u);
    EXPECT_NE(shell.reports[1].find("„abc“"), std::string::npos) << shell.reports[1];

    shell.texts["nKmitočet"] = "0.75";
    model.handle("cmdStart");
    EXPECT_EQ(shell.reports.size(), 2u);
    EXPECT_EQ(shell.texts["nMaže"], "1");
    EXPECT_FALSE(model.handle("nPlonk")); // no handler
}

namespace {

// A window at factor 1 with a run of these settings ended well.
struct RunWindow {
    MapShell shell;
    window::Window model{shell, 867, 600, 1};
    explicit RunWindow(std::initializer_list<const char*> options = {})
    {
        model.canvas().setLive(false);
        model.open();
        for (const char* option : options)
            model.handle(option);
        model.handle("cmdStart");
    }
    // a place of the client area over the design area's twips
    void move(double xTwips, double yTwips) { model.pointerMoved(xTwips / 15, yTwips / 15); }
};

} // namespace

TEST(Inspector, PointingPicksTheScreenPointRoundedAndClamped)
{
    using window::Inspector;
    EXPECT_EQ(Inspector::pointAt(5000, 1000), 0);
    EXPECT_EQ(Inspector::pointAt(6600, 8000), 7000);
    EXPECT_EQ(Inspector::pointAt(5800, 4500.4), 3500);
    EXPECT_EQ(Inspector::pointAt(5800, 4500.5), 3501);
    for (const auto& [x, y] : std::vector<std::pair<double, double>>{
             {4999.9, 3000}, {6600.1, 3000}, {5500, 999.9}, {5500, 8000.1}, {NAN, 3000}, {5500, NAN}})
        EXPECT_FALSE(Inspector::pointAt(x, y)) << x << ',' << y;
    // a drag along the screen keeps to its ends
    EXPECT_EQ(Inspector::pointAtHeight(-50), 0);
    EXPECT_EQ(Inspector::pointAtHeight(9000), 7000);
    EXPECT_EQ(Inspector::pointAtHeight(NAN), 0);

    RunWindow w;
    w.move(5500, 2000);
    EXPECT_EQ(w.model.inspector().point(), 1000);
    w.move(5500, 500); // off the screen: the panel goes
    EXPECT_FALSE(w.model.inspector().point());
    w.model.touchMoved(5500 / 15.0, 3000 / 15.0, true);
    w.model.touchMoved(5500 / 15.0, 9500 / 15.0, false); // dragged past the end
    w.model.touchReleased();
    EXPECT_EQ(w.model.inspector().point(), 7000);
    EXPECT_TRUE(w.model.inspector().pinned());
    w.move(5500, 2000); // pinned: hovering leaves it
    EXPECT_EQ(w.model.inspector().point(), 7000);
    w.model.pointerClicked(1000 / 15.0, 1000 / 15.0); // a click elsewhere lets it go
    EXPECT_FALSE(w.model.inspector().point());
}

TEST(Inspector, NothingToInspectBeforeARunOrAfterOneThatFailed)
{
    MapShell shell;
    window::Window model(shell, 867, 600, 1);
    model.canvas().setLive(false);
    model.open();
    model.pointerMoved(5500 / 15.0, 3000 / 15.0);
    model.pictureFocused();
    EXPECT_FALSE(model.inspectorKey(window::Inspector::Key::Down));
    EXPECT_FALSE(model.inspector().point());
    EXPECT_EQ(shell.announced, 0);

    model.handle("cmdStart");
    model.pointerClicked(5500 / 15.0, 3000 / 15.0);
    ASSERT_EQ(model.inspector().point(), 2000);
    shell.texts["nUhel"] = "x"; // the next run fails after it has begun to draw
    model.handle("cmdStart");
    ASSERT_EQ(shell.reports.size(), 1u);
    EXPECT_FALSE(model.inspector().hasRun());
    EXPECT_FALSE(model.inspector().point());
    model.pointerMoved(5500 / 15.0, 3000 / 15.0);
    EXPECT_FALSE(model.inspector().point());
}

TEST(Inspector, ReadoutIsTheRunsOwnProbabilityAtAnyPointOfTwelveSettings)
{
    EXPECT_EQ(window::czechNumber(1234567.891, 1), "1\u00a0234\u00a0567,9");
    EXPECT_EQ(window::czechNumber(999, 0), "999");
    EXPECT_EQ(window::czechNumber(0, 1), "0,0");

    std::mt19937 random(16);
    for (const char* colour : {"opČervená", "opZelená", "opModrá"})
        for (const char* medium : {"opSklo", "opVzduch"})
            for (const char* angle : {"opUhel45", "opUhel90"}) {
                RunWindow w{colour, medium, angle};
                auto& inspector = w.model.inspector();
                ASSERT_TRUE(inspector.hasRun()) << colour << medium << angle;
                const auto& c = inspector.run()->constants;
                double highest = 0;
                for (int d = 0; d <= 7000; ++d)
                    highest = std::max(highest, sim::sweepPoint(c, d, nullptr));
                for (int i = 0; i < 8; ++i) {
                    const int d = std::uniform_int_distribution<int>(0, 7000)(random);
                    ASSERT_TRUE(inspector.show(d) || inspector.point() == d);
                    const double direct = sim::sweepPoint(c, d, nullptr);
                    EXPECT_NEAR(inspector.probability(), direct, 1e-9 * std::max(1.0, direct)) << d;
                    const int percent = static_cast<int>(std::lround(100 * direct / highest));
                    EXPECT_EQ(inspector.readout(), "Bod " + window::czechNumber(d, 0) + ": pravděpodobnost "
                                                       + window::czechNumber(direct, 1) + " (" + std::to_string(percent)
                                                       + " % maxima)")
                        << colour << medium << angle;
                    EXPECT_EQ(inspector.title(), "Šipky v bodě " + window::czechNumber(d, 0));
                }
            }
}

TEST(Inspector, TheChainOfADrawnPointIsThePicturesChain)
{
    RecordingCanvas canvas = test::startedUp();
    std::shared_ptr<const window::LastRun> run;
    window::RunRecorder recorder(canvas, [&](auto r) { run = std::move(r); });
    sim::startRun(canvas, &recorder);
    ASSERT_TRUE(run);
    // the arrows are the only short lines right of the photon strip (the chains' axis is
    // long), 501 a chain, top chain first
    std::vector<test::Call> arrows;
    for (const auto& line : test::linesOf(canvas))
        if (line.x1 >= 9000 && std::hypot(line.x2 - line.x1, line.y2 - line.y1) < 100)
            arrows.push_back(line);
    ASSERT_EQ(arrows.size(), 36u * 501u);
    for (int k = 0; k < 36; ++k) {
        const auto heads = sim::chain(run->constants, 200 * k);
        ASSERT_EQ(heads.size(), 502u);
        for (std::size_t i = 0; i < 501; ++i) {
            const auto& a = arrows[static_cast<std::size_t>(k) * 501 + i];
            ASSERT_TRUE(test::isLine(a, static_cast<float>(heads[i].x), static_cast<float>(heads[i].y),
                                     static_cast<float>(heads[i + 1].x), static_cast<float>(heads[i + 1].y)))
                << "point " << 200 * k << ", arrow " << i;
        }
    }
}

TEST(Inspector, KeysStepThePointAndEveryChangeIsAnnounced)
{
    using Key = window::Inspector::Key;
    RunWindow w;
    auto& inspector = w.model.inspector();
    w.model.pictureFocused(); // the brightest point first
    EXPECT_EQ(inspector.point(), inspector.brightest());
    EXPECT_EQ(inspector.percentOfHighest(), 100);
    EXPECT_EQ(w.shell.announced, 1);
    const std::vector<std::pair<Key, int>> steps{{Key::Home, 0},       {Key::Up, 0},       {Key::Down, 1},
                                                 {Key::PageDown, 101}, {Key::PageUp, 1},  {Key::End, 7000},
                                                 {Key::Down, 7000},    {Key::PageUp, 6900}};
    int announced = 1;
    for (const auto& [key, to] : steps) {
        const bool moves = inspector.point() != to;
        EXPECT_TRUE(w.model.inspectorKey(key));
        EXPECT_EQ(inspector.point(), to);
        announced += moves;
        EXPECT_EQ(w.shell.announced, announced) << to; // at the ends a key says nothing again
    }
    EXPECT_TRUE(w.model.pinInspector());
    EXPECT_TRUE(inspector.pinned());
    w.model.pointerLeft();
    EXPECT_EQ(inspector.point(), 6900);
    EXPECT_TRUE(w.model.hideInspector());
    EXPECT_FALSE(inspector.point());
}

TEST(RunRecord, ARunThatEndedWellIsRecordedAsItRanAndTold)
{
    MapShell shell;
    window::Window model(shell, 867, 600, 1);
    model.canvas().setLive(false);
    model.open();
    EXPECT_EQ(model.lastRun(), nullptr);
    EXPECT_EQ(model.pictureDescription(), "Klepněte na tlačítko Start");

    model.handle("cmdStart");
    const window::LastRun* run = model.lastRun();
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run->colour, "Zelená");
    EXPECT_EQ(run->medium, "1.7");
    EXPECT_EQ(run->angle, "45");
    EXPECT_EQ(run->frequency, "0.75");
    ASSERT_EQ(run->probability.size(), 7001u);
    EXPECT_GT(run->dots, 1000);
    EXPECT_FALSE(run->keptEarlier);
    EXPECT_GE(window::brightBands(run->probability), 1);
    ASSERT_EQ(shell.told.size(), 1u);
    EXPECT_EQ(shell.told[0], model.pictureDescription());
    const std::vector<double> green = run->probability;

    // "Ne" keeps the earlier bars, unless the medium changed since
    model.handle("opČervená");
    shell.answer = vbNo;
    model.handle("cmdStart");
    EXPECT_EQ(model.lastRun()->colour, "Červená");
    EXPECT_TRUE(model.lastRun()->keptEarlier);
    EXPECT_NE(model.lastRun()->probability, green);
    model.handle("opVzduch");
    model.handle("cmdStart");
    EXPECT_EQ(model.lastRun()->medium, "1");
    EXPECT_FALSE(model.lastRun()->keptEarlier);
    EXPECT_EQ(shell.told.size(), 3u);

    // a run that fails leaves nothing to tell or to play, and says nothing
    shell.texts["nUhel"] = "šikmo";
    model.handle("cmdStart");
    ASSERT_EQ(shell.reports.size(), 1u);
    EXPECT_EQ(model.lastRun(), nullptr);
    EXPECT_EQ(shell.told.size(), 3u);
}

// The page can pause a run only where the shell breathes, and builds the code of lines
// unable to pause: a line may show a frame, but never hand the shell control.
TEST(Frames, LinesShowFramesAndTheShellBreathesOnlyAtAPointsDelay)
{
    MapShell shell;
    window::Window model{shell, 867, 600, 1};
    model.open();
    window::WindowCanvas& canvas = model.canvas();
    const int shownBefore = shell.shown;
    const auto start = std::chrono::steady_clock::now();
    while (shell.shown == shownBefore && std::chrono::steady_clock::now() - start < std::chrono::seconds(2))
        canvas.Line(100, 100, 2000, 900);
    ASSERT_GT(shell.shown, shownBefore) << "no frame from a frame's worth of lines";
    EXPECT_EQ(shell.breaths, 0);
    canvas.Text(Box::nSpomalení); // as a screen point's delay begins
    EXPECT_EQ(shell.breaths, 1);
    canvas.Text(Box::nSpomalení);
    EXPECT_EQ(shell.breaths, 1) << "breathed again with no new frame";
}

TEST(Idle, TidyingAfterARunSparesTheNextOneThePauseToForgetLines)
{
    RunWindow w;
    w.shell.answer = vbNo;
    Picture& picture = w.model.picture();
    // lines kept by a run, and whether the picture forgot any meanwhile
    const auto run = [&] {
        const std::size_t kept = picture.keptLines();
        const std::uint64_t before = picture.linesEverKept();
        w.model.handle("cmdStart");
        return std::pair{picture.linesEverKept() - before, picture.keptLines() == kept + (picture.linesEverKept() - before)};
    };
    const auto [second, secondWhole] = run();
    ASSERT_TRUE(secondWhole);
    // one more such run would overflow what is kept: tidying makes the room now, in pieces
    const std::size_t beforeTidy = picture.keptLines();
    int pieces = 1;
    while (w.model.tidy())
        ++pieces;
    EXPECT_GT(pieces, 3) << "forgetting lines in one go";
    EXPECT_LT(picture.keptLines(), beforeTidy);
    const auto [third, thirdWhole] = run();
    EXPECT_NEAR(static_cast<double>(third), static_cast<double>(second), 0.01 * static_cast<double>(second));
    EXPECT_TRUE(thirdWhole) << "the run stopped to forget lines";
    // with room to spare, tidying leaves what is kept alone; and its pieces come to an end
    const std::size_t kept = picture.keptLines();
    for (pieces = 1; w.model.tidy(); ++pieces)
        ASSERT_LT(pieces, 10);
    EXPECT_EQ(picture.keptLines(), kept);
}
