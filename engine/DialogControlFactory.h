#pragma once

#include <pugixml.hpp>

#include <map>
#include <memory>
#include <string>

namespace Pyxo {
class PyxoAppBase;
}
class TMCandyWidget;
class TMDialog;

/// The control types of the interface description: a table from an element's "type" to the function that
/// constructs that control with the dialog as its parent and loads it from the element. Types compare exactly,
/// case kept. The process has one table, filled on first use with every control type of the engine; types are
/// entered during start-up, before any dialog loads, and only read after.
class DialogControlFactory {
public:
    /// Constructs the control with the dialog as parent and loads it from the element; null when it cannot.
    using Maker = std::unique_ptr<TMCandyWidget> (*)(TMDialog& dialog, pugi::xml_node node, Pyxo::PyxoAppBase* app);

    /// The process's table, with the engine's control types entered.
    [[nodiscard]] static DialogControlFactory& Get();

    /// Enters the type, replacing an earlier maker of the same name; a null maker removes the type.
    void Register(const std::string& type, Maker maker);
    /// The maker of the type, or null for a type outside the table.
    [[nodiscard]] Maker Find(const std::string& type) const;
    /// The control of that type, built and loaded; null for a type outside the table.
    [[nodiscard]] std::unique_ptr<TMCandyWidget> Create(const std::string& type, TMDialog& dialog, pugi::xml_node node,
                                                        Pyxo::PyxoAppBase* app) const;

private:
    std::map<std::string, Maker> mMakers;
};

/// Enters every control type the engine builds.
void RegisterDialogControls(DialogControlFactory& factory);
