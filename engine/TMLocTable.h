#pragma once

#include <map>
#include <string>

/// The localisation table: every text the player reads, by narrow text id, from cfg\loc.xml (a translation
/// replaces that one file). Owned by the engine; the game loads it once at start-up. Main thread.
class TMLocTable {
public:
    static constexpr size_t kIdSize = 128;        // an id keeps at most 127 bytes
    static constexpr size_t kTextCapacity = 2048; // a text of 2048 units or more is refused

    TMLocTable() = default;
    TMLocTable(const TMLocTable&) = delete;
    TMLocTable& operator=(const TMLocTable&) = delete;

    /// Reads the "loc" children of the "root" element of cfg\loc.xml: "id" and "text" each; entries without
    /// either, with an empty text, or with a text too long for the table are skipped (the last two logged); the
    /// first definition of an id stays. A missing or unparsable file leaves the table as it was (and is logged).
    /// Returns whether the file was read.
    bool Load();
    /// The text of the id; a shared empty text when the id is missing (the table is not changed).
    [[nodiscard]] const std::wstring& GetText(const std::string& id) const;
    void Clear() { mTexts.clear(); }
    [[nodiscard]] size_t Size() const { return mTexts.size(); }

    static constexpr const char* kFileName = "cfg\\loc.xml";

private:
    std::map<std::string, std::wstring> mTexts;
};
