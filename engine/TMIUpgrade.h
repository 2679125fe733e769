#pragma once

#include <string>

/// An object that an upgrade bought between days changes: it takes the upgrade's skin.
class TMIUpgrade {
public:
    virtual ~TMIUpgrade() = default;
    /// Takes the skin and starts the current animation again in it; false when no part could start it.
    virtual bool ApplyUpgrade(const std::string& skin) = 0;

protected:
    TMIUpgrade() = default;
    TMIUpgrade(const TMIUpgrade&) = default;
    TMIUpgrade& operator=(const TMIUpgrade&) = default;
};
