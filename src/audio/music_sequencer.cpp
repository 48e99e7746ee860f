#include "audio/internal/music_words.h"
#include "audio/music.h"

namespace bastion {
namespace {

namespace mw = music_words;

constexpr u32 kEndMarker = 0x7FFFFFFF;
constexpr int kEventsPerFrame = 128;

u32 bits(u32 word, int low, int count) { return (word >> low) & ((1u << count) - 1u); }

void noteOn(Music::Voice& voice, const Music::Instrument& instrument, u32 pitch, u32 velocity) {
    voice.active = true;
    voice.instrument = &instrument;
    voice.words = instrument.words;
    voice.pitch = pitch;
    voice.velocity = velocity;
    std::array<u32, Music::kWords>& w = voice.words;
    const bool fm = w[0] == mw::kFm;
    if (fm) {
        w[mw::kFmPitch] = ((w[mw::kFmPitch] & 0xFFFF) * pitch) >> 4;
        if (w[mw::kModulatorStep] & mw::kFlag) w[mw::kModulatorStep] = (w[mw::kModulatorStep] & 0xFFFF) * pitch;
    } else {
        w[mw::kSampleStep] = ((w[mw::kSampleStep] & 0xFFFF) * pitch) >> 12;
    }
    u32& level = w[mw::levelWord(w[0])];
    level = (((level & 0xFFFF) * velocity) >> 8) | (level & mw::kFlag);
}

void noteOff(Music::Voice& voice) {
    std::array<u32, Music::kWords>& w = voice.words;
    if (w[0] == mw::kSample8) {
        voice.active = false;
    } else if (w[0] == mw::kFm) {
        w[mw::kFmLevel] &= ~mw::kFlag;
        w[mw::kEnvelopePosition] = w[mw::kEnvelopeRelease];
    } else {
        w[mw::kSampleLevel] &= ~mw::kFlag;
        w[mw::kSamplePosition] = w[mw::kSampleRelease];
    }
}

void changeVoice(Music::Voice& voice, u32 parameter, u32 value) {
    std::array<u32, Music::kWords>& w = voice.words;
    if (parameter == 7) {
        u32& level = w[mw::levelWord(w[0])];
        level = ((value * voice.velocity) >> 8) | (level & mw::kFlag);
    } else if (parameter == 9) {
        w[mw::pitchWord(w[0])] = (value * voice.pitch) >> 12;
    } else if (parameter == 10) {
        w[mw::kPan] = value * 256 - 1;
    }
}

void changeInstrument(Music::Instrument& instrument, u32 parameter, u32 value) {
    std::array<u32, Music::kWords>& w = instrument.words;
    if (parameter == 7) {
        u32& level = w[mw::levelWord(w[0])];
        level = value | (level & mw::kFlag);
    } else if (parameter == 9) {
        w[mw::pitchWord(w[0])] = value;
    } else if (parameter == 10) {
        w[mw::kPan] = value;
    }
}

}  // namespace

void Music::reset() {
    eventPosition = 0;
    clock = 0.0;
    phase = 0.0;
    voices = {};
    previous = {};
    current = {};
}

void Music::select(int song) {
    // Anything but a song of the seven would index past the songs.
    currentSong = song >= 0 && song < kSongs ? song : -1;
    reset();
}

void Music::start(int mission) {
    currentSong = static_cast<unsigned>(mission) < kMissionTracks ? static_cast<std::int32_t>(missionTracks[mission]) : -1;
    reset();
}

void Music::events() {
    for (int run = 0; run < kEventsPerFrame && currentSong >= 0; ++run) {
        Song& song = songs[currentSong];
        std::vector<u32>& score = song.score;
        if (score.size() < 2 || eventPosition > score.size() - 2) return;
        const u32 time = score[eventPosition];
        if (time == kEndMarker || static_cast<double>(time) > clock) return;
        u32& word = score[eventPosition + 1];
        eventPosition += 2;
        switch (word >> 29) {
            case 4: case 5: case 6: case 7: {  // note on
                const u32 instrument = bits(word, 21, 5);
                if (instrument >= song.instruments.size()) break;
                noteOn(voices[bits(word, 26, 3)], song.instruments[instrument], bits(word, 7, 14), bits(word, 0, 7) * 64);
                break;
            }
            case 3: {  // loop
                const u32 count = bits(word, 0, 8);
                if (count == 0) break;
                if (count < 128) --word;  // finished loops stay finished
                // The offset counts events, as a signed 21-bit number.
                const std::int64_t offset = static_cast<std::int32_t>(bits(word, 8, 21) << 11) >> 11;
                const std::int64_t target = static_cast<std::int64_t>(eventPosition) + 2 * offset;
                if (target < 0 || static_cast<u64>(target) + 1 >= score.size()) {
                    currentSong = -1;
                    return;
                }
                eventPosition = static_cast<u64>(target);
                clock = static_cast<double>(score[eventPosition]);
                break;
            }
            case 1: {  // parameter change
                const u32 parameter = bits(word, 15, 5);
                const u32 value = bits(word, 0, 15);
                if (word & (1u << 20)) {
                    const u32 instrument = bits(word, 21, 5);
                    if (instrument < song.instruments.size())
                        changeInstrument(song.instruments[instrument], parameter, value);
                } else {
                    changeVoice(voices[bits(word, 26, 3)], parameter, value);
                }
                break;
            }
            case 0:
                noteOff(voices[bits(word, 26, 3)]);
                break;
            default:  // 010: ignored
                break;
        }
    }
}

}  // namespace bastion
