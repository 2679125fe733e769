#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

/// The sound generator: synthesises the sample sounds from recipes, 16-bit mono at 44.1 kHz, written as WAV or,
/// for a file ending in ".ogg", encoded as Ogg Vorbis.
///
/// Recipe:
///   <sounds>
///     <sound file="sounds/click.wav" [length="0.2"] [volume="1"]>
///       <tone freq="880" [to="440"] [wave="sine|square|triangle|saw"] start="0" length="0.1" [envelope]/>
///       <noise start="0" length="0.1" [seed="1"] [envelope]/>
///       <notes start="0" tempo="120" [wave] notes="C5:1 E5:1 G5:2 R:1 A#4:0.5" [envelope]/>
///     </sound>
///   </sounds>
/// Envelope attributes (seconds, levels 0..1): volume="0.5" attack="0.01" decay="0" sustain="1" release="0.02";
/// a note sequence applies the envelope to each note. `to` makes a tone a sweep. The parts are added and the sum
/// is clipped to the 16-bit range; the sound lasts `length`, or until its last part ends.
namespace SoundTool {

inline constexpr int kSampleRate = 44100;
inline constexpr double kMaxSeconds = 600;

/// Writes every sound of the recipe below outFolder; `written` receives the paths written, relative to it. False,
/// with "<recipe>:<line>: <message>", on a faulty recipe or a failed write.
[[nodiscard]] bool GenerateSounds(const std::filesystem::path& recipe, const std::filesystem::path& outFolder,
                                  std::vector<std::string>& written, std::string& error);

} // namespace SoundTool
