#pragma once

#include "platform/graphics/AttributedString.h"

#include <filesystem>
#include <optional>
#include <string_view>

// Reads the part of RTF that word processors write for short formatted texts such as the About
// box's credits: groups, the font and colour tables, bold, italic, underline, font, size,
// colour, paragraph alignment, paragraph and line breaks, tabs, code-page escapes (\'hh, read
// as Windows-1252), Unicode escapes (\uN with \ucN) and hyperlink fields. Pictures, style
// sheets, document information and every other destination are skipped with their contents;
// unknown control words are ignored. Text outside escapes that is valid UTF-8 is kept as it
// is, any other byte is read as Windows-1252.
//
// nullopt when the text does not start with "{\rtf".
std::optional<platform::AttributedString> attributedStringFromRTF(std::string_view rtf);
// The same for a file; nullopt when it cannot be read or is not RTF.
std::optional<platform::AttributedString>
attributedStringWithRTFFile(const std::filesystem::path& path);
