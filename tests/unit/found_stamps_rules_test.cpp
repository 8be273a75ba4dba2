#include <gtest/gtest.h>

#include "ui/found_stamps_rules.h"

namespace markomi {
namespace {

// A reply of --verify: another signer's signature, our signed stamp (its
// signature linked), and our plain stamp, in no order of time.
constexpr char16_t kReply[] =
    u"{\"input\":\"a.pdf\",\"revisions\":3,\"signatures\":["
    u"{\"field\":\"承認\",\"signer\":\"Other {Signer}\",\"time\":\"2026-12-07T09:00:00+09:00\","
    u"\"status\":\"valid\",\"page\":2,\"box_mm\":[1.5,2.25,4e+01,12.5]},"
    u"{\"field\":\"Markomi2Signature1\",\"signer\":\"山田\",\"time\":\"2026-12-08T01:31:00Z\","
    u"\"status\":\"unknown\",\"page\":1,\"box_mm\":[10,20,30,30],\"stamp\":1}],"
    u"\"stamps\":[{\"text\":\"総務部 R8.Dec.09 佐藤\",\"time\":\"2026-12-09T08:00:00+09:00\","
    u"\"signed\":false,\"page\":1,\"box_mm\":[150,20,25,25]},"
    u"{\"text\":\"課長 '26/12/08 山田\",\"time\":\"2026-12-08T10:31:00+09:00\",\"signed\":true,"
    u"\"page\":1,\"box_mm\":[10,20,30,30]}]}";

TEST(FoundStamps, EachStampAndSignatureIsOneLineInTheOrderOfTime) {
    const FoundStamps found = read_found_stamps(kReply);
    ASSERT_TRUE(found.answered);
    EXPECT_FALSE(found.refused);
    ASSERT_EQ(found.stamps.size(), 3u) << "the linked signature is not a line of its own";
    // By the moment, not by the text: 2026-12-08T10:31+09:00 comes after
    // 2026-12-07T09:00+09:00 and before 2026-12-09.
    EXPECT_EQ(found_stamp_line(found.stamps[0]), u"2026/12/07 09:00 Other {Signer} ― 署名 有効");
    EXPECT_EQ(found_stamp_line(found.stamps[1]), u"2026/12/08 10:31 課長 山田 ― 署名 未確認");
    EXPECT_EQ(found_stamp_line(found.stamps[2]),
              u"2026/12/09 08:00 総務部 佐藤 ― 印影のみ（署名なし）");
    EXPECT_FALSE(found.stamps[0].ours);
    EXPECT_EQ(found.stamps[0].page, 2);
    ASSERT_TRUE(found.stamps[0].box_mm);
    EXPECT_DOUBLE_EQ(found.stamps[0].box_mm->left_mm, 1.5);
    EXPECT_DOUBLE_EQ(found.stamps[0].box_mm->top_mm, 2.25);
    EXPECT_DOUBLE_EQ(found.stamps[0].box_mm->width_mm, 40);
    EXPECT_DOUBLE_EQ(found.stamps[0].box_mm->height_mm, 12.5);
}

// One stamp, the signature's status and the text varied: a row per fault.
TEST(FoundStamps, TheLineSaysWhatHoldsTheStampAndDropsOnlyItsDate) {
    struct Row {
        const char* fault;
        std::u16string text, status;  // status: empty for a plain stamp
        std::u16string line;
    } rows[] = {
        {"date line kept", u"経理 2026/12/08 鈴木", u"valid",
         u"2026/12/08 10:31 経理 鈴木 ― 署名 有効"},
        {"status words swapped", u"経理 2026.12.08 鈴木", u"invalid",
         u"2026/12/08 10:31 経理 鈴木 ― 署名 無効"},
        {"plain taken as signed", u"経理 2026-12-08 鈴木", u"",
         u"2026/12/08 10:31 経理 鈴木 ― 印影のみ（署名なし）"},
        {"a department with digits taken as the date", u"第2課 令和8.12.08 鈴木", u"unknown",
         u"2026/12/08 10:31 第2課 鈴木 ― 署名 未確認"},
        {"odd text changed, its escape not undone", u"承認ab\\u0009済 12/08", u"",
         u"2026/12/08 10:31 承認ab 済 12/08 ― 印影のみ（署名なし）"},
        {"two dates: which one is it", u"1.2.3 4.5.6", u"",
         u"2026/12/08 10:31 1.2.3 4.5.6 ― 印影のみ（署名なし）"},
    };
    for (const Row& row : rows) {
        std::u16string reply = u"{\"signatures\":[";
        if (!row.status.empty())
            reply += u"{\"signer\":\"x\",\"status\":\"" + row.status + u"\",\"stamp\":0}";
        reply += u"],\"stamps\":[{\"text\":\"" + row.text +
                 u"\",\"time\":\"2026-12-08T10:31:00+09:00\",\"signed\":" +
                 (row.status.empty() ? u"false" : u"true") + u",\"page\":1}]}";
        const FoundStamps found = read_found_stamps(reply);
        ASSERT_EQ(found.stamps.size(), 1u) << row.fault;
        EXPECT_EQ(found_stamp_line(found.stamps[0]), row.line) << row.fault;
    }
}

// The order is of the moments, offsets taken off, across months, years and
// leap days; equal moments keep the reply's order; no time comes last.
TEST(FoundStamps, TheOrderIsOfTheMomentsWhateverTheOffsets) {
    const char16_t* times[][2] = {{u"g", u""},
                                  {u"f", u"2027-01-01T00:10:00+09:00"},  // 12-31 15:10Z
                                  {u"e", u"2026-12-31T14:00:00Z"},
                                  {u"c", u"2026-04-30T23:00:00-05:00"},  // 05-01 04:00Z
                                  {u"b", u"2026-05-01T02:00:00+00:00"},
                                  {u"d", u"2026-05-01T13:00:00+09:00"},  // 05-01 04:00Z, after c
                                  {u"a", u"2024-02-29T10:00:00+09:00"}};
    std::u16string reply = u"{\"signatures\":[{\"signer\":\"\",\"status\":\"valid\"}],\"stamps\":[";
    for (const auto& t : times)
        reply += std::u16string(t[0] == times[0][0] ? u"" : u",") + u"{\"text\":\"" + t[0] +
                 u"\",\"time\":\"" + t[1] + u"\",\"signed\":false}";
    const FoundStamps found = read_found_stamps(reply + u"]}");
    std::u16string order;
    for (const FoundStamp& stamp : found.stamps) order += stamp.text.empty() ? u"-" : stamp.text;
    EXPECT_EQ(order, u"abcdefg-");
    EXPECT_EQ(found_stamp_line(found.stamps.back()), u"日時不明 署名者不明 ― 署名 有効");
}

TEST(FoundStamps, OutsideTextIsBoundedAndBrokenRepliesListNothing) {
    // Over-long text is cut; a signed widget no signature fills is told invalid.
    const std::u16string long_text(300, u'印');
    const FoundStamps cut =
        read_found_stamps(u"{\"signatures\":[],\"stamps\":[{\"text\":\"" + long_text +
                          u"\\n\\u0041\",\"time\":\"?\",\"signed\":true}]}");
    ASSERT_EQ(cut.stamps.size(), 1u);
    const std::u16string line = found_stamp_line(cut.stamps[0]);
    EXPECT_EQ(line, u"日時不明 " + std::u16string(39, u'印') + u"… ― 署名 無効");

    // The cut never leaves half of a surrogate pair (U+10FFFF: DBFF DFFF).
    const FoundStamps pair =
        read_found_stamps(u"{\"signatures\":[],\"stamps\":[{\"text\":\"" +
                          std::u16string(38, u'x') + u"\U0010FFFFyy\",\"signed\":false}]}");
    ASSERT_EQ(pair.stamps.size(), 1u);
    EXPECT_EQ(found_stamp_line(pair.stamps[0]),
              u"日時不明 " + std::u16string(38, u'x') + u"… ― 印影のみ（署名なし）");

    // A stamp without a box takes none from the stamp after it; one of no width is none.
    const FoundStamps boxes = read_found_stamps(
        u"{\"signatures\":[],\"stamps\":[{\"text\":\"a stamp of a longer "
        u"text\",\"box_mm\":[1,2,3,4]},"
        u"{\"text\":\"b\"},{\"text\":\"c\",\"box_mm\":[5,6,7,8]},{\"text\":\"d\",\"box_mm\":[5,6,0,"
        u"8]}]}");
    ASSERT_EQ(boxes.stamps.size(), 4u);
    EXPECT_TRUE(boxes.stamps[0].box_mm && !boxes.stamps[1].box_mm && boxes.stamps[2].box_mm);
    EXPECT_FALSE(boxes.stamps[3].box_mm) << "a box of no width";

    // Too many entries: only the first 200 are taken.
    std::u16string many = u"{\"signatures\":[],\"stamps\":[";
    for (int i = 0; i < 250; ++i)
        many += (i ? u"," : u"") + std::u16string(u"{\"text\":\"a\",\"signed\":false}");
    EXPECT_EQ(read_found_stamps(many + u"]}").stamps.size(), kMostFoundStamps);

    // Every cut of a sound reply before its last array closes: nothing, and no crash.
    const std::u16string whole(kReply);
    for (std::size_t n = 0; n + 2 < whole.size(); ++n) {
        const FoundStamps part = read_found_stamps(whole.substr(0, n));
        EXPECT_FALSE(part.answered) << n;
        EXPECT_TRUE(part.stamps.empty()) << n;
    }
    const FoundStamps refused = read_found_stamps(u"{\"input\":\"a.pdf\",\"refused\":\"not-pdf\"}");
    EXPECT_TRUE(refused.answered && refused.refused && refused.stamps.empty());
    EXPECT_FALSE(read_found_stamps(u"{\"signatures\":{},\"stamps\":[]}").answered);
}

}  // namespace
}  // namespace markomi
