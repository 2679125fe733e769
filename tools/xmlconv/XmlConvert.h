#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

/// The content build's XML converter: configuration is written as UTF-8 and the game reads UTF-16LE with a
/// byte-order mark. The build runs it through the ilvane-xmlconv program; tests call it to write their fixtures.
/// Nothing is substituted: input that is not valid UTF-8 (or, for whole files, not well-formed XML) is refused
/// with the line it was found on.
namespace XmlConvert {

/// Why an input was refused: the line (1-based) and what was wrong there.
struct Failure {
    size_t line = 0;
    std::string message;
};

/// Checks that the text is valid UTF-8: no stray continuation bytes, no truncated or overlong sequences, no
/// surrogates, nothing beyond U+10FFFF. A byte-order mark at the start is allowed.
[[nodiscard]] bool CheckUtf8(std::string_view utf8, Failure& failure);

/// Converts valid UTF-8 to UTF-16LE bytes that begin with the byte-order mark FF FE (a UTF-8 mark in the input is
/// not carried over). False, with out untouched, when CheckUtf8 refuses the input.
[[nodiscard]] bool Utf8ToUtf16Le(std::string_view utf8, std::vector<uint8_t>& out, Failure& failure);

/// Checks that the UTF-8 text is one well-formed XML document (the parser the game uses, with its default rules).
[[nodiscard]] bool CheckWellFormed(std::string_view utf8, Failure& failure);

/// Reads the UTF-8 file, checks it with CheckUtf8 and CheckWellFormed, and writes the UTF-16LE file (missing
/// folders are created; the target is replaced only once the whole file is written). On failure the text is
/// "<input>:<line>: <message>" and the output is not written.
[[nodiscard]] bool ConvertFile(const std::filesystem::path& input, const std::filesystem::path& output,
                               std::string& error);

} // namespace XmlConvert
