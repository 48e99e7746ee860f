#include "contentgen/music_content.h"

#include <string>

#include "contentgen/json_file.h"
#include "contentgen/music_instruments.h"
#include "contentgen/music_songs.h"
#include "contentgen/score_events.h"

namespace bastion::contentgen {

nlohmann::json musicClocks() {
    return {{"schema", 2}, {"system_clock", 24576000}, {"sclk", 15}, {"timer_prescaler", 239}, {"timer_divider", 99}};
}

void writeMusic(const std::filesystem::path& retail) {
    const std::filesystem::path audio = retail / "audio";
    nlohmann::json description = musicClocks();
    description["mission_tracks"] = {0, 1, 2, 3, 4, 5, 1, 0, 3, 2, 5, 4, 0, 2, 4, 5};
    const nlohmann::json bank = instrumentBank();
    for (int song = 0; song < 7; ++song) {
        description["modules"].push_back({{"instruments", bank}});
        writeScore(audio / ("score-" + std::to_string(song + 14) + ".bin"), demoSong(song));
    }
    writeJsonFile(audio / "music.json", description);
    writeInstrumentSamples(audio);
}

}  // namespace bastion::contentgen
