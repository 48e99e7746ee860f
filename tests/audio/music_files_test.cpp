#include <gtest/gtest.h>

#include <functional>

#include "audio/music.h"
#include "contentgen/binary_file.h"
#include "contentgen/json_file.h"
#include "contentgen/music_content.h"
#include "contentgen/synth_waves.h"
#include "support/content/files.h"
#include "support/refusal.h"
#include "support/temp_folder.h"
#include "world/decoded_json.h"

namespace bastion {
namespace {

using nlohmann::json;
using testing_support::refusal;
using testing_support::TempFolder;

// The demo music, written once; each case edits a private copy.
const std::filesystem::path& demoMusic() {
    static const TempFolder folder("demo-music");
    static const bool written = (contentgen::writeMusic(folder.path() / "retail"),
                                 contentgen::writeSystemFolder(folder.path() / "retail"), true);
    static_cast<void>(written);
    return folder.path();
}

class MusicCopy {
public:
    MusicCopy() : folder_("music-copy") {
        std::filesystem::copy(demoMusic(), folder_.path(), std::filesystem::copy_options::recursive);
        description = readJson(audio() / "music.json");
    }
    std::filesystem::path retail() const { return folder_.path() / "retail"; }
    std::filesystem::path audio() const { return retail() / "audio"; }
    std::filesystem::path rom() const { return folder_.path() / "system/synth-wavetable.bin"; }
    json& instrument(std::size_t song, std::size_t index) {
        return description["modules"][song]["instruments"][index];
    }
    std::string load() {
        contentgen::writeJsonFile(audio() / "music.json", description);
        return refusal([&] { Music music(retail()); });
    }

