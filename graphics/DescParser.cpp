#include "graphics/DescParser.h"

#include "graphics/PakFile.h"
#include "shell/StringHelpers.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace Pyxo {
namespace {

bool IsQuote(wchar_t c)
{
    return c == L'\'' || c == L'"';
}

bool IsNumberStart(wchar_t c)
{
    return (c >= L'0' && c <= L'9') || c == L'-' || c == L'+';
}

} // namespace

std::unique_ptr<DataElement> SingleDataElement::Duplicate() const
{
    return std::make_unique<SingleDataElement>(mString);
}

ListDataElement::ListDataElement(const ListDataElement& other) : DataElement(true)
{
    mElementVector.reserve(other.mElementVector.size());
    for (const auto& element : other.mElementVector)
        mElementVector.push_back(element->Duplicate());
}

ListDataElement& ListDataElement::operator=(const ListDataElement& other)
{
    if (this != &other) {
        std::vector<std::unique_ptr<DataElement>> copies;
        copies.reserve(other.mElementVector.size());
        for (const auto& element : other.mElementVector)
            copies.push_back(element->Duplicate());
        mElementVector = std::move(copies);
    }
    return *this;
}

std::unique_ptr<DataElement> ListDataElement::Duplicate() const
{
    return std::make_unique<ListDataElement>(*this);
}

DescParser::~DescParser() = default;

bool DescParser::Error(const std::wstring& text)
{
    if (mError.empty()) {
        mError = text;
        if (mCurrentLineNum > 0)
            mError += L" on Line " + std::to_wstring(mCurrentLineNum);
    }
    return false;
}

const DataElement* DescParser::Dereference(const std::wstring& name) const
{
    const auto it = mDefineMap.find(WStringToUpper(name));
    return it == mDefineMap.end() ? nullptr : it->second.get();
}

bool DescParser::LoadDescriptor(const std::string& fileName)
{
    mError.clear();
    mCurrentLine.clear();
    mCurrentLineNum = 0;
    PakFileHandle* file = PakFOpen(fileName.c_str(), "rb");
    if (file == nullptr)
        return false;

    bool ok = true;
    int lineNum = 1;
    bool atLineStart = true;
    bool indented = false;
    bool inComment = false;
    bool inSingleQuotes = false;
    bool inDoubleQuotes = false;
    bool escaped = false;
    const auto endCommand = [&] {
        ok = RunCurrentCommand();
        mCurrentLine.clear();
        mCurrentLineNum = 0;
        inSingleQuotes = inDoubleQuotes = escaped = false;
    };

    while (ok && PakFEof(file) == 0) {
        const uint16_t unit = PakFGetWC(file);
        if (unit == 0xFFFF)
            break;
        const wchar_t c = wchar_t(unit);
        if (c == L'\r')
            continue;
        if (inComment) {
            if (c == L'\n') {
                ++lineNum;
                inComment = false;
                atLineStart = true;
                indented = false;
            }
            continue;
        }
        if (atLineStart) {
            if (c == L' ' || c == L'\t') {
                indented = true;
                continue;
            }
            if (c == L'\n') {
                ++lineNum;
                indented = false;
                continue;
            }
            atLineStart = false;
            if ((mCmdSep & CMDSEP_NO_INDENT) != 0 && !indented && !mCurrentLine.empty()) {
                endCommand();
                if (!ok)
                    break;
            }
            if (c == L'#') {
                inComment = true;
                continue;
            }
        }
        if (c == L'\n') {
            ++lineNum;
            atLineStart = true;
            indented = false;
        }
        // Blanks before a command's first character are not part of it, so that its line number is the line on
        // which it really starts.
        if (mCurrentLine.empty() && (c == L' ' || c == L'\t' || c == L'\n'))
            continue;

        if (escaped) {
            escaped = false;
        } else if (c == L'\\' && (inSingleQuotes || inDoubleQuotes)) {
            escaped = true; // kept: the splitter sees the backslash again
        } else if (c == L'\'' && !inDoubleQuotes) {
            inSingleQuotes = !inSingleQuotes;
        } else if (c == L'"' && !inSingleQuotes) {
            inDoubleQuotes = !inDoubleQuotes;
        } else if (c == L';' && (mCmdSep & CMDSEP_SEMICOLON) != 0 && !inSingleQuotes && !inDoubleQuotes) {
            if (!mCurrentLine.empty())
                endCommand();
            continue;
        }
        if (mCurrentLine.empty())
            mCurrentLineNum = lineNum;
        mCurrentLine += c;
    }
    if (ok && !mCurrentLine.empty())
        endCommand();

    mCurrentLine.clear();
    mCurrentLineNum = 0;
    PakFClose(file);
    return ok;
}

bool DescParser::RunCurrentCommand()
{
    ListDataElement params;
    if (!SplitToElements(mCurrentLine, params))
        return false;
    if (params.size() == 0)
        return true;
    if (params[0]->mIsList)
        return Error(L"Missing Command");
    return HandleCommand(params);
}

