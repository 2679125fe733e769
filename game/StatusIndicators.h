#pragma once

#include "engine/TMItem.h"

/// The small scene items that float over the cafe's actors and show their state through TIStatSrc: the status
/// bubble (class "status_bubble"), the client's patience bar ("status_hp_client") and the worker's tidiness bar
/// ("status_hp_worker"). Made by the level loader; main thread.
class TMStatus_Bubble : public TMItem {
public:
    TMStatus_Bubble() = default;
    ~TMStatus_Bubble() override = default;
};

class TMStatus_HP_Client : public TMItem {
public:
    TMStatus_HP_Client() = default;
    ~TMStatus_HP_Client() override = default;
};

class TMStatus_HP_Worker : public TMItem {
public:
    TMStatus_HP_Worker() = default;
    ~TMStatus_HP_Worker() override = default;
};
