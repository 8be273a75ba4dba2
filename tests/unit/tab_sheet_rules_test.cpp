// The tab sheet's rules: where its controls sit, the cycling buttons, the
// focus ring and the drag-out gesture; and the stamp settings window's size.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "ui/stamp_settings_rules.h"
#include "ui/tab_sheet_rules.h"

namespace markomi {
namespace {

const SheetControl& control_with_id(int id) {
    const auto& all = sheet_controls();
    return *std::find_if(all.begin(), all.end(), [id](const SheetControl& c) { return c.id == id; });
}

TEST(TabSheetLayout, ControlsSitAtTheirCharacterUnitsTruncated) {
    // cw 7, lh 15: 47 cw = 329, 1.1 lh = 16.5 -> 16.
    LayoutRect r = sheet_control_rect(control_with_id(kSheetIdBusho), 7, 15);
    EXPECT_EQ(r.x, 329);
    EXPECT_EQ(r.y, 16);
    EXPECT_EQ(r.width, 210);
    EXPECT_EQ(r.height, 22);
    // The date picker is 1.5 lh square; its caption starts right after it.
    r = sheet_control_rect(control_with_id(kSheetIdDatePicker), 7, 15);
    EXPECT_EQ(r.width, 22);
    EXPECT_EQ(r.height, 22);
    const auto& all = sheet_controls();
    const auto caption = std::find_if(all.begin(), all.end(),
                                      [](const SheetControl& c) { return c.label == SheetLabel::kDateCaption; });
    ASSERT_NE(caption, all.end());
    EXPECT_EQ(sheet_control_rect(*caption, 7, 15).x, 329 + 22);  // 329 + 22.5, truncated once
    EXPECT_EQ(sheet_control_rect(*caption, 7, 15).y, 52);       // 3.5 lh
    const size_t caption_index = static_cast<size_t>(caption - all.begin());
    EXPECT_EQ(sheet_control_rects(7, 15)[caption_index].width, 553 - 351);  // up to the font button
    EXPECT_EQ(sheet_control_rects(7, 15)[caption_index + 1].x, 553);
    // The flat buttons of the date format row.
    r = sheet_control_rect(control_with_id(kSheetIdMonth), 8, 17);
    EXPECT_EQ(r.x, 624);
    EXPECT_EQ(r.y, 241);  // 14.2 x 17 = 241.4
    EXPECT_EQ(r.width, 96);
}

TEST(TabSheetLayout, EveryInteractiveControlOnceAndCaptionsAsCreated) {
    std::set<int> ids;
    for (const SheetControl& c : sheet_controls())
        if (c.id != 0) {
            EXPECT_TRUE(ids.insert(c.id).second) << c.id;
        }
    EXPECT_EQ(ids, std::set<int>(kSheetFocusRing.begin(), kSheetFocusRing.end()));
    EXPECT_EQ(control_with_id(kSheetIdShadow).caption, u"立体");
    EXPECT_EQ(control_with_id(kSheetIdEra).caption, u"和暦記号");
    EXPECT_EQ(control_with_id(kSheetIdOk).caption, u"Ｏ　Ｋ");
    EXPECT_EQ(control_with_id(kSheetIdFrameColour).caption, u"枠 色 変 更");
    // No two controls overlap at the sizes the windows use: labels end
    // where their row's next control starts.
    for (int cw : {7, 8, 11}) {
        const int lh = cw * 2 + 1;
        const auto all = sheet_control_rects(cw, lh);
        for (size_t i = 0; i < all.size(); ++i)
            for (size_t j = i + 1; j < all.size(); ++j) {
                const LayoutRect a = all[i];
                const LayoutRect b = all[j];
                const bool apart = a.x + a.width <= b.x || b.x + b.width <= a.x ||
                                   a.y + a.height <= b.y || b.y + b.height <= a.y;
                EXPECT_TRUE(apart) << "controls " << i << " and " << j << " at cw " << cw;
            }
    }
}

TEST(TabSheetButtons, CaptionsByValueAndNoneOutsideTheTable) {
    EXPECT_EQ(shadow_caption(0), u"平　面");
    EXPECT_EQ(shadow_caption(3), u"立体 ３");
    EXPECT_FALSE(shadow_caption(4));
    EXPECT_FALSE(shadow_caption(-1));
    EXPECT_EQ(era_caption(1), u"和　暦");
    EXPECT_EQ(era_caption(5), u"西暦２桁");
    EXPECT_FALSE(era_caption(0));
    EXPECT_EQ(delimiter_caption(2), u"．区切");
    EXPECT_FALSE(delimiter_caption(4));
    EXPECT_EQ(month_caption(1), u"月 英語");
    EXPECT_FALSE(month_caption(2));
}

TEST(TabSheetButtons, PressesCycleAndValuesOutsideStay) {
    std::int32_t era = 3;
    for (int i = 0; i < 5; ++i) era = next_era(era);
    EXPECT_EQ(era, 3);
    EXPECT_EQ(next_era(5), 1);
    EXPECT_EQ(next_shadow(3), 0);
    EXPECT_EQ(next_shadow(9), 9);
    EXPECT_EQ(next_delimiter(3), 1);
    EXPECT_EQ(next_month_lang(0), 1);
    EXPECT_EQ(next_month_lang(1), 0);
    EXPECT_EQ(next_era(0), 0);
    EXPECT_EQ(next_delimiter(-2), -2);
}

TEST(TabSheetKeys, FocusRingWithTheDivisionSliderLeftOutOnTheFirstSlot) {
    const int forward[] = {119, 126, 117, 125, 120, 137, 123, 138, 124, 140, 139, 121, 141, 142, 143, 119};
    for (size_t i = 0; i + 1 < std::size(forward); ++i) {
        EXPECT_EQ(next_sheet_focus(forward[i], true, false), forward[i + 1]);
        EXPECT_EQ(next_sheet_focus(forward[i + 1], false, false), forward[i]);
    }
    EXPECT_EQ(next_sheet_focus(140, true, true), 121);
    EXPECT_EQ(next_sheet_focus(121, false, true), 140);
    EXPECT_EQ(next_sheet_focus(118, true, false), 0);
    EXPECT_TRUE(enter_moves_on(139));
    EXPECT_FALSE(enter_moves_on(121));
    EXPECT_TRUE(is_sheet_push_button(143));
    EXPECT_FALSE(is_sheet_push_button(119));
}

TEST(TabSheetDrag, TheGestureStepByStep) {
    // Over the preview: a press starts, a move shows the grab, a release cancels.
    DragStep s = drag_step(kDragIdle, DragZone::kPreview, DragEvent::kMove);
    EXPECT_EQ(s.cursor, DragCursor::kHover);
    EXPECT_EQ(s.mode, kDragIdle);
    s = drag_step(kDragIdle, DragZone::kPreview, DragEvent::kPress);
    EXPECT_TRUE(s.capture);
    EXPECT_EQ(s.mode, kDragDragging);
    EXPECT_EQ(s.cursor, DragCursor::kGrab);
    EXPECT_EQ(drag_step(kDragDragging, DragZone::kPreview, DragEvent::kMove).cursor, DragCursor::kGrab);
    s = drag_step(kDragDragging, DragZone::kPreview, DragEvent::kRelease);
    EXPECT_TRUE(s.release_capture);
    EXPECT_FALSE(s.stamp);
    EXPECT_EQ(s.mode, kDragIdle);
    EXPECT_EQ(s.cursor, DragCursor::kHover);

    // Inside the window: the no-drop hand, and any button cancels.
    EXPECT_EQ(drag_step(kDragDragging, DragZone::kInside, DragEvent::kMove).cursor, DragCursor::kNoDrop);
    EXPECT_EQ(drag_step(kDragIdle, DragZone::kInside, DragEvent::kMove).cursor, DragCursor::kArrow);
    for (DragEvent e : {DragEvent::kPress, DragEvent::kRelease}) {
        s = drag_step(kDragDragging, DragZone::kInside, e);
        EXPECT_EQ(s.mode, kDragIdle);
        EXPECT_TRUE(s.release_capture);
        EXPECT_FALSE(s.stamp);
    }
    // Outside: the drop hand; a release stamps, a press cancels.
    EXPECT_EQ(drag_step(kDragDragging, DragZone::kOutside, DragEvent::kMove).cursor, DragCursor::kDrop);
    s = drag_step(kDragDragging, DragZone::kOutside, DragEvent::kRelease);
    EXPECT_TRUE(s.stamp);
    EXPECT_TRUE(s.release_capture);
    EXPECT_EQ(s.mode, kDragIdle);
    s = drag_step(kDragDragging, DragZone::kOutside, DragEvent::kPress);
    EXPECT_FALSE(s.stamp);
    EXPECT_EQ(s.mode, kDragIdle);
    // Without a drag nothing starts or stamps away from the preview.
    EXPECT_FALSE(drag_step(kDragIdle, DragZone::kOutside, DragEvent::kRelease).stamp);
    EXPECT_FALSE(drag_step(kDragIdle, DragZone::kInside, DragEvent::kPress).capture);
}

TEST(TabSheetDrag, ZonesFromThePreviewBoxAndTheWindowEdges) {
    const PreviewSize size{134, 106};
    const PreviewOrigin origin{29, 16};
    EXPECT_TRUE(over_preview({30, 17}, size, origin));
    EXPECT_FALSE(over_preview({29, 50}, size, origin));   // on the edge
    EXPECT_FALSE(over_preview({239, 50}, size, origin));  // 2W - X0
    EXPECT_TRUE(over_preview({238, 195}, size, origin));
    const LayoutRect window{100, 50, 700, 300};
    EXPECT_EQ(drag_zone({50, 50}, {150, 130}, window, size, origin), DragZone::kPreview);
    EXPECT_EQ(drag_zone({400, 50}, {500, 130}, window, size, origin), DragZone::kInside);
    EXPECT_EQ(drag_zone({-5, 50}, {99, 130}, window, size, origin), DragZone::kOutside);
    EXPECT_EQ(drag_zone({700, 50}, {800, 130}, window, size, origin), DragZone::kOutside);
    EXPECT_EQ(drag_zone({699, 50}, {799, 130}, window, size, origin), DragZone::kInside);
    EXPECT_EQ(drag_zone({10, 400}, {110, 350}, window, size, origin), DragZone::kOutside);
    EXPECT_EQ(drag_zone({10, -100}, {110, 49}, window, size, origin), DragZone::kOutside);
}

TEST(StampSettingsTabs, CtrlTabWrapsRoundTheSevenTabsBothWays) {
    EXPECT_EQ(next_tab_index(0, true), 1);
    EXPECT_EQ(next_tab_index(6, true), 0);
    EXPECT_EQ(next_tab_index(0, false), 6);
    EXPECT_EQ(next_tab_index(3, false), 2);
    EXPECT_EQ(next_tab_index(-1, true), 0);
    EXPECT_EQ(next_tab_index(-1, false), 6);
}

TEST(StampSettingsLayout, SizesFromTheFontAndTheMenuBar) {
    const StampSettingsLayout l = stamp_settings_layout(7, 15, 19);
    EXPECT_EQ(l.window.width, 703);             // 703.5
    EXPECT_EQ(l.sheet.height, 271);             // 271.8
    EXPECT_EQ(l.window.height, 19 + 271 + 35);
    EXPECT_EQ(l.tab_strip.height, l.window.height);
    EXPECT_EQ(l.sheet.y, 35);
    EXPECT_EQ(l.sheet.width, 703);
    EXPECT_EQ(l.min_client_height, 35 + 252);
    // Larger characters, larger window.
    const StampSettingsLayout big = stamp_settings_layout(8, 17, 19);
    EXPECT_GT(big.window.width, l.window.width);
    EXPECT_GT(big.window.height, l.window.height);
    EXPECT_EQ(tab_captions()[3], u"  虫");
    EXPECT_EQ(tab_captions()[4], u" 台風");
}

TEST(StampSettingsLayout, ResidentWindowOpensBesideThePointerNearTheCorner) {
    const LayoutSize w{700, 330};
    LayoutPoint p = resident_host_position(w, 7, 15, {1800, 1000}, 0, 40);
    EXPECT_EQ(p.x, 1100);
    EXPECT_EQ(p.y, 670);
    p = resident_host_position(w, 7, 15, {100, 100}, 0, 0);
    EXPECT_EQ(p.x, 114);
    EXPECT_EQ(p.y, 130);
    p = resident_host_position(w, 7, 15, {100, 100}, 200, 0);
    EXPECT_EQ(p.x, 214);
}

}  // namespace
}  // namespace markomi
