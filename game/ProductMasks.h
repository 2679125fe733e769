#pragma once

#include <string>

/// Products, trays and wishes are masks: one character per product slot of a tray, '0' for an empty slot and any
/// other character for a filled (or wanted) one. "super" and "wash" are products but not masks.

/// Both masks are non-empty, of equal length, and no slot is filled in both.
[[nodiscard]] bool MasksCompatible(const std::string& a, const std::string& b);
/// A copy of a (of b when a is empty); when both are non-empty every slot filled in b is filled from b.
[[nodiscard]] std::string MergeMasks(const std::string& a, const std::string& b);
/// Some active client wants exactly this mask.
[[nodiscard]] bool AnyClientWants(const std::string& mask);
