#include "graphics/XMLParser.h"

#include "graphics/PakFile.h"

#include <cctype>
#include <cwctype>

namespace Pyxo {
namespace {

// The whitespace test applies to 8-bit characters only: a wide character whose low byte happens to be a blank
// is an ordinary character.
bool IsBlank(wchar_t c)
{
    return c < 256 && std::isspace(int(c)) != 0;
}

bool EndsWith(const std::wstring& text, const wchar_t* tail)
{
    const std::wstring_view suffix(tail);
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::wstring DecodeEntities(const std::wstring& text)
{
    std::wstring out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const size_t semicolon = text[i] == L'&' ? text.find(L';', i + 1) : std::wstring::npos;
        if (semicolon == std::wstring::npos) {
            out += text[i++];
            continue;
        }
        const std::wstring_view name(text.data() + i + 1, semicolon - i - 1);
        if (name == L"lt") {
            out += L'<';
        } else if (name == L"amp") {
            out += L'&';
        } else if (name == L"gt") {
            out += L'>';
        } else if (name == L"quot") {
            out += L'"';
        } else if (name == L"apos") {
            out += L'\'';
        } else if (name == L"nbsp") {
            out += L' ';
        } else if (name == L"cr") {
            out += L'\n';
        } else {
            out += L'&'; // unknown names, numeric references included, leave a lone '&'
        }
        i = semicolon + 1;
    }
    return out;
}

struct PendingAttribute {
    std::wstring name;
    std::wstring value;
    bool hasEquals = false;
    bool closedByQuote = false;
};

void AddAttribute(XMLItem& item, const PendingAttribute& pending, std::wstring& lastName)
{
    std::wstring name = DecodeEntities(pending.name);
    std::wstring value = DecodeEntities(pending.value);
    const bool known = item.attributes.count(name) != 0;
    if (!known && name != L"/") {
        item.attributeOrder.push_back(name);
    }
    item.attributes.insert_or_assign(name, std::move(value));
    lastName = std::move(name);
}

} // namespace

XMLParser::~XMLParser()
{
    Close();
}

void XMLParser::Close()
{
    if (mFile != nullptr) {
        PakFClose(mFile);
        mFile = nullptr;
    }
}

bool XMLParser::Fail(const std::wstring& text)
{
    if (!mHasFailed) {
        mHasFailed = true;
        mErrorText = text;
    }
    return false;
}

bool XMLParser::Open(const std::string& fileName)
{
    Close();
    mPushBack.clear();
    mBufferPos = mBufferLength = 0;
    mPendingLowSurrogate = 0;
    mFile = PakFOpen(fileName.c_str(), "r");
    if (mFile == nullptr) {
        mHasFailed = true;
        mErrorText = L"Unable to open file " + std::wstring(fileName.begin(), fileName.end());
        mLineNumber = 0;
        return false;
    }
    mFileName = fileName;
    mSection.clear();
    mErrorText.clear();
    mHasFailed = false;
    mLineNumber = 1;
    mFirstChar = true;
    mByteSwap = false;
    mSeenByteOrderMark = false;

    // The mark stays in the stream; the chosen reader skips it as its first character.
    mEncoding = Encoding::SingleByte;
    FillBuffer();
    const uint8_t* b = mBuffer;
    if (mBufferLength >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF))) {
        mEncoding = Encoding::Utf16;
    } else if (mBufferLength >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        mEncoding = Encoding::Utf8;
    }
    return true;
}

bool XMLParser::FillBuffer()
{
    // Keep unread bytes (at most a few) so that the start of the file can be looked at before it is read.
    size_t kept = mBufferLength - mBufferPos;
    for (size_t i = 0; i < kept; ++i) {
        mBuffer[i] = mBuffer[mBufferPos + i];
    }
    mBufferPos = 0;
    mBufferLength = kept;
    if (mFile == nullptr) {
        return kept > 0;
    }
    while (mBufferLength < sizeof(mBuffer)) {
        const size_t got = PakFRead(mBuffer + mBufferLength, 1, sizeof(mBuffer) - mBufferLength, mFile);
        if (got == 0) {
            break;
        }
        mBufferLength += got;
    }
    return mBufferLength > 0;
}

bool XMLParser::ReadByte(uint8_t& byte)
{
    if (mBufferPos >= mBufferLength && !FillBuffer()) {
        return false;
    }
    byte = mBuffer[mBufferPos++];
    return true;
}

