#include "support/RTFReader.h"

#include <gtest/gtest.h>

using platform::AttributedString;
using platform::TextAlignment;

namespace {

AttributedString read(std::string_view rtf) {
    std::optional<AttributedString> text = attributedStringFromRTF(rtf);
    EXPECT_TRUE(text.has_value()) << rtf;
    return text.value_or(AttributedString());
}

std::size_t at(const AttributedString& text, std::string_view part) {
    const std::size_t index = text.string().find(part);
    EXPECT_NE(index, std::string::npos) << part;
    return index;
}

} // namespace

// What a word processor writes for a short credits page.
TEST(RTFReader, ReadsAWordProcessorDocument) {
    const AttributedString text = read(
        R"({\rtf1\ansi\ansicpg1252\cocoartf2639
{\fonttbl\f0\fswiss\fcharset0 Helvetica;\f1\fmodern\fcharset0 Courier;}
{\colortbl;\red255\green255\blue255;\red200\green0\blue0;}
{\*\expandedcolortbl;;\csgenericrgb\c78431\c0\c0;}
{\info{\author Someone}}
\paperw11900\paperh16840\margl1440\margr1440\vieww11520\viewh8400\viewkind0
\pard\tx566\pardirnatural\qc\partightenfactor0

\f0\b\fs28 \cf0 Credits\
\pard\ql
\b0\fs24 Written by \i the team\i0  \'a9 2024 \cf2 red\cf0\par
{\f1 mono}\tab end}
)");
    EXPECT_EQ(text.string(), "Credits\nWritten by the team \u00a9 2024 red\nmono\tend");

    const auto credits = text.attributesAtIndex(at(text, "Credits"));
    EXPECT_TRUE(credits.effectiveFont().isBold());
    EXPECT_EQ(credits.effectiveFont().pointSize(), 14);
    EXPECT_EQ(credits.effectiveParagraphStyle().alignment, TextAlignment::Center);

    const auto body = text.attributesAtIndex(at(text, "Written"));
    EXPECT_FALSE(body.effectiveFont().isBold());
    EXPECT_EQ(body.effectiveFont().pointSize(), 12);
    EXPECT_EQ(body.effectiveParagraphStyle().alignment, TextAlignment::Left);
    EXPECT_TRUE(text.attributesAtIndex(at(text, "the team")).effectiveFont().isItalic());
    EXPECT_EQ(text.attributesAtIndex(at(text, " red") + 1).effectiveForegroundColor(),
              platform::Color(200 / 255.0, 0, 0));
    EXPECT_TRUE(text.attributesAtIndex(at(text, "mono")).effectiveFont().isFixedPitch());
    EXPECT_FALSE(text.attributesAtIndex(at(text, "end")).effectiveFont().isFixedPitch())
        << "the font ends with its group";
}

TEST(RTFReader, EscapesAndCharacters) {
    struct Case {
        const char* rtf;
        const char* text;
    };
    const Case cases[] = {
        {R"({\rtf1 a\\b\{c\}})", "a\\b{c}"},
        {R"({\rtf1 \'93quoted\'94 \'80})", "\u201cquoted\u201d \u20ac"},
        {R"({\rtf1 \u8212?dash \uc2\u8364\'80\'80 euro})", "\u2014dash \u20ac euro"},
        {R"({\rtf1 \u-10179?\u-8704?})", "\U0001F600"},
        {R"({\rtf1 caf)"
         "\xc3\xa9"
         R"( na)"
         "\xefve}",
         "caf\u00e9 na\u00efve"},
        {R"({\rtf1 one\line two\
three})",
         "one\ntwo\nthree"},
        {R"({\rtf1 {\*\unknown hidden}{\pict 0102}shown})", "shown"},
        {R"({\rtf1 x\~y\emdash z\ldblquote q\rdblquote})", "x\u00a0y\u2014z\u201cq\u201d"},
        {R"({\rtf1 unclosed {\b group)", "unclosed group"},
        {R"({\rtf1 trailing\)", "trailing"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(read(c.rtf).string(), c.text) << c.rtf;
}

TEST(RTFReader, AFaceNamedBoldStaysBoldUntilAnotherFontIsChosen) {
    const AttributedString text =
        read(R"({\rtf1{\fonttbl\f0 Helvetica;\f1 Helvetica-Bold;}\f1 Title\par\f0 Body})");
    EXPECT_TRUE(text.attributesAtIndex(at(text, "Title")).effectiveFont().isBold());
    EXPECT_FALSE(text.attributesAtIndex(at(text, "Body")).effectiveFont().isBold());
}

TEST(RTFReader, HyperlinkFieldsBecomeLinks) {
    const AttributedString text = read(
        R"({\rtf1 See {\field{\*\fldinst{HYPERLINK "https://example.com/a b"}}{\fldrslt \ul the site}} now.})");
    EXPECT_EQ(text.string(), "See the site now.");
    const auto link = text.attributesAtIndex(at(text, "site"));
    EXPECT_EQ(link.link, "https://example.com/a b");
    EXPECT_EQ(link.underlineStyle, platform::UnderlineStyleSingle);
    EXPECT_FALSE(text.attributesAtIndex(at(text, "now")).link.has_value());
}

TEST(RTFReader, RefusesWhatIsNotRTF) {
    EXPECT_FALSE(attributedStringFromRTF("").has_value());
    EXPECT_FALSE(attributedStringFromRTF("plain text").has_value());
    EXPECT_FALSE(attributedStringFromRTF("<html>{\\rtf1 x}</html>").has_value());
    EXPECT_FALSE(attributedStringWithRTFFile("/nonexistent/about.rtf").has_value());
}