    json description;

private:
    TempFolder folder_;
};

void resize(const std::filesystem::path& path, std::uintmax_t size) { std::filesystem::resize_file(path, size); }

TEST(MusicFiles, EveryLoaderMessage) {
    struct Case {
        const char* name;
        std::function<void(MusicCopy&)> edit;
        std::function<std::string(const MusicCopy&)> want;
    };
    const auto is = [](const char* text) { return [text](const MusicCopy&) { return std::string(text); }; };
    const auto missing = [](const char* file) {
        return [file](const MusicCopy& copy) { return "Missing music data: " + (copy.audio() / file).string(); };
    };
    const auto score = [](MusicCopy& copy) { return copy.audio() / "score-16.bin"; };
    const Case cases[] = {
        {"demo", [](MusicCopy&) {}, is("accepted")},
        {"schema 2.0", [](MusicCopy& c) { c.description["schema"] = 2.0; }, is("accepted")},
        {"schema text", [](MusicCopy& c) { c.description["schema"] = "2"; },
         is("Run tools/decode_audio.py for Synth instruments")},
        {"schema 3", [](MusicCopy& c) { c.description["schema"] = 3; },
         is("Run tools/decode_audio.py for Synth instruments")},
        {"no schema", [](MusicCopy& c) { c.description.erase("schema"); },
         is("Run tools/decode_audio.py for Synth instruments")},
        {"17 tracks", [](MusicCopy& c) { c.description["mission_tracks"].push_back(9); }, is("accepted")},
        {"15 tracks", [](MusicCopy& c) { c.description["mission_tracks"].erase(15); }, is("json")},
        {"track 6", [](MusicCopy& c) { c.description["mission_tracks"][3] = 6; }, is("Invalid music mapping")},
        {"track -1", [](MusicCopy& c) { c.description["mission_tracks"][0] = -1; }, is("Invalid music mapping")},
        {"six modules", [](MusicCopy& c) { c.description["modules"].erase(6); }, is("json")},
        {"19 words", [](MusicCopy& c) { c.instrument(0, 0)["words"].erase(19); }, is("json")},
        {"words object", [](MusicCopy& c) { c.instrument(0, 0)["words"] = json::object(); }, is("json")},
        {"9 envelope points", [](MusicCopy& c) { c.instrument(0, 0)["envelope"].erase(9); }, is("json")},
        {"127 wave values", [](MusicCopy& c) { c.instrument(0, 2)["modulator"]["values"].erase(127); }, is("json")},
        {"last ROM wave", [](MusicCopy& c) { c.instrument(0, 0)["carrier"] = {{"rom", 0xF1DE00}}; }, is("accepted")},
        {"ROM past the end", [](MusicCopy& c) { c.instrument(0, 0)["carrier"] = {{"rom", 0xF1E000}}; },
         is("Invalid Synth wave address")},
        {"ROM between waves", [](MusicCopy& c) { c.instrument(0, 0)["modulator"] = {{"rom", 0xF1D100}}; },
         is("Invalid Synth wave address")},
        {"ROM before the start", [](MusicCopy& c) { c.instrument(0, 0)["carrier"] = {{"rom", 0xF1CE00}}; },
         is("Invalid Synth wave address")},
        {"ROM 4095 bytes", [](MusicCopy& c) { resize(c.rom(), 4095); }, is("Invalid Synth wave ROM")},
        {"ROM 4097 bytes", [](MusicCopy& c) { resize(c.rom(), 4097); }, is("Invalid Synth wave ROM")},
        {"no ROM", [](MusicCopy& c) { std::filesystem::remove(c.rom()); },
         [](const MusicCopy& c) { return "Missing music data: " + c.rom().string(); }},
        {"score 12 bytes", [&](MusicCopy& c) { resize(score(c), 12); }, is("Invalid score length")},
        {"score 0 bytes", [&](MusicCopy& c) { resize(score(c), 0); }, is("accepted")},
        {"no score", [&](MusicCopy& c) { std::filesystem::remove(score(c)); }, missing("score-16.bin")},
        {"score folder", [&](MusicCopy& c) {
             std::filesystem::remove(score(c));
             std::filesystem::create_directory(score(c));
         }, missing("score-16.bin")},
        {"oversized score", [&](MusicCopy& c) { resize(score(c), (16u << 20) + 8); },
         [](const MusicCopy& c) { return "Oversized music data: " + (c.audio() / "score-16.bin").string(); }},
        {"sample id null", [](MusicCopy& c) { c.instrument(1, 5)["sample_id"] = nullptr; }, missing("00.bin")},
        {"sample id 123", [](MusicCopy& c) { c.instrument(1, 5)["sample_id"] = 123; }, missing("123.bin")},
        {"sample file wins", [](MusicCopy& c) { c.instrument(1, 5)["sample_file"] = "x.raw"; }, missing("x.raw")},
        {"no sample id", [](MusicCopy& c) { c.instrument(1, 4).erase("sample_id"); }, is("json")},
        {"FM needs no sample id", [](MusicCopy& c) { c.instrument(1, 0).erase("sample_id"); }, is("accepted")},
        {"sample file number", [](MusicCopy& c) { c.instrument(1, 4)["sample_file"] = 7; }, is("json")},
        {"sample outside", [](MusicCopy& c) { c.instrument(1, 4)["sample_file"] = "../system/synth-wavetable.bin"; },
         is("Invalid music sample name: ../system/synth-wavetable.bin")},
        {"sample in a folder", [](MusicCopy& c) { c.instrument(1, 4)["sample_file"] = "a/b"; },
         is("Invalid music sample name: a/b")},
        {"sample dot dot", [](MusicCopy& c) { c.instrument(1, 4)["sample_file"] = ".."; },
         is("Invalid music sample name: ..")},
        {"sample dot", [](MusicCopy& c) { c.instrument(1, 4)["sample_file"] = "."; }, is("Invalid music sample name: .")},
        {"sample empty", [](MusicCopy& c) { c.instrument(1, 4)["sample_file"] = ""; }, is("Invalid music sample name: ")},
        {"sample backslash", [](MusicCopy& c) { c.instrument(1, 4)["sample_file"] = "a\\b"; },
         is("Invalid music sample name: a\\b")},
        {"oversized sample", [](MusicCopy& c) { resize(c.audio() / "06.bin", (16u << 20) + 1); },
         [](const MusicCopy& c) { return "Oversized music data: " + (c.audio() / "06.bin").string(); }},
        {"sample rate divider wraps", [](MusicCopy& c) { c.description["sclk"] = 4294967295u; },
         is("Invalid Synth sample rate")},
        {"zero clock", [](MusicCopy& c) { c.description["system_clock"] = 0; }, is("Invalid Synth sample rate")},
        {"negative clock", [](MusicCopy& c) { c.description["system_clock"] = -24576000; },
         is("Invalid Synth sample rate")},
        {"huge clock", [](MusicCopy& c) { c.description["system_clock"] = 1e300; }, is("accepted")},
        {"tick divider wraps", [](MusicCopy& c) {
             c.description["timer_prescaler"] = 65535;
             c.description["timer_divider"] = 65535;
         }, is("Invalid Synth tick rate")},
        {"fastest chip clocks", [](MusicCopy& c) {
             c.description["sclk"] = 0;
             c.description["system_clock"] = 30000000;
             c.description["timer_prescaler"] = 0;
             c.description["timer_divider"] = 0;
         }, is("accepted")},
        {"clock text", [](MusicCopy& c) { c.description["system_clock"] = "fast"; }, is("json")},
        {"sclk beyond 32 bits", [](MusicCopy& c) { c.description["sclk"] = 1e20; }, is("Invalid decoded number")},
    };
    for (const Case& c : cases) {
        MusicCopy copy;
        c.edit(copy);
        EXPECT_EQ(copy.load(), c.want(copy)) << c.name;
    }
}

TEST(MusicFiles, MissingOrMalformedDescriptionIsAParseError) {
    MusicCopy copy;
    testing_support::writeFile(copy.audio() / "music.json", "{\"schema\": 2,");
    EXPECT_EQ(refusal([&] { Music music(copy.retail()); }), "json");
    std::filesystem::remove(copy.audio() / "music.json");
    EXPECT_EQ(refusal([&] { Music music(copy.retail()); }), "json");
}

TEST(MusicFiles, WavesAndEnvelopesTakeTheLow16BitsSigned) {
    MusicCopy copy;
    json& bell = copy.instrument(0, 2);
    bell["modulator"]["values"][0] = -2;
    bell["modulator"]["values"][1] = 65534;
    bell["modulator"]["rom"] = 0xF1E000;  // ignored beside "values"
    bell["envelope"][0] = 0x18000;
    ASSERT_EQ(copy.load(), "accepted");
    const Music music(copy.retail());
    const Music::Instrument& instrument = music.songs[0].instruments[2];
    EXPECT_EQ(instrument.modulator[0], -2);
    EXPECT_EQ(instrument.modulator[1], -2);
    EXPECT_EQ(instrument.envelope[0], -32768);
    // The piano's carrier is ROM wave 0: the low halves of its first words.
    const std::vector<std::int32_t> sine = contentgen::waveValues(contentgen::SynthWave::kSine);
    EXPECT_EQ(std::vector<std::int32_t>(music.songs[0].instruments[1].carrier.begin(),
                                        music.songs[0].instruments[1].carrier.end()),
              sine);
}

TEST(MusicFiles, RootSpellingsFindTheSameSystemFolder) {
    MusicCopy copy;
    ASSERT_EQ(copy.load(), "accepted");
    const std::string retail = copy.retail().string();
    for (const std::string& root : {retail + "/", retail + "/.", retail + "//", retail + "/../retail"})
        EXPECT_EQ(refusal([&] { Music music(root); }), "accepted") << root;
}

TEST(MusicFiles, LoadsClocksTracksAndScoresAsWritten) {
    MusicCopy copy;
    copy.description["mission_tracks"] = {5, 4, 3, 2, 1, 0, 0, 1, 2, 3, 4, 5, 5, 5, 5, 5, 6};
    ASSERT_EQ(copy.load(), "accepted");
    const Music music(copy.retail());
    EXPECT_EQ(music.sampleRate, 24000.0);
    EXPECT_EQ(music.tickRate, 1024.0);
    EXPECT_EQ(music.missionTracks[0], 5u);
    EXPECT_EQ(music.missionTracks[15], 5u);
    EXPECT_EQ(music.currentSong, -1);
    const std::string scoreBytes = testing_support::readFile(copy.audio() / "score-20.bin");
    ASSERT_EQ(music.songs[6].score.size() * 4, scoreBytes.size());
    EXPECT_EQ(music.songs[6].score[1] >> 24, static_cast<std::uint8_t>(scoreBytes[4]));
    EXPECT_EQ(music.songs[6].instruments[4].sample.size(),
              std::filesystem::file_size(copy.audio() / "pad-minor.raw"));
    EXPECT_TRUE(music.songs[6].instruments[0].sample.empty());
}

}  // namespace
}  // namespace bastion
