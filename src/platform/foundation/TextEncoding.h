#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Turning the bytes of files written elsewhere into UTF-8: conversion from any character set
// iconv knows, and the guesses for text that does not say what it is in.
namespace platform::text_encoding {

// Length of the UTF-8 sequence starting at text[i], or 0 when it is not valid there.
std::size_t utf8SequenceLength(std::string_view text, std::size_t i);
// Offset of the first byte that is not UTF-8, if any.
std::optional<std::size_t> firstInvalidUtf8(std::string_view text);
bool isUtf8(std::string_view text);
// Whether text that is not valid UTF-8 is damaged UTF-8 rather than text in an 8-bit character
// set: its valid multi-byte sequences outnumber its bad bytes (8-bit text forms such sequences
// only by chance, and rarely).
bool isDamagedUtf8(std::string_view text);
// The text with each byte that is not UTF-8 replaced by U+FFFD.
std::string repairedUtf8(std::string_view text);

// The bytes in `charset` (a name iconv knows, such as "ISO-8859-1", "Windows-1252" or
// "Shift_JIS", in any case) as UTF-8; nullopt when the charset is unknown or the bytes are not
// valid in it.
std::optional<std::string> toUtf8(std::string_view bytes, std::string_view charset);

// "UTF-16LE" or "UTF-16BE" for text that is UTF-16 by its byte-order mark or, without one, by
// its zero bytes; "" otherwise. The mark itself is left for the conversion to drop.
std::string_view utf16Encoding(std::string_view bytes);

// Text in an 8-bit character set that does not say which, as UTF-8: Shift_JIS when it reads as
// such (double-byte characters whose second bytes are mostly above ASCII, as Japanese text has
// and Latin text misread never does), otherwise Windows-1252, the set of the programs that
// write such files, or ISO-8859-1 for the few bytes Windows-1252 leaves undefined.
std::string undeclaredToUtf8(std::string_view bytes);

// Whether the charset name means UTF-8 (or its ASCII subset).
bool isUtf8Name(std::string_view charset);

} // namespace platform::text_encoding
