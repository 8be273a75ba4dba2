#include <gtest/gtest.h>

#include "settings/memory_profile.h"

namespace markomi {
namespace {

TEST(MemoryProfile, ParsesSectionsAndKeysWithAnyLineEnd) {
    MemoryProfile p = MemoryProfile::parse(u"[A]\r\nx=1\ny=2\rz=3\r\n\r\n[B]\nx=4");
    EXPECT_EQ(p.read(u"A", u"x"), u"1");
    EXPECT_EQ(p.read(u"A", u"y"), u"2");
    EXPECT_EQ(p.read(u"A", u"z"), u"3");
    EXPECT_EQ(p.read(u"B", u"x"), u"4");
    EXPECT_EQ(p.read(u"B", u"y"), std::nullopt);
    EXPECT_EQ(p.read(u"C", u"x"), std::nullopt);
}

TEST(MemoryProfile, NamesMatchWithoutRegardToAsciiCase) {
    MemoryProfile p = MemoryProfile::parse(u"[Markomi]\nWaku1_Hankei=40\n[ENABLE]\n部署=0\n");
    EXPECT_EQ(p.read(u"MARKOMI", u"WAKU1_HANKEI"), u"40");
    EXPECT_EQ(p.read(u"markomi", u"waku1_hankei"), u"40");
    EXPECT_EQ(p.read(u"enable", u"部署"), u"0");
    // Writing under another case replaces the same key.
    p.write(u"MARKOMI", u"WAKU1_HANKEI", u"50");
    EXPECT_EQ(p.to_text(), u"[Markomi]\r\nWaku1_Hankei=50\r\n[ENABLE]\r\n部署=0\r\n");
}

TEST(MemoryProfile, ValuesLoseSurroundingBlanksAndOnePairOfQuotes) {
    MemoryProfile p = MemoryProfile::parse(
        u"[S]\n  a  =  x y  \nb=\"q\"\nc=\"\"q\"\"\nd='r'\ne=\"s'\nf=\" t \"\ng=\"\nh=\nk=a=b\n");
    EXPECT_EQ(p.read(u"S", u"a"), u"x y");
    EXPECT_EQ(p.read(u"S", u"b"), u"q");
    EXPECT_EQ(p.read(u"S", u"c"), u"\"q\"");
    EXPECT_EQ(p.read(u"S", u"d"), u"r");
    EXPECT_EQ(p.read(u"S", u"e"), u"\"s'");
    EXPECT_EQ(p.read(u"S", u"f"), u" t ");
    EXPECT_EQ(p.read(u"S", u"g"), u"\"");
    EXPECT_EQ(p.read(u"S", u"h"), u"");
    EXPECT_EQ(p.read(u"S", u"k"), u"a=b");
}

TEST(MemoryProfile, FirstOfDuplicatedSectionsAndKeysWins) {
    MemoryProfile p = MemoryProfile::parse(u"[S]\nk=1\nk=2\n[T]\nm=5\n[s]\nk=3\nj=4\n");
    EXPECT_EQ(p.read(u"S", u"k"), u"1");
    // Only the first section of a name is searched.
    EXPECT_EQ(p.read(u"S", u"j"), std::nullopt);
    p.write(u"S", u"k", u"9");
    p.write(u"S", u"j", u"8");
    EXPECT_EQ(p.to_text(), u"[S]\r\nk=9\r\nk=2\r\nj=8\r\n[T]\r\nm=5\r\n[s]\r\nk=3\r\nj=4\r\n");
}

TEST(MemoryProfile, GarbageLinesAreKeptButIgnored) {
    std::u16string text =
        u"x=0\r\n; note\r\n[S\r\n[S]  trailing\r\nno equals\r\n\r\n  k = v\r\n[broken\r\n";
    MemoryProfile p = MemoryProfile::parse(text);
    EXPECT_EQ(p.read(u"S", u"k"), u"v");
    EXPECT_EQ(p.read(u"S", u"no equals"), std::nullopt);
    EXPECT_EQ(p.read(u"", u"x"), std::nullopt);  // keys before any section belong to none
    EXPECT_EQ(p.to_text(), u"x=0\r\n; note\r\n[S\r\n[S]\r\nno equals\r\n\r\nk= v\r\n[broken\r\n");
    // The text form parses back to the same contents.
    EXPECT_EQ(MemoryProfile::parse(p.to_text()).to_text(), p.to_text());
}

TEST(MemoryProfile, WritesReplaceInPlaceOrAppendAtTheEndOfTheirSection) {
    MemoryProfile p;
    EXPECT_TRUE(p.write(u"MARKOMI", u"ACTIVE", u"0"));
    EXPECT_TRUE(p.write(u"BUSHO", u"BUSHO1_HEIGHT", u"-13"));
    EXPECT_TRUE(p.write(u"MARKOMI", u"WAKU1_HANKEI", u"35"));
    EXPECT_TRUE(p.write(u"MARKOMI", u"ACTIVE", u"3"));
    EXPECT_EQ(p.to_text(),
              u"[MARKOMI]\r\nACTIVE=3\r\nWAKU1_HANKEI=35\r\n[BUSHO]\r\nBUSHO1_HEIGHT=-13\r\n");
    EXPECT_EQ(p.write_count(), 4u);
}

TEST(MemoryProfile, ReadOnlyRefusesWritesAndKeepsContents) {
    MemoryProfile p = MemoryProfile::parse(u"[S]\nk=1\n");
    p.set_read_only(true);
    EXPECT_FALSE(p.write(u"S", u"k", u"2"));
    EXPECT_FALSE(p.write(u"T", u"k", u"2"));
    EXPECT_EQ(p.to_text(), u"[S]\r\nk=1\r\n");
    p.set_read_only(false);
    EXPECT_TRUE(p.write(u"S", u"k", u"2"));
    EXPECT_EQ(p.read(u"S", u"k"), u"2");
}

}  // namespace
}  // namespace markomi
