#pragma once

#include "engine/EngineLog.h"
#include "engine/XmlConfig.h"

#include <pugixml.hpp>

#include <map>
#include <string>

/// Reads one record per `element` child of the parent into the registry by its "name": an element without a name
/// is skipped, and the first record of a name stays; both are logged, naming cfg\cfg.xml and the element's place.
/// `loaded` runs on each record read, after its Load. Loading thread or main thread, never both.
template <typename Config, typename Loaded>
void LoadNamedConfigs(pugi::xml_node parent, const char* element, const char* what,
                      std::map<std::string, Config>& configs, Loaded loaded)
{
    constexpr size_t kNameSize = 128;
    int index = 0;
    for (pugi::xml_node node : parent.children(element)) {
        ++index;
        std::string name;
        if (!XmlGetAttrString(node, "name", name, kNameSize) || name.empty()) {
            EngineLog("cfg\\cfg.xml: \"%s\" element %d has no \"name\"; skipped", element, index);
            continue;
        }
        if (configs.count(name)) {
            EngineLog("cfg\\cfg.xml: %s \"%s\" is defined again (element %d); the first definition stays", what,
                      name.c_str(), index);
            continue;
        }
        Config& config = configs[name];
        config.Load(node);
        loaded(config);
    }
}

template <typename Config>
void LoadNamedConfigs(pugi::xml_node parent, const char* element, const char* what,
                      std::map<std::string, Config>& configs)
{
    LoadNamedConfigs(parent, element, what, configs, [](Config&) {});
}