XMLParser::CharResult XMLParser::ReadUtf8(wchar_t& c)
{
    for (;;) {
        uint8_t lead = 0;
        if (!ReadByte(lead)) {
            return CharResult::End;
        }
        int extra = 0;
        uint32_t code = 0;
        if (lead < 0x80) {
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            code = lead & 0x07;
        } else if ((lead & 0xFC) == 0xF8) {
            extra = 4;
            code = lead & 0x03;
        } else if ((lead & 0xFE) == 0xFC) {
            extra = 5;
            code = lead & 0x01;
        } else {
            return CharResult::Illegal; // a continuation byte, or FE / FF
        }
        for (int i = 0; i < extra; ++i) {
            uint8_t next = 0;
            if (!ReadByte(next) || (next & 0xC0) != 0x80) {
                return CharResult::Illegal;
            }
            code = code << 6 | (next & 0x3F);
        }
        static constexpr uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000, 0x200000, 0x4000000};
        if (code < kSmallest[extra] || (code >= 0xD800 && code <= 0xDFFF) || code == 0xFFFE || code == 0xFFFF ||
            code > 0x10FFFF) {
            return CharResult::Illegal;
        }
        if (code == 0xFEFF && !mSeenByteOrderMark) {
            mSeenByteOrderMark = true;
            continue;
        }
        if (code > 0xFFFF) {
            code -= 0x10000;
            c = wchar_t(0xD800 + (code >> 10));
            mPendingLowSurrogate = wchar_t(0xDC00 + (code & 0x3FF));
            return CharResult::Ok;
        }
        c = wchar_t(code);
        return CharResult::Ok;
    }
}

XMLParser::CharResult XMLParser::ReadUtf16(wchar_t& c)
{
    auto unit = [this](uint16_t& out) {
        uint8_t a = 0;
        uint8_t b = 0;
        if (!ReadByte(a) || !ReadByte(b)) {
            return false;
        }
        out = mByteSwap ? uint16_t(a << 8 | b) : uint16_t(a | b << 8);
        return true;
    };
    uint16_t u = 0;
    if (!unit(u)) {
        return CharResult::End;
    }
    if (mFirstChar) {
        mFirstChar = false;
        if (u == 0xFEFF || u == 0xFFFE) {
            mByteSwap = u == 0xFFFE;
            if (!unit(u)) {
                return CharResult::End;
            }
        }
    }
    if (u >= 0xD800 && u <= 0xDBFF) {
        uint16_t low = 0;
        if (!unit(low) || low < 0xDC00 || low > 0xDFFF) {
            return CharResult::Illegal;
        }
        mPendingLowSurrogate = wchar_t(low);
    }
    c = wchar_t(u);
    return CharResult::Ok;
}

XMLParser::CharResult XMLParser::ReadFileChar(wchar_t& c)
{
    if (mPendingLowSurrogate != 0) {
        c = mPendingLowSurrogate;
        mPendingLowSurrogate = 0;
        return CharResult::Ok;
    }
    switch (mEncoding) {
    case Encoding::Utf8:
        return ReadUtf8(c);
    case Encoding::Utf16:
        return ReadUtf16(c);
    case Encoding::SingleByte:
        break;
    }
    uint8_t byte = 0;
    if (!ReadByte(byte)) {
        return CharResult::End;
    }
    c = wchar_t(byte);
    return CharResult::Ok;
}

XMLParser::CharResult XMLParser::NextChar(wchar_t& c)
{
    if (!mPushBack.empty()) {
        c = mPushBack.back();
        mPushBack.pop_back();
        return CharResult::Ok;
    }
    const CharResult result = ReadFileChar(c);
    if (result == CharResult::Ok && c == L'\n') {
        ++mLineNumber;
    }
    return result;
}

void XMLParser::PushBack(const std::wstring& text)
{
    for (auto it = text.rbegin(); it != text.rend(); ++it) {
        mPushBack.push_back(*it);
    }
}

/// What is known of the item being read besides the item itself.
struct XMLParser::ItemScan {
    bool quoted = false;
    bool sawSpace = false;     // whitespace since the last character taken, once the value had begun
    bool inAttributes = false; // a start tag's name has ended
    bool instructionBody = false;
    PendingAttribute pending;
    std::wstring lastAttribute; // name of the attribute added last
};

bool XMLParser::ReadItem(XMLItem& item)
{
    if (mFile == nullptr || mHasFailed) {
        return false;
    }
    for (;;) {
        item = XMLItem{};
        item.section = mSection;
        ItemScan scan;
        Step step = Step::More;
        while (step == Step::More) {
            wchar_t c = 0;
            const CharResult result = NextChar(c);
            if (result == CharResult::Illegal) {
                return Fail(L"Illegal Character");
            }
            if (result == CharResult::End) {
                if (item.type != XMLItemType::None) {
                    return Fail(L"Unexpected End of File");
                }
                return false;
            }
            step = ScanChar(item, scan, c);
        }
        if (step == Step::Failed) {
            return false;
        }

        item.value = DecodeEntities(item.value);
        if (item.type == XMLItemType::Comment && !mAllowComments) {
            continue;
        }
        return true;
    }
}

XMLParser::Step XMLParser::Failure(const std::wstring& text)
{
    Fail(text);
    return Step::Failed;
}

