#include "tools/sound/SoundSynth.h"

#include "platform/files/FileSystem.h"
#include "tools/xmlconv/XmlAssemble.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <locale>
#include <sstream>

namespace SoundTool {

namespace {

namespace fs = std::filesystem;

constexpr double kPi = 3.14159265358979323846;
constexpr int kOggSerial = 0x494C5643; // fixed, so that the stream's bytes depend on its samples alone
constexpr float kOggQuality = 0.2f;

struct RecipeError {
    pugi::xml_node node;
    std::string message;
};

[[noreturn]] void Fail(const pugi::xml_node& node, const std::string& message)
{
    throw RecipeError{node, message};
}

double Number(const pugi::xml_node& node, const char* name, double fallback, double minimum, double maximum)
{
    const pugi::xml_attribute attribute = node.attribute(name);
    if (!attribute)
        return fallback;
    std::istringstream stream(attribute.value());
    stream.imbue(std::locale::classic());
    double value = 0;
    if (!(stream >> value) || !(stream >> std::ws).eof() || !std::isfinite(value) || value < minimum ||
        value > maximum) {
        std::ostringstream range;
        range.imbue(std::locale::classic());
        range << minimum << " to " << maximum;
        Fail(node,
             std::string("attribute ") + name + "=\"" + attribute.value() + "\" must be a number from " + range.str());
    }
    return value;
}

enum class Wave { Sine, Square, Triangle, Saw };

Wave WaveOf(const pugi::xml_node& node)
{
    const std::string name = node.attribute("wave").value();
    if (name.empty() || name == "sine")
        return Wave::Sine;
    if (name == "square")
        return Wave::Square;
    if (name == "triangle")
        return Wave::Triangle;
    if (name == "saw")
        return Wave::Saw;
    Fail(node, "wave must be sine, square, triangle or saw");
}

double Oscillator(Wave wave, double phase) // phase in turns
{
    const double p = phase - std::floor(phase);
    switch (wave) {
    case Wave::Sine:
        return std::sin(2 * kPi * p);
    case Wave::Square:
        return p < 0.5 ? 1.0 : -1.0;
    case Wave::Triangle:
        return p < 0.5 ? 4 * p - 1 : 3 - 4 * p;
    case Wave::Saw:
        return 2 * p - 1;
    }
    return 0;
}

/// Volume and attack-decay-sustain-release, in seconds from the start of a note.
struct Envelope {
    double volume = 0.5, attack = 0.005, decay = 0, sustain = 1, release = 0.01;

    explicit Envelope(const pugi::xml_node& node)
        : volume(Number(node, "volume", 0.5, 0, 1)), attack(Number(node, "attack", 0.005, 0, kMaxSeconds)),
          decay(Number(node, "decay", 0, 0, kMaxSeconds)), sustain(Number(node, "sustain", 1, 0, 1)),
          release(Number(node, "release", 0.01, 0, kMaxSeconds))
    {
    }