bool DescParser::SplitToElements(const std::wstring& text, ListDataElement& out)
{
    out.mElementVector.clear();
    std::vector<ListDataElement*> open{&out}; // innermost last
    SingleDataElement* current = nullptr;     // the token being read, null between tokens
    bool inSingleQuotes = false;
    bool inDoubleQuotes = false;
    const auto append = [&](wchar_t c) {
        if (current == nullptr) {
            auto element = std::make_unique<SingleDataElement>();
            current = element.get();
            open.back()->mElementVector.push_back(std::move(element));
        }
        current->mString += c;
    };

    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\\') {
            if (i + 1 < text.size())
                append(text[++i]);
            continue;
        }
        if (inSingleQuotes || inDoubleQuotes) {
            if (c == L'\'' && inSingleQuotes)
                inSingleQuotes = false;
            else if (c == L'"' && inDoubleQuotes)
                inDoubleQuotes = false;
            append(c);
            continue;
        }
        switch (c) {
        case L' ':
        case L'\t':
        case L'\n':
        case L',':
            current = nullptr;
            break;
        case L'(': {
            if (current != nullptr)
                return Error(L"Unexpected List Start");
            if (open.size() > kMaxListDepth)
                return Error(L"List Nesting Too Deep");
            auto list = std::make_unique<ListDataElement>();
            ListDataElement* inner = list.get();
            open.back()->mElementVector.push_back(std::move(list));
            open.push_back(inner);
            break;
        }
        case L')':
            current = nullptr;
            if (open.size() == 1)
                return Error(L"Unexpected List End");
            open.pop_back();
            break;
        default:
            if (c == L'\'')
                inSingleQuotes = true;
            else if (c == L'"')
                inDoubleQuotes = true;
            append(c);
            break;
        }
    }
    if (inSingleQuotes)
        return Error(L"Unterminated Single Quotes");
    if (inDoubleQuotes)
        return Error(L"Unterminated Double Quotes");
    if (open.size() > 1)
        return Error(L"Unterminated List");
    return true;
}

std::wstring DescParser::Unquote(const std::wstring& text)
{
    if (text.empty() || !IsQuote(text[0]))
        return text;
    const wchar_t quote = text[0];
    std::wstring result;
    result.reserve(text.size());
    bool afterDroppedQuote = false;
    for (const wchar_t c : text) {
        if (c != quote) {
            result += c;
            afterDroppedQuote = false;
        } else if (afterDroppedQuote) {
            result += c;
            afterDroppedQuote = false;
        } else {
            afterDroppedQuote = true;
        }
    }
    return result;
}

bool DescParser::IsLiteral(const std::wstring& text)
{
    return !text.empty() && (IsNumberStart(text[0]) || IsQuote(text[0]));
}

void DescParser::SetDefine(const std::wstring& name, std::unique_ptr<DataElement> value)
{
    mDefineMap[WStringToUpper(name)] = std::move(value);
}

bool DescParser::HandleDefine(const ListDataElement& params)
{
    if (params.size() != 3)
        return Error(L"Invalid Number of Parameters");
    const DataElement* name = params[1];
    if (name->mIsList || IsLiteral(static_cast<const SingleDataElement*>(name)->mString))
        return Error(L"Invalid Paramater Type");
    const std::wstring& nameText = static_cast<const SingleDataElement*>(name)->mString;

    std::unique_ptr<DataElement> value;
    if (params[2]->mIsList) {
        auto list = std::make_unique<ListDataElement>();
        if (!ResolveList(*static_cast<const ListDataElement*>(params[2]), *list))
            return false;
        value = std::move(list);
    } else if (const DataElement* known = Dereference(static_cast<const SingleDataElement*>(params[2])->mString)) {
        value = known->Duplicate();
    } else {
        value = params[2]->Duplicate();
    }
    SetDefine(nameText, std::move(value));
    return true;
}

bool DescParser::ResolveList(const ListDataElement& source, ListDataElement& out)
{
    out.mElementVector.clear();
    size_t budget = kMaxResolvedElements;
    if (!ResolveInto(source, out, 1, budget)) {
        out.mElementVector.clear();
        return false;
    }
    return true;
}

bool DescParser::ResolveInto(const ListDataElement& source, ListDataElement& out, size_t depth, size_t& budget)
{
    if (depth > kMaxListDepth)
        return Error(L"List Nesting Too Deep");
    for (const auto& element : source.mElementVector) {
        if (budget == 0)
            return Error(L"List Too Large");
        --budget;
        if (element->mIsList) {
            auto list = std::make_unique<ListDataElement>();
            if (!ResolveInto(*static_cast<const ListDataElement*>(element.get()), *list, depth + 1, budget))
                return false;
            out.mElementVector.push_back(std::move(list));
            continue;
        }
        const std::wstring& text = static_cast<const SingleDataElement*>(element.get())->mString;
        if (!text.empty() && IsQuote(text[0])) {
            out.mElementVector.push_back(std::make_unique<SingleDataElement>(Unquote(text)));
        } else if (!text.empty() && IsNumberStart(text[0])) {
            out.mElementVector.push_back(std::make_unique<SingleDataElement>(text));
        } else {
            const DataElement* value = Dereference(text);
            if (value == nullptr)
                return Error(L"Unable to Dereference \"" + text + L"\"");
            ++budget; // the copy counts its own elements
            auto copy = CopyBounded(*value, depth, budget);
            if (!copy)
                return false;
            out.mElementVector.push_back(std::move(copy));
        }
    }
    return true;
}

