// The window model with no toolkit: the factor rule, the handlers on the recording
// canvas, and the boundary that keeps the window going after a failed handler.
#include "Errors.h"
#include "Form.h"
#include "Layout.h"
#include "RecordingCanvas.h"
#include "Window.h"

#include <gtest/gtest.h>

#include <map>
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
    std::vector<std::string> announced;
    std::string refusing;
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
    void announce(const std::string& words) override { announced.push_back(words); }
    void report(const std::string& message) override { reports.push_back(message); }
    void placeControls() override {}
    void showPicture(const PixelRect&) override {}
    void breathe() override {}
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

TEST(RunRecord, ARunThatEndedWellIsRecordedAsItRanAndTold)
{
    MapShell shell;
    window::Window model(shell, 867, 600, 1);
    model.canvas().setLive(false);
    model.open();
    EXPECT_EQ(model.lastRun(), nullptr);
    EXPECT_EQ(model.pictureDescription(), "Klepněte na tlačítko Start");

    model.handle("cmdStart");
    const window::RunRecord* run = model.lastRun();
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run->colour, "Zelená");
    EXPECT_EQ(run->index, "1.7");
    EXPECT_EQ(run->angle, "45");
    EXPECT_EQ(run->frequency, "0.75");
    ASSERT_EQ(run->probability.size(), 7001u);
    EXPECT_GT(run->dots, 1000);
    EXPECT_FALSE(run->keptEarlier);
    EXPECT_GE(window::brightBands(run->probability), 1);
    ASSERT_EQ(shell.announced.size(), 1u);
    EXPECT_EQ(shell.announced[0], model.pictureDescription());
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
    EXPECT_EQ(model.lastRun()->index, "1");
    EXPECT_FALSE(model.lastRun()->keptEarlier);

    // a run that fails leaves the record of the last that ended well, and says nothing
    shell.texts["nUhel"] = "šikmo";
    model.handle("cmdStart");
    ASSERT_EQ(shell.reports.size(), 1u);
    EXPECT_EQ(model.lastRun()->angle, "45");
    EXPECT_EQ(shell.announced.size(), 3u);
}