    [[nodiscard]] double At(double t, double length) const
    {
        double level = 1;
        if (t < attack)
            level = t / attack;
        else if (t < attack + decay)
            level = 1 - (1 - sustain) * (t - attack) / decay;
        else
            level = sustain;
        if (release > 0 && t > length - release)
            level *= std::max(0.0, (length - t) / release);
        return volume * level;
    }
};

/// Adds one voice to the mix: frequency from `from` to `to` over its length.
void AddTone(std::vector<double>& mix, Wave wave, double start, double length, double from, double to,
             const Envelope& envelope)
{
    const auto first = size_t(std::llround(start * kSampleRate));
    const auto count = size_t(std::llround(length * kSampleRate));
    if (mix.size() < first + count)
        mix.resize(first + count, 0.0);
    double phase = 0;
    for (size_t i = 0; i < count; ++i) {
        const double t = double(i) / kSampleRate;
        const double frequency = from + (to - from) * (length > 0 ? t / length : 0);
        mix[first + i] += Oscillator(wave, phase) * envelope.At(t, length);
        phase += frequency / kSampleRate;
    }
}

/// MIDI note number of "C4", "A#3", "Eb5"; -1 for a rest "R".
int NoteNumber(const pugi::xml_node& node, const std::string& name)
{
    if (name == "R" || name == "r")
        return -1;
    static const int kSemitones[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    if (name.empty() || name[0] < 'A' || name[0] > 'G')
        Fail(node, "note \"" + name + "\" must be a letter A-G, an optional # or b, and an octave");
    int semitone = kSemitones[name[0] - 'A'];
    size_t at = 1;
    if (at < name.size() && (name[at] == '#' || name[at] == 'b'))
        semitone += name[at++] == '#' ? 1 : -1;
    if (at + 1 != name.size() || name[at] < '0' || name[at] > '8')
        Fail(node, "note \"" + name + "\" needs an octave from 0 to 8");
    return (name[at] - '0' + 1) * 12 + semitone;
}

void AddNotes(std::vector<double>& mix, const pugi::xml_node& node)
{
    const Wave wave = WaveOf(node);
    const Envelope envelope(node);
    const double beat = 60.0 / Number(node, "tempo", 120, 1, 1000);
    double at = Number(node, "start", 0, 0, kMaxSeconds);
    std::istringstream list(node.attribute("notes").value());
    std::string item;
    bool any = false;
    while (list >> item) {
        any = true;
        const size_t colon = item.find(':');
        double beats = 1;
        if (colon != std::string::npos) {
            std::istringstream number(item.substr(colon + 1));
            number.imbue(std::locale::classic());
            if (!(number >> beats) || !(number >> std::ws).eof() || !(beats > 0) || beats > 64)
                Fail(node, "note \"" + item + "\": the beats after ':' must be a number above 0");
        }
        const int note = NoteNumber(node, item.substr(0, colon));
        const double length = beats * beat;
        if (at + length > kMaxSeconds)
            Fail(node, "the notes last longer than " + std::to_string(int(kMaxSeconds)) + " seconds");
        if (note >= 0) {
            const double frequency = 440.0 * std::pow(2.0, (note - 69) / 12.0);
            AddTone(mix, wave, at, length, frequency, frequency, envelope);
        }
        at += length;
    }
    if (!any)
        Fail(node, "notes=\"...\" lists no notes");
}

std::vector<int16_t> Render(const pugi::xml_node& sound)
{
    std::vector<double> mix;
    for (const pugi::xml_node& part : XmlConvert::ElementChildren(sound)) {
        const std::string kind = part.name();
        if (kind == "notes") {
            AddNotes(mix, part);
            continue;
        }
        const double start = Number(part, "start", 0, 0, kMaxSeconds);
        if (!part.attribute("length"))
            Fail(part, "<" + kind + "> needs length=\"...\" in seconds");
        const double length = Number(part, "length", 0, 0, kMaxSeconds - start);
        const Envelope envelope(part);
        if (kind == "tone") {
            const double from = Number(part, "freq", 440, 1, 20000);
            AddTone(mix, WaveOf(part), start, length, from, Number(part, "to", from, 1, 20000), envelope);
        } else if (kind == "noise") {
            const auto first = size_t(std::llround(start * kSampleRate));
            const auto count = size_t(std::llround(length * kSampleRate));
            if (mix.size() < first + count)
                mix.resize(first + count, 0.0);
            // Our own generator, so that the noise is the same on every machine.
            uint32_t state = uint32_t(Number(part, "seed", 1, 0, 4294967295.0)) | 1u;
            for (size_t i = 0; i < count; ++i) {
                state ^= state << 13;
                state ^= state >> 17;
                state ^= state << 5;
                const double value = double(state) / 2147483647.5 - 1.0;
                mix[first + i] += value * envelope.At(double(i) / kSampleRate, length);
            }
        } else {
            Fail(part, "expected <tone>, <noise> or <notes>, not <" + kind + ">");
        }
    }
    if (sound.attribute("length"))
        mix.resize(size_t(std::llround(Number(sound, "length", 0, 0, kMaxSeconds) * kSampleRate)), 0.0);
    if (mix.empty())
        Fail(sound, "the sound is empty: give it parts or a length");
    const double volume = Number(sound, "volume", 1, 0, 1);
    std::vector<int16_t> samples(mix.size());
    for (size_t i = 0; i < mix.size(); ++i)
        samples[i] = int16_t(std::lround(std::clamp(mix[i] * volume, -1.0, 1.0) * 32767));
    return samples;
}

void PutLE(std::vector<uint8_t>& bytes, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.push_back(uint8_t(value >> (8 * i)));
}

std::vector<uint8_t> EncodeWav(const std::vector<int16_t>& samples)
{
    const auto dataSize = uint32_t(samples.size() * 2);
    std::vector<uint8_t> bytes;
    bytes.insert(bytes.end(), {'R', 'I', 'F', 'F'});
    PutLE(bytes, 36 + dataSize, 4);
    bytes.insert(bytes.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLE(bytes, 16, 4);
    PutLE(bytes, 1, 2); // PCM
    PutLE(bytes, 1, 2); // mono
    PutLE(bytes, kSampleRate, 4);
    PutLE(bytes, kSampleRate * 2, 4);
    PutLE(bytes, 2, 2);
    PutLE(bytes, 16, 2);
    bytes.insert(bytes.end(), {'d', 'a', 't', 'a'});
    PutLE(bytes, dataSize, 4);
    for (const int16_t sample : samples)
        PutLE(bytes, uint16_t(sample), 2);
    return bytes;
}

bool EncodeOgg(const std::vector<int16_t>& samples, std::vector<uint8_t>& out, std::string& error)
{
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 1, kSampleRate, kOggQuality) != 0) {
        vorbis_info_clear(&info);
        error = "the Vorbis encoder refused its settings";
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, kOggSerial);

    std::vector<uint8_t> bytes;
    const auto append = [&bytes](const ogg_page& page) {
        bytes.insert(bytes.end(), page.header, page.header + page.header_len);
        bytes.insert(bytes.end(), page.body, page.body + page.body_len);
    };
    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0)
        append(page);

