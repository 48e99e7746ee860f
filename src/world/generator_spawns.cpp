#include "world/internal/mission_loading.h"
#include "world/world.h"

namespace bastion {

void buildGenerators(World& world, MissionLoad& load) {
    for (std::size_t k = 0; k < load.spawns.size(); ++k) {
        const SpawnRecord& spawn = load.spawns[k];
        if (spawn.type != kGeneratorRecord) continue;
        const ParameterRecord parameters = decodeParameters(spawn.parameters);
        const GeneratorRecord record = decodeGeneratorRecord(parameters);
        const Target* parent = load.spawnedTarget(world, static_cast<std::size_t>(record.parentSpawn));
        if (!parent) continue;

        Generator generator;
        generator.unitTemplate = *parent;
        generator.unitTemplate.derived = true;
        generator.unitTemplate.active = true;
        generator.unitTemplate.generator = static_cast<int>(world.generators.size());
        generator.anchor = spawn.position;
        generator.trigger = spawn.trigger;
        generator.flags = record.flags;
        generator.remaining = record.remaining;
        generator.burstCounter = record.burstSize;
        generator.burstSize = record.burstSize;
        generator.activationRange = spawn.range;
        generator.timer = 0.0f;
        generator.interval = record.interval;
        generator.burstPause = record.burstPause;
        generator.spawnIndex = static_cast<int>(k);
        for (int m = 0; m < record.members; ++m) {
            Target member = generator.unitTemplate;
            member.active = false;
            generator.members.push_back(world.targets.size());
            world.targets.push_back(std::move(member));
        }
        world.generators.push_back(std::move(generator));
    }
}

}  // namespace bastion
