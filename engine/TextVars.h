#pragma once

#include <map>
#include <string>

/// Text variables: named wide values that game code sets ("day", "cafe", "money", "normal", ...) and that text
/// controls show through their label. Owned by the engine. Main thread.
class TextVars {
public:
    TextVars() = default;
    TextVars(const TextVars&) = delete;
    TextVars& operator=(const TextVars&) = delete;

    void Set(const std::string& name, const std::wstring& text) { mValues[name] = text; }
    /// The number in decimal, with a leading '-' when negative.
    void SetNumber(const std::string& name, int value);
    /// The value; a missing variable is created empty.
    std::wstring& Get(const std::string& name) { return mValues[name]; }
    [[nodiscard]] bool Has(const std::string& name) const { return mValues.count(name) != 0; }
    void Clear() { mValues.clear(); }

private:
    std::map<std::string, std::wstring> mValues;
};
