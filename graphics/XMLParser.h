#pragma once

#include "graphics/PakInterface.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Pyxo {

enum class XMLItemType : int { None = 0, Start = 1, End = 2, Text = 3, Instruction = 4, Comment = 5 };

/// One item of a document as ReadItem returns it.
struct XMLItem {
    XMLItemType type = XMLItemType::None;
    std::wstring section;     // names of the elements open when the item began, outermost first, joined by '/'
    std::wstring value;       // tag name, text, or an instruction's target
    std::wstring instruction; // the rest of a processing instruction, or a comment's body
    std::map<std::wstring, std::wstring> attributes; // a repeated name keeps its last value
    std::vector<std::wstring> attributeOrder;        // names as they first appeared
};

/// The framework's small pull reader for XML files (the resource manifest), read through the pack layer. Not
/// validating; no DTD, CDATA or numeric references. Single-byte, UTF-8 and UTF-16 files (by byte-order mark); a
/// character beyond U+FFFF becomes a UTF-16 surrogate pair. Errors carry the line they occurred on; the first
/// one is kept. One thread at a time.
class XMLParser {
public:
    XMLParser() = default;
    virtual ~XMLParser();
    XMLParser(const XMLParser&) = delete;
    XMLParser& operator=(const XMLParser&) = delete;

    [[nodiscard]] bool Open(const std::string& fileName);
    /// Next item of the document; false at its end or on an error (HasFailed tells which).
    [[nodiscard]] bool ReadItem(XMLItem& item);

    /// Comments are skipped unless allowed.
    void AllowComments(bool allow) { mAllowComments = allow; }

    bool HasFailed() const { return mHasFailed; }
    const std::wstring& GetErrorText() const { return mErrorText; }
    int GetLineNumber() const { return mLineNumber; }
    const std::string& GetFileName() const { return mFileName; }

private:
    enum class CharResult { Ok, End, Illegal };
    enum class Encoding { SingleByte, Utf8, Utf16 };

    bool Fail(const std::wstring& text);
    void Close();
    bool FillBuffer();
    bool ReadByte(uint8_t& byte);
    CharResult ReadFileChar(wchar_t& c);
    CharResult ReadUtf8(wchar_t& c);
    CharResult ReadUtf16(wchar_t& c);
    CharResult NextChar(wchar_t& c);
    void PushBack(const std::wstring& text);

    // The steps of ReadItem: each character goes to the item's kind (comment, instruction, tag or text); a '>'
    // closes a tag; the characters kept go into the tag's name, an attribute or the text.
    struct ItemScan;
    enum class Step { More, Complete, Failed };
    Step Failure(const std::wstring& text); // Fail, as a step
    Step ScanChar(XMLItem& item, ItemScan& scan, wchar_t c);
    Step CloseTag(XMLItem& item, ItemScan& scan);
    static void TakeChar(XMLItem& item, ItemScan& scan, wchar_t c);

    std::string mFileName;
    std::wstring mErrorText;
    int mLineNumber = 0;
    PakFileHandle* mFile = nullptr; // owned; closed by Close
    bool mHasFailed = false;
    bool mAllowComments = false;
    std::vector<wchar_t> mPushBack; // a stack: the last character pushed is read first
    std::wstring mSection;
    Encoding mEncoding = Encoding::SingleByte;
    bool mFirstChar = true;
    bool mByteSwap = false;
    bool mSeenByteOrderMark = false;
    wchar_t mPendingLowSurrogate = 0; // second half of a character beyond U+FFFF read from UTF-8

    uint8_t mBuffer[4096] = {};
    size_t mBufferPos = 0;
    size_t mBufferLength = 0;
};

} // namespace Pyxo
