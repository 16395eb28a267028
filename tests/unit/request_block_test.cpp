#include "core/request_block.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace qm {
namespace {

TEST(WriteField, CutsAtNMinusOneAndTerminates) {
    char16_t field[5];
    std::fill(std::begin(field), std::end(field), u'x');
    EXPECT_TRUE(WriteField(field, u"abcd"));  // exactly N-1 fits
    EXPECT_EQ(std::u16string(field), u"abcd");
    EXPECT_FALSE(WriteField(field, u"abcdef"));
    EXPECT_EQ(field[4], u'\0');
    EXPECT_EQ(std::u16string(field), u"abcd");
}

// Found by fuzzing the read-back texts: a telephone box holding an emoji
// across unit 23 was stored with the first half of the emoji at its end.
TEST(WriteField, NeverCutsBetweenTheHalvesOfAPair) {
    char16_t field[5];
    EXPECT_FALSE(WriteField(field, u"abc\U0001F695"));  // the pair would take units 3 and 4
    EXPECT_EQ(std::u16string(field), u"abc");
    EXPECT_EQ(field[3], u'\0');
    EXPECT_FALSE(WriteField(field, u"ab\U0001F695x"));  // the pair fits whole
    EXPECT_EQ(std::u16string(field), u"ab\U0001F695");
    const char16_t lone[] = {u'a', u'b', u'c', 0xD800, u'x', 0};
    EXPECT_FALSE(WriteField(field, lone));  // a lone half is an ordinary unit
    EXPECT_EQ(field[3], 0xD800);
}

TEST(WriteField, ClearsTheRestOfTheField) {
    char16_t field[6];
    WriteField(field, u"hello");
    WriteField(field, u"a");
    for (std::size_t i = 1; i < 6; ++i) EXPECT_EQ(field[i], u'\0') << i;
}

TEST(ReadField, StopsAtNulOrAtTheFieldsEnd) {
    char16_t withNul[4] = {u'a', u'b', u'\0', u'z'};
    EXPECT_EQ(ReadField(withNul), u"ab");
    char16_t withoutNul[3] = {u'a', u'b', u'c'};
    EXPECT_EQ(ReadField(withoutNul), u"abc");  // never past N units
}

TEST(TerminateCallerTexts, EndsEveryTextFieldInItsLastUnit) {
    auto block = std::make_unique<RequestBlock>();
    std::memset(block.get(), 0x41, sizeof(RequestBlock));  // every unit 'AA', no NUL anywhere
    TerminateCallerTexts(*block);
    EXPECT_EQ(ReadField(block->readScript).size(), 299u);
    EXPECT_EQ(ReadField(block->pointScript).size(), 1199u);
    EXPECT_EQ(ReadField(block->message).size(), 999u);
    EXPECT_EQ(ReadField(block->order.fare).size(), 11u);
    EXPECT_EQ(ReadField(block->order.customerPhone2).size(), 23u);
    EXPECT_EQ(ReadField(block->order.memo2).size(), 1023u);
    EXPECT_EQ(ReadField(block->order.via[2].fullText).size(), 511u);
    EXPECT_EQ(ReadField(block->order.destination.name).size(), 511u);
    // Non-text fields are left alone.
    EXPECT_EQ(block->mode, 0x41414141);
    EXPECT_EQ(block->order.adapterKind, 0x41414141);
}

}  // namespace
}  // namespace qm
