#include "platform/foundation/VCard.h"

#include <gtest/gtest.h>

using platform::readVCards;
using platform::VCardCard;
using platform::VCardError;

namespace {

std::vector<VCardCard> cardsOf(platform::VCardReadResult result) {
    if (const auto* error = std::get_if<VCardError>(&result)) {
        ADD_FAILURE() << error->description();
        return {};
    }
    return std::get<std::vector<VCardCard>>(std::move(result));
}

// Each property as "NAME:value;type;type".
std::vector<std::string> linesOf(const VCardCard& card) {
    std::vector<std::string> lines;
    for (const auto& property : card.properties) {
        std::string line = property.name + ":" + property.value;
        for (const auto& type : property.types()) {
            line += ";" + type;
        }
        lines.push_back(line);
    }
    return lines;
}

} // namespace

TEST(VCardReader, CardsKeepEveryContactPropertyWithItsTypesInTheirOrder) {
    const std::string text =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Lee\r\nNICKNAME:Annie,Al\r\n"
        "TEL;TYPE=CELL:1\r\nitem1.TEL;TYPE=cell,pref:2\r\nTEL;TYPE=WORK;TYPE=FAX:3\r\n"
        "EMAIL;TYPE=INTERNET,HOME:a@home\r\nEMAIL:a@work\r\nN:Lee\\, Jr;Ann;;;\r\n"
        "PHOTO;ENCODING=b:AAAA\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\nVERSION:2.1\nTEL;PAGER:4\nEND:VCARD\n";
    const auto cards = cardsOf(readVCards(text));
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0].line, 1);
    // The group goes, the escapes stay for the structured values; the photo is not read.
    EXPECT_EQ(
        linesOf(cards[0]),
        (std::vector<std::string>{"FN:Ann Lee", "NICKNAME:Annie,Al", "TEL:1;cell",
                                  "TEL:2;cell;pref", "TEL:3;work;fax", "EMAIL:a@home;internet;home",
                                  "EMAIL:a@work", "N:Lee\\, Jr;Ann;;;"}));
    EXPECT_EQ(cards[1].line, 13);
    EXPECT_EQ(linesOf(cards[1]), std::vector<std::string>{"TEL:4;pager"});
}

TEST(VCardReader, FoldsQuotedPrintableAndCharsetsAreUndone) {
    const std::string text = "BEGIN:VCARD\nVERSION:2.1\n"
                             "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;J=\n"
                             "=FCrgen\n"
                             "FN:Long\n  name\n"
                             "NOTE;CHARSET=ISO-8859-1:\xFC\xFF\n"
                             "END:VCARD\n";
    const auto cards = cardsOf(readVCards(text));
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(linesOf(cards[0]), (std::vector<std::string>{"N:Müller;Jürgen", "FN:Long name"}));
}

TEST(VCardReader, ValuesSplitAtUnescapedSeparatorsOnly) {
    EXPECT_EQ(platform::splitVCardValue("Lee\\;Smith;Ann\\nB;;", ';'),
              (std::vector<std::string>{"Lee;Smith", "Ann\nB", "", ""}));
    EXPECT_EQ(platform::unescapedVCardValue("a\\,b\\\\c\\x"), "a,b\\c\\x");
}

TEST(VCardReader, MalformedTextIsReportedWithItsLine) {
    const std::string good = "BEGIN:VCARD\nVERSION:3.0\nFN:Zoë Müller\nEND:VCARD\n"; // lines 1-4
    struct Malformed {
        const char* name;
        std::string text;
        int line;
        std::string says;
    };
    const std::vector<Malformed> cases = {
        {"no END", good + "BEGIN:VCARD\nFN:Bob\nTEL:1\n", 5, "END:VCARD"},
        {"no colon", good + "BEGIN:VCARD\nFN:Bob\nTEL 1\nEND:VCARD\n", 7, ":"},
        {"outside a card", good + "FN:Stray\n", 5, "outside"},
        {"card inside a card", good + "BEGIN:VCARD\nFN:Bob\nBEGIN:VCARD\nEND:VCARD\n", 7, "line 5"},
        {"unknown version", good + "BEGIN:VCARD\nVERSION:9.9\nEND:VCARD\n", 6, "9.9"},
        {"damaged UTF-8 after a fold", good + "BEGIN:VCARD\nFN:B\n o\xFF\nEND:VCARD\n", 7, "UTF-8"},
        {"not a vCard", "hello\n", 1, ":"},
        {"a NUL", good + "BEGIN:VCARD\nFN:B" + std::string(1, '\0') + "\nEND:VCARD\n", 6, "NUL"},
        {"empty", " \r\n", 0, "empty"},
    };
    for (const auto& c : cases) {
        const auto result = readVCards(c.text);
        ASSERT_TRUE(std::holds_alternative<VCardError>(result)) << c.name;
        const auto& error = std::get<VCardError>(result);
        EXPECT_EQ(error.line, c.line) << c.name << ": " << error.description();
        EXPECT_NE(error.message.find(c.says), std::string::npos) << c.name << ": " << error.message;
    }
}