std::unique_ptr<DataElement> DescParser::CopyBounded(const DataElement& source, size_t depth, size_t& budget)
{
    if (budget == 0) {
        Error(L"List Too Large");
        return nullptr;
    }
    --budget;
    if (!source.mIsList)
        return source.Duplicate();
    if (depth + 1 > kMaxListDepth) {
        Error(L"List Nesting Too Deep");
        return nullptr;
    }
    auto list = std::make_unique<ListDataElement>();
    for (const auto& element : static_cast<const ListDataElement&>(source).mElementVector) {
        auto copy = CopyBounded(*element, depth + 1, budget);
        if (!copy)
            return nullptr;
        list->mElementVector.push_back(std::move(copy));
    }
    return list;
}

bool DescParser::DataToString(const DataElement* source, std::wstring& out)
{
    if (source == nullptr || source->mIsList)
        return false;
    const std::wstring* text = &static_cast<const SingleDataElement*>(source)->mString;
    if (const DataElement* value = Dereference(*text)) {
        if (value->mIsList)
            return false;
        text = &static_cast<const SingleDataElement*>(value)->mString;
    }
    out = Unquote(*text);
    return true;
}

bool DescParser::DataToList(const DataElement* source, ListDataElement& out)
{
    if (source == nullptr)
        return false;
    if (source->mIsList)
        return ResolveList(*static_cast<const ListDataElement*>(source), out);
    const std::wstring& name = static_cast<const SingleDataElement*>(source)->mString;
    const DataElement* value = Dereference(name);
    if (value == nullptr || !value->mIsList)
        return Error(L"Unable to Dereference \"" + name + L"\"");
    out = *static_cast<const ListDataElement*>(value);
    return true;
}

bool DescParser::DataToStringVector(const DataElement* source, std::vector<std::wstring>& out)
{
    out.clear();
    if (source == nullptr)
        return false;
    // A definition is used where it is stored; it was resolved when it was made.
    ListDataElement resolved;
    const ListDataElement* list = nullptr;
    if (source->mIsList) {
        if (!ResolveList(*static_cast<const ListDataElement*>(source), resolved))
            return false;
        list = &resolved;
    } else {
        const std::wstring& name = static_cast<const SingleDataElement*>(source)->mString;
        const DataElement* value = Dereference(name);
        if (value == nullptr || !value->mIsList)
            return Error(L"Unable to Dereference \"" + name + L"\"");
        list = static_cast<const ListDataElement*>(value);
    }
    out.reserve(list->size());
    for (const auto& element : list->mElementVector) {
        if (element->mIsList) {
            out.clear();
            return false;
        }
        out.push_back(static_cast<const SingleDataElement*>(element.get())->mString);
    }
    return true;
}

namespace {

// A list of numbers, each parsed by `parse`; empty and false when any element is a list or no number.
template <typename T, typename Parse>
bool NumbersOf(DescParser& parser, const DataElement* source, std::vector<T>& out, Parse parse)
{
    out.clear();
    std::vector<std::wstring> texts;
    if (!parser.DataToStringVector(source, texts))
        return false;
    out.reserve(texts.size());
    for (const std::wstring& text : texts) {
        T value{};
        if (!parse(text, value)) {
            out.clear();
            return false;
        }
        out.push_back(value);
    }
    return true;
}

} // namespace

bool DescParser::DataToIntVector(const DataElement* source, std::vector<int>& out)
{
    return NumbersOf(*this, source, out,
                     [](const std::wstring& text, int& value) { return WStringToInt(text, value); });
}

bool DescParser::DataToDoubleVector(const DataElement* source, std::vector<double>& out)
{
    return NumbersOf(*this, source, out,
                     [](const std::wstring& text, double& value) { return WStringToDouble(text, value); });
}

bool DescParser::DataToColor(const DataElement* source, Color& out)
{
    if (source == nullptr)
        return false;
    if (!source->mIsList) {
        int packed = 0;
        if (!WStringToInt(static_cast<const SingleDataElement*>(source)->mString, packed))
            return false;
        out = Color(uint32_t(packed));
        return true;
    }
    std::vector<double> channels;
    if (!DataToDoubleVector(source, channels) || channels.size() < 4)
        return false;
    int values[4];
    for (size_t i = 0; i < 4; ++i) {
        const double scaled = channels[i] * 255.0;
        if (!(std::fabs(scaled) < double(std::numeric_limits<int>::max())))
            return false;
        values[i] = int(scaled);
    }
    out = Color(values[0], values[1], values[2], values[3]);
    return true;
}

} // namespace Pyxo
