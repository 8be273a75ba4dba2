#include <gtest/gtest.h>

#include <string>

#include "render/line_record.h"
#include "render/line_record_log.h"

namespace markomi {
namespace {

TEST(LineRecordLog, ListsEveryFieldInOrder) {
    LineRecord line;
    EXPECT_EQ(line_record_message(u"row", line),
              u"row text = '', point(x, y) = (0, 0), size(x, y) = (0, 0), top_space = 0, "
              u"bottom_space = 0, right_space = 0, left_space = 0");
    line.text = std::u16string(u"営業部");
    line.x = 120;
    line.y = -35;
    line.width = 88;
    line.height = 27;
    line.top_margin = 4;
    line.bottom_margin = 5;
    line.right_margin = 6;
    line.left_margin = 7;
    EXPECT_EQ(line_record_message(u"row", line),
              u"row text = '営業部', point(x, y) = (120, -35), size(x, y) = (88, 27), "
              u"top_space = 4, bottom_space = 5, right_space = 6, left_space = 7");
}

TEST(LineRecord, HoldsAtMost499UnitsOfText) {
    LineRecord line;
    line.text = std::u16string(600, u'a');
    EXPECT_EQ(line.text.size(), 499u);
    EXPECT_EQ(line.text.c_str()[499], 0);
}

}  // namespace
}  // namespace markomi
