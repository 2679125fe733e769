#pragma once

#include <string>

/// What a status indicator (bubble or bar) reads from the actor it floats over: the actor's value (patience,
/// tidiness), the wish or state it shows, the icon of the bubble and a text. Actors that are shown by indicators
/// implement it. Main thread.
class TIStatSrc {
public:
    virtual ~TIStatSrc() = default;

    /// The bar's value (0..100); false when the actor has none to show now.
    virtual bool GetStatValue(float& value) = 0;
    /// The wish or state the bubble shows; false when there is none.
    virtual bool GetStatAnimName(std::string& name) = 0;
    /// The bubble's icon animation; false when there is none.
    virtual bool GetStatIconName(std::string& name) = 0;
    /// A text of the actor; false (nothing) unless the actor has one.
    virtual bool GetStatText(std::string& /*text*/) { return false; }
    [[nodiscard]] virtual bool IsStatActive() = 0;
    [[nodiscard]] virtual bool IsStatBusy() = 0;
    [[nodiscard]] virtual bool GetStatFlag() { return false; }

protected:
    TIStatSrc() = default;
    TIStatSrc(const TIStatSrc&) = default;
    TIStatSrc& operator=(const TIStatSrc&) = default;
};
