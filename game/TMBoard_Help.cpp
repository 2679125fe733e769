#include "game/TMBoard_Help.h"

// Not built yet: the screen's pages and buttons; it is constructed and loaded by name, and hides its pages.
TMBoard_Help::TMBoard_Help(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "help");
}

TMBoard_Help::~TMBoard_Help() = default;

void TMBoard_Help::HideAllPages()
{
    for (auto& [name, child] : mChildren) {
        if (name.find("page_") != std::string::npos)
            child->SetVisible(false);
    }
}
