#pragma once

#include "shell/MusicInterface.h"

namespace Pyxo {

/// The music interface used when music is on without the music library: it plays nothing, but accepts every
/// song it is asked to load.
class BassMusicInterface : public MusicInterface {
public:
    bool LoadMusic(int /*songId*/, const std::string& /*fileName*/) override { return true; }
};

} // namespace Pyxo