    constexpr size_t kChunk = 4096;
    size_t at = 0;
    bool done = false;
    while (!done) {
        const size_t count = std::min(kChunk, samples.size() - at);
        if (count == 0) {
            vorbis_analysis_wrote(&dsp, 0); // the end of the stream
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, int(count));
            for (size_t i = 0; i < count; ++i)
                buffer[0][i] = float(samples[at + i]) / 32768.0f;
            vorbis_analysis_wrote(&dsp, int(count));
            at += count;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    append(page);
                    if (ogg_page_eos(&page) != 0)
                        done = true;
                }
            }
        }
        if (count == 0 && !done) {
            while (ogg_stream_flush(&stream, &page) != 0)
                append(page);
            done = true;
        }
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    out = std::move(bytes);
    return true;
}

} // namespace

bool GenerateSounds(const fs::path& recipe, const fs::path& outFolder, std::vector<std::string>& written,
                    std::string& error)
{
    XmlConvert::Recipe source;
    if (!XmlConvert::LoadRecipe(recipe, source, error))
        return false;
    std::vector<std::string> files;
    try {
        const pugi::xml_node root = source.document.document_element();
        if (std::strcmp(root.name(), "sounds") != 0)
            Fail(root, "a sound recipe's root element must be <sounds>");
        for (const pugi::xml_node& sound : XmlConvert::ElementChildren(root)) {
            if (std::strcmp(sound.name(), "sound") != 0)
                Fail(sound, std::string("expected <sound>, not <") + sound.name() + ">");
            std::string file = sound.attribute("file").value();
            std::replace(file.begin(), file.end(), '\\', '/');
            const std::string extension = fs::path(file).extension().string();
            if (file.empty() || fs::path(file).is_absolute() || file.find("..") != std::string::npos ||
                (extension != ".wav" && extension != ".ogg"))
                Fail(sound, "file=\"...\" must be a relative path ending in .wav or .ogg");
            if (std::find(files.begin(), files.end(), file) != files.end())
                Fail(sound, file + " is written twice");
            const std::vector<int16_t> samples = Render(sound);
            std::vector<uint8_t> bytes;
            if (extension == ".wav") {
                bytes = EncodeWav(samples);
            } else if (!EncodeOgg(samples, bytes, error)) {
                Fail(sound, error);
            }
            if (!Platform::WriteFileAtomic((outFolder / file).string(), bytes))
                Fail(sound, "cannot write " + (outFolder / file).string());
            files.push_back(file);
        }
    } catch (const RecipeError& fault) {
        error = recipe.string() + ":" + std::to_string(source.LineOf(fault.node)) + ": " + fault.message;
        return false;
    }
    written = std::move(files);
    return true;
}

} // namespace SoundTool
