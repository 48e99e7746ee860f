#include "procedural/internal/terrain_builder.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "procedural/internal/recipe_values.h"
#include "procedural/internal/terrain_field.h"
#include "procedural/recipe_validation.h"
#include "world/world.h"

namespace bastion {
namespace {

using nlohmann::json;
using terrain::Rect;

constexpr std::size_t kMaxAxisSamples = 512;
constexpr std::size_t kMaxHeightCells = 200000;
const Vec3 kWaterGroundColour{0.11f, 0.15f, 0.12f};
const Vec3 kWaterSurfaceColour{0.035f, 0.24f, 0.42f};

[[noreturn]] void refuse(const char* message) {
    throw std::runtime_error(std::string("Invalid procedural terrain: ") + message);
}

float number(const json& value) { return recipe::toFloat(value.get<double>()); }

Rect rectangle(const json& value) {
    return {number(value.at(0)), number(value.at(1)), number(value.at(2)), number(value.at(3))};
}

struct Road {
    Rect corridor;
    Vec3 colour;
};

struct Pad {
    Rect bounds;
    float height = 0.0f;
};

Vec3 roadColour(const json& road, bool desert) {
    if (desert) return {0.38f, 0.31f, 0.21f};
    const auto kind = road.find("class");
    if (kind != road.end() && *kind == "arterial") return {0.25f, 0.27f, 0.28f};
    return {0.18f, 0.21f, 0.22f};
}

std::vector<Road> readRoads(const json& recipe, bool desert) {
    const json& nodes = recipe.at("nodes");
    std::vector<Road> roads;
    for (const json& road : recipe.at("roads")) {
        const json& a = nodes.at(road.at("nodes").at(0).get<std::size_t>());
        const json& b = nodes.at(road.at("nodes").at(1).get<std::size_t>());
        const float ax = number(a.at(0)), az = number(a.at(1)), bx = number(b.at(0)), bz = number(b.at(1));
        const float half = number(road.at("width")) * 0.5f;
        const Rect corridor{std::min(ax, bx) - half, std::min(az, bz) - half, std::max(ax, bx) + half,
                            std::max(az, bz) + half};
        roads.push_back({corridor, roadColour(road, desert)});
    }
    return roads;
}

std::vector<Pad> readPads(const json& recipe, const terrain::Noise& noise) {
    std::vector<Pad> pads;
    for (const json& plot : recipe.at("plots")) {
        if (!(plot.at("buildings").get<double>() > 0.0)) continue;
        const Rect bounds = rectangle(plot.at("bounds"));
        const float height = noise.at((bounds.minX + bounds.maxX) * 0.5f, (bounds.minZ + bounds.maxZ) * 0.5f);
        pads.push_back({bounds, height});
    }
    return pads;
}

std::vector<ProceduralWater> readWater(const json& terrain) {
    std::vector<ProceduralWater> bodies;
    for (const json& body : terrain.at("water")) {
        const Rect r = rectangle(body.at("bounds"));
        ProceduralWater water;
        water.bounds[0] = r.minX;
        water.bounds[1] = r.minZ;
        water.bounds[2] = r.maxX;
        water.bounds[3] = r.maxZ;
        water.level = number(body.at("level"));
        water.depth = number(body.at("depth"));
        bodies.push_back(water);
    }
    return bodies;
}

Rect waterRect(const ProceduralWater& body) {
    return {body.bounds[0], body.bounds[1], body.bounds[2], body.bounds[3]};
}

// Everything the ground is built from, read before the world is touched.
struct Layout {
    terrain::Biome biome;
    terrain::Noise noise;
    std::vector<Road> roads;
    std::vector<Pad> pads;
    std::vector<ProceduralWater> water;
    std::vector<float> xs;
    std::vector<float> zs;
};

std::vector<float> axisSamples(const Layout& layout, float low, float high, bool alongX) {
    std::vector<float> edges;
    const auto add = [&](const Rect& r) {
        edges.push_back(alongX ? r.minX : r.minZ);
        edges.push_back(alongX ? r.maxX : r.maxZ);
    };
    for (const Road& road : layout.roads) add(road.corridor);
    for (const Pad& pad : layout.pads) add(pad.bounds);
    for (const ProceduralWater& body : layout.water) add(waterRect(body));
    std::vector<float> samples = terrain::sampleAxis(low, high, std::move(edges));
    if (samples.size() > kMaxAxisSamples) refuse("sample axis budget exceeded");
    return samples;
}

Layout readLayout(const json& recipe, u32 seed) {
    const json& section = recipe.at("terrain");
    const std::string& biomeName = section.at("biome").get_ref<const std::string&>();
    const terrain::Biome biome = terrain::biomeNamed(biomeName);
    Layout layout{biome, terrain::Noise(number(section.at("amplitude")), biome, seed), {}, {}, {}, {}, {}};
    layout.roads = readRoads(recipe, biomeName == "desert");
    layout.pads = readPads(recipe, layout.noise);
    layout.water = readWater(section);
    const Rect bounds = rectangle(recipe.at("bounds"));
    layout.xs = axisSamples(layout, bounds.minX, bounds.maxX, true);
    layout.zs = axisSamples(layout, bounds.minZ, bounds.maxZ, false);
    if ((layout.xs.size() - 1) * (layout.zs.size() - 1) > kMaxHeightCells) refuse("height mesh budget exceeded");
    return layout;
}

// Roads keep the rolling ground (they bridge water); water beds sink below
// the surface; elsewhere the strongest nearby pad levels the ground.
float sampleHeight(const Layout& layout, float x, float z) {
    const float natural = layout.noise.at(x, z);
    for (const Road& road : layout.roads) {
        if (road.corridor.contains(x, z)) return natural;
    }
    for (const ProceduralWater& body : layout.water) {
        if (waterRect(body).contains(x, z)) return body.level - body.depth;
    }
    const Pad* strongest = nullptr;
    float weight = 0.0f;
    for (const Pad& pad : layout.pads) {
        const float w = terrain::padWeight(pad.bounds, x, z);
        if (w > weight) {
            weight = w;
            strongest = &pad;
        }
    }
    if (strongest == nullptr) return natural;
    return natural * (1.0f - weight) + strongest->height * weight;
}

Vec3 cellColour(const Layout& layout, float x, float z) {
    Vec3 colour;
    bool onRoad = false;
    for (const Road& road : layout.roads) {
        if (road.corridor.contains(x, z)) {
            colour = road.colour;
            onRoad = true;
            break;
        }
    }
    if (!onRoad) {
        const float amplitude = layout.noise.amplitude;
        const float shade = amplitude > 0.0f ? 0.85f + 0.2f * layout.noise.at(x, z) / amplitude : 0.95f;
        colour = layout.biome.ground * shade;
    }
    for (const ProceduralWater& body : layout.water) {
        if (waterRect(body).contains(x, z)) return kWaterGroundColour;
    }
    return colour;
}

WorldVertex vertex(Vec3 position, Vec3 colour) {
    WorldVertex v;
    v.position = position;
    v.colour = colour;
    return v;
}

std::vector<WorldVertex> groundMesh(const Layout& layout) {
    const std::size_t nx = layout.xs.size(), nz = layout.zs.size();
    std::vector<float> heights(nx * nz);
    for (std::size_t j = 0; j < nz; ++j) {
        for (std::size_t i = 0; i < nx; ++i) heights[j * nx + i] = sampleHeight(layout, layout.xs[i], layout.zs[j]);
    }
    const auto point = [&](std::size_t i, std::size_t j) {
        return Vec3{layout.xs[i], heights[j * nx + i], layout.zs[j]};
    };
    std::vector<WorldVertex> mesh;
    mesh.reserve((nx - 1) * (nz - 1) * 6);
    for (std::size_t j = 0; j + 1 < nz; ++j) {
        for (std::size_t i = 0; i + 1 < nx; ++i) {
            const float cx = (layout.xs[i] + layout.xs[i + 1]) * 0.5f;
            const float cz = (layout.zs[j] + layout.zs[j + 1]) * 0.5f;
            const Vec3 colour = cellColour(layout, cx, cz);
            for (const Vec3 corner : {point(i, j), point(i + 1, j), point(i + 1, j + 1), point(i, j),
                                      point(i + 1, j + 1), point(i, j + 1)}) {
                mesh.push_back(vertex(corner, colour));
            }
        }
    }
    return mesh;
}

std::vector<WorldVertex> waterSurface(const std::vector<ProceduralWater>& bodies) {
    std::vector<WorldVertex> mesh;
    for (const ProceduralWater& body : bodies) {
        const Rect r = waterRect(body);
        const float y = body.level;
        for (const Vec3 corner : {Vec3{r.minX, y, r.minZ}, Vec3{r.maxX, y, r.maxZ}, Vec3{r.maxX, y, r.minZ},
                                  Vec3{r.minX, y, r.minZ}, Vec3{r.minX, y, r.maxZ}, Vec3{r.maxX, y, r.maxZ}}) {
            mesh.push_back(vertex(corner, kWaterSurfaceColour));
        }
    }
    return mesh;
}

}  // namespace

void buildProceduralTerrain(World& world, const nlohmann::json& recipe) {
    validateProceduralTerrain(recipe);
    const Layout layout = readLayout(recipe, world.prototypeSeed);
    std::vector<WorldVertex> ground = groundMesh(layout);

    world.proceduralTerrain = true;
    world.groundColour = layout.biome.ground;
    world.water = layout.water;
    world.cover.clear();
    for (const Road& road : layout.roads) {
        world.cover.push_back({road.corridor.minX, road.corridor.minZ, road.corridor.maxX, road.corridor.maxZ});
    }
    world.terrain = std::move(ground);
    world.waterMesh = waterSurface(layout.water);
    world.indexTerrain();
}

}  // namespace bastion
