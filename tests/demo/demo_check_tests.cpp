// The demo driver's checks on real captures of stand-in frames in a host
// process: two pictures of an unchanged frame fail the "visibly changed" check,
// and a logo band hidden with RB_SHOWBAND passes it for the rebar but not for
// the toolbar, which did not change; the state check names the band that is
// not as the settings ask.
#include <gtest/gtest.h>

#include <algorithm>
#include "pump.h"
#include "report.h"
#include "scene.h"

namespace {

constexpr UINT kLogoBandId = 5;

bool mentions(const std::vector<std::string>& problems, const std::string& text) {
    return std::any_of(problems.begin(), problems.end(),
                       [&](const std::string& p) { return p.find(text) != std::string::npos; });
}

std::string scratchFile() {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "demo_check_" + std::to_string(GetCurrentProcessId()) + ".tmp";
}

TEST(DemoChecks, UnchangedPicturesFailAndAHiddenLogoBandIsSeen) {
    demo::Scene scene;
    ASSERT_EQ(demo::buildScene(scene), "");
    const demo::SceneFrame& frame = scene.frames.front();
    demo::FrameRecord record;
    record.frame = &frame;
    record.wanted.hideLogo = true;

    demo::Shot first, second, third;
    ASSERT_EQ(demo::readState(scene, frame, record.states[demo::kBefore]), "");
    ASSERT_EQ(demo::captureFrames(scene, scratchFile(), "first", first), "");
    ASSERT_EQ(demo::captureFrames(scene, scratchFile(), "second", second), "");
    const auto [dx, dy] = first.offsets.front();
    const demo::FrameState& before = record.states[demo::kBefore];
    const auto regions = demo::changingRegions(before, before, dx, dy);
    ASSERT_FALSE(regions[0].area.empty());
    ASSERT_FALSE(regions[1].area.empty());

    const auto same = demo::compareRegions(first.picture, second.picture, regions);
    const auto unchanged = demo::unchangedRegions(same, demo::kMinChangedPixels);
    EXPECT_EQ(unchanged.size(), 2u) << "nothing changed, so both regions must fail";
    EXPECT_TRUE(mentions(unchanged, "rebar: 0 of"));
    EXPECT_TRUE(mentions(unchanged, "toolbar: 0 of"));

    auto bands = scene.shell.bands(frame.handles.rebar);
    ASSERT_TRUE(bands) << bands.error;
    int logoIndex = -1;
    for (std::size_t i = 0; i < bands->size(); ++i)
        if ((*bands)[i].wID == kLogoBandId) logoIndex = static_cast<int>(i);
    ASSERT_GE(logoIndex, 0);
    auto hidden = scene.shell.send(frame.handles.rebar, RB_SHOWBAND, logoIndex, FALSE);
    ASSERT_TRUE(hidden) << hidden.error;
    ASSERT_EQ(*hidden, 1);
    ASSERT_EQ(demo::readState(scene, frame, record.states[demo::kAfter]), "");
    ASSERT_EQ(demo::captureFrames(scene, scratchFile(), "third", third), "");
    const auto changed = demo::unchangedRegions(
        demo::compareRegions(first.picture, third.picture, regions), demo::kMinChangedPixels);
    EXPECT_FALSE(mentions(changed, "rebar")) << "the logo band's place is repainted";
    EXPECT_TRUE(mentions(changed, "toolbar")) << "the toolbar did not change";

    // The state check asks for the settings: the logo band hidden is right, the
    // menu band left shown against hide-menu is named.
    record.states[demo::kRestored] = record.states[demo::kBefore];
    record.wanted.hideMenu = true;
    const std::vector<std::string> problems = demo::checkFrame(record);
    EXPECT_FALSE(mentions(problems, "after: the logo band"));
    EXPECT_TRUE(mentions(problems, "after: the menu band is shown, expected hidden"));
    scene.shell.stop();
}

} // namespace