XMLParser::Step XMLParser::ScanChar(XMLItem& item, ItemScan& scan, wchar_t c)
{
    if (item.type == XMLItemType::Comment) {
        item.instruction += c;
        if (c == L'>' && EndsWith(item.instruction, L"-->")) {
            item.instruction.resize(item.instruction.size() - 3);
            return Step::Complete;
        }
        return Step::More;
    }
    if (item.type == XMLItemType::Instruction) {
        if (!scan.instructionBody && std::iswspace(wint_t(c))) {
            scan.instructionBody = true;
        }
        std::wstring& filled = scan.instructionBody ? item.instruction : item.value;
        filled += c;
        if (c == L'>' && EndsWith(filled, L"?>")) {
            filled.resize(filled.size() - 2);
            return Step::Complete;
        }
        return Step::More;
    }

    const bool inTag = item.type == XMLItemType::Start || item.type == XMLItemType::End;
    if (c == L'"') {
        scan.quoted = !scan.quoted;
        if (!inTag) {
            TakeChar(item, scan, c); // quotes stay part of text
        } else if (!scan.quoted && scan.inAttributes && scan.pending.hasEquals) {
            scan.pending.closedByQuote = true;
        }
    } else if (scan.quoted) {
        TakeChar(item, scan, c);
    } else if (c == L'<') {
        if (item.type == XMLItemType::Text) {
            mPushBack.push_back(c);
            return Step::Complete;
        }
        if (item.type != XMLItemType::None) {
            return Failure(L"Unexpected '<'");
        }
        item.type = XMLItemType::Start;
    } else if (c == L'>') {
        return CloseTag(item, scan);
    } else if (c == L'/' && item.type == XMLItemType::Start && item.value.empty()) {
        item.type = XMLItemType::End;
    } else if (c == L'?' && item.type == XMLItemType::Start && item.value.empty()) {
        item.type = XMLItemType::Instruction;
    } else if (IsBlank(c)) {
        if (item.type == XMLItemType::Start && !scan.inAttributes && item.value == L"!--") {
            item.type = XMLItemType::Comment;
            item.value.clear();
        } else if (!item.value.empty()) {
            scan.sawSpace = true;
        }
    } else if (c < 33) {
        return Failure(L"Illegal Character");
    } else {
        TakeChar(item, scan, c);
    }
    return Step::More;
}

XMLParser::Step XMLParser::CloseTag(XMLItem& item, ItemScan& scan)
{
    if (item.type == XMLItemType::Start) {
        if (scan.inAttributes && (!scan.pending.name.empty() || scan.pending.hasEquals)) {
            AddAttribute(item, scan.pending, scan.lastAttribute);
        }
        bool selfClosing = false;
        if (scan.inAttributes && scan.pending.name == L"/") {
            selfClosing = true;
        } else if (!item.attributes.empty()) {
            std::wstring& value = item.attributes[scan.lastAttribute];
            if (!value.empty() && value.back() == L'/') {
                value.pop_back();
                selfClosing = true;
            }
        } else if (!item.value.empty() && item.value.back() == L'/') {
            item.value.pop_back();
            selfClosing = true;
        }
        if (selfClosing) {
            PushBack(L"</" + item.value + L">");
        }
        if (!mSection.empty()) {
            mSection += L'/';
        }
        mSection += item.value;
        return Step::Complete;
    }
    if (item.type == XMLItemType::End) {
        if (mSection.empty()) {
            return Failure(L"Unexpected End");
        }
        const size_t slash = mSection.rfind(L'/');
        const std::wstring open = slash == std::wstring::npos ? mSection : mSection.substr(slash + 1);
        if (open != item.value) {
            return Failure(L"End '" + item.value + L"' Doesn't Match Start '" + open + L"'");
        }
        mSection.resize(slash == std::wstring::npos ? 0 : slash);
        return Step::Complete;
    }
    return Failure(L"Unexpected '>'");
}

void XMLParser::TakeChar(XMLItem& item, ItemScan& scan, wchar_t c)
{
    if (item.type == XMLItemType::None) {
        item.type = XMLItemType::Text;
    }
    if (item.type == XMLItemType::Start) {
        if (!scan.inAttributes && scan.sawSpace) {
            scan.inAttributes = true;
            scan.sawSpace = false;
        }
        if (!scan.inAttributes) {
            item.value += c;
            return;
        }
        PendingAttribute& pending = scan.pending;
        const bool nameEnded = !pending.name.empty() && !pending.hasEquals && c != L'=';
        const bool valueEnded = pending.hasEquals && (!pending.value.empty() || pending.closedByQuote);
        if (scan.sawSpace && (nameEnded || valueEnded)) {
            AddAttribute(item, pending, scan.lastAttribute);
            pending = PendingAttribute{};
        }
        scan.sawSpace = false;
        if (!pending.hasEquals && c == L'=' && !scan.quoted) {
            pending.hasEquals = true;
        } else if (pending.hasEquals) {
            pending.value += c;
        } else {
            pending.name += c;
        }
        return;
    }
    // Text and end tags: runs of whitespace inside become one space; leading and trailing ones go.
    if (scan.sawSpace) {
        item.value += L' ';
        scan.sawSpace = false;
    }
    item.value += c;
}

} // namespace Pyxo
