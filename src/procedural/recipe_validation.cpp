#include "procedural/recipe_validation.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "procedural/internal/recipe_values.h"

namespace bastion {
namespace {

using namespace recipe;

void require(bool condition, const char* message) {
    check(condition, "Invalid procedural recipe: ", message);
}

bool role(const json* value) {
    return isString(value, "industrial") || isString(value, "storage") || isString(value, "urban");
}

bool sources(const json* value) {
    if (value == nullptr || !value->is_array() || value->empty() || value->size() > 2) {
        return false;
    }
    for (const auto& source : *value) {
        if (!isString(&source, "sb1") && !isString(&source, "sb2")) {
            return false;
        }
    }
    return value->size() == 1 || (*value)[0] != (*value)[1];
}

std::set<std::string> sourceSet(const json& value) {
    std::set<std::string> names;
    for (const auto& source : value) {
        names.insert(source.get<std::string>());
    }
    return names;
}

// Only for values that passed integerIn with a non-negative range.
std::size_t indexOf(const json& value) { return static_cast<std::size_t>(value.get<double>()); }

struct Point {
    double x;
    double z;
};

struct Zone {
    Point centre;
    double radius;
};

// One pass over one recipe; the members collect what earlier steps accepted
// so later steps can test against it.
class RecipeCheck {
public:
    explicit RecipeCheck(const json& recipe) : recipe_(recipe) {}

    void run() {
        checkHeader();
        checkNodes();
        require(budget(field(recipe_, "roads"), 1, 144), "road budget exceeded");
        require(budget(field(recipe_, "plots"), 0, 64), "plot budget exceeded");
        checkRoads();
        checkDistricts();
        checkPlots();
        checkMission();
        checkZones();
        checkConnected();
        if (version_ == 3) {
            validateProceduralTerrain(recipe_);
        }
    }

private:
    static bool budget(const json* value, std::size_t low, std::size_t high) {
        return value != nullptr && value->is_array() && value->size() >= low &&
               value->size() <= high;
    }

    bool laterVersion() const { return version_ >= 2; }

    void checkHeader() {
        require(recipe_.is_object(), "expected an object");
        require(isString(field(recipe_, "schema"), "bastion-procedural-layout"),
                "unsupported schema");
        const json* version = field(recipe_, "version");
        require(integerIn(version, 1, 3), "unsupported version");
        version_ = static_cast<int>(indexOf(*version));
        require(integerIn(field(recipe_, "seed"), 0, 4294967295.0), "seed must be uint32");
        const json* groundY = field(recipe_, "ground_y");
        require(isString(field(recipe_, "units"), "metres") &&
                    isString(field(recipe_, "plane"), "xz") && isNumber(groundY) &&
                    groundY->get<double>() == 0.0,
                "expected flat native metres");
        const json* pilotRadius = field(recipe_, "pilot_radius");
        require(isNumber(pilotRadius) && pilotRadius->get<double>() == 3.5,
                "unexpected pilot clearance");
        const json* bounds = field(recipe_, "bounds");
        require(isRect(bounds), "invalid world bounds");
        bounds_ = recipe::rectOf(*bounds);
        require(std::min({bounds_.minX, bounds_.minZ, bounds_.maxX, bounds_.maxZ}) >= -1000.0 &&
                    std::max({bounds_.minX, bounds_.minZ, bounds_.maxX, bounds_.maxZ}) <= 1000.0,
                "world bounds exceed movement limits");
    }

    void checkNodes() {
        const json* nodes = field(recipe_, "nodes");
        require(budget(nodes, 2, 81), "node budget exceeded");
        for (const auto& node : *nodes) {
            require(numbers(&node, 2), "invalid node coordinate");
            const Point point{node[0].get<double>(), node[1].get<double>()};
            require(std::abs(point.x) <= 950.0 && std::abs(point.z) <= 950.0,
                    "node outside runtime bounds");
            for (const Point& earlier : nodes_) {
                require(earlier.x != point.x || earlier.z != point.z, "duplicate node");
            }
            nodes_.push_back(point);
        }
        adjacent_.resize(nodes_.size());
    }

    bool nodeIndex(const json* value) const {
        return integerIn(value, 0, static_cast<double>(nodes_.size()) - 1.0);
    }

    void checkRoads() {
        for (const auto& road : *field(recipe_, "roads")) {
            const json* ends = field(road, "nodes");
            require(ends != nullptr && ends->is_array() && ends->size() == 2 &&
                        nodeIndex(&(*ends)[0]) && nodeIndex(&(*ends)[1]),
                    "invalid road endpoints");
            const std::size_t a = indexOf((*ends)[0]);
            const std::size_t b = indexOf((*ends)[1]);
            require(a != b && adjacent_[a].count(b) == 0, "duplicate or zero-length road");
            const json* width = field(road, "width");
            require(isNumber(width), "invalid road width");
            const double w = width->get<double>();
            require(w >= 16.0 && w <= 60.0, "road width outside runtime limits");
            const Point pa = nodes_[a];
            const Point pb = nodes_[b];
            require(pa.x == pb.x || pa.z == pb.z, "roads must be orthogonal");
            const double half = w / 2.0;
            const Rect<double> corridor{std::min(pa.x, pb.x) - half, std::min(pa.z, pb.z) - half,
                                        std::max(pa.x, pb.x) + half, std::max(pa.z, pb.z) + half};
            require(recipe::inside(corridor, bounds_), "road outside world bounds");
            const json* roadClass = field(road, "class");
            require(roadClass == nullptr || isString(roadClass, "arterial") ||
                        isString(roadClass, "local"),
                    "invalid road class");
            corridors_.push_back(corridor);
            adjacent_[a].insert(b);
            adjacent_[b].insert(a);
        }
    }

    void checkDistricts() {
        const json* districts = field(recipe_, "districts");
        if (districts == nullptr) {
            return;
        }
        require(budget(districts, 1, 64), "invalid districts");
        for (const auto& district : *districts) {
            const json* id = field(district, "id");
            require(integerIn(id, 0, 63) && role(field(district, "role")) &&
                        sources(field(district, "sources")),
                    "invalid district");
            require(districts_.emplace(indexOf(*id), &district).second, "duplicate district");
        }
    }

    void checkPlots() {
        const json& plots = *field(recipe_, "plots");
        for (std::size_t i = 0; i < plots.size(); ++i) {
            const json& plot = plots[i];
            const json* bounds = field(plot, "bounds");
            require(isRect(bounds), "invalid plot bounds");
            const Rect<double> r = recipe::rectOf(*bounds);
            require(r.maxX - r.minX >= 8.0 && r.maxZ - r.minZ >= 8.0 &&
                        recipe::inside(r, bounds_) &&
                        std::min({r.minX, r.minZ, r.maxX, r.maxZ}) >= -980.0 &&
                        std::max({r.minX, r.minZ, r.maxX, r.maxZ}) <= 980.0,
                    "plot outside bounds or too small");
            for (const auto& corridor : corridors_) {
                require(!recipe::overlaps(r, corridor), "plot overlaps a road");
            }
            for (const auto& earlier : plots_) {
                require(!recipe::overlaps(r, earlier), "plots overlap");
            }
            plots_.push_back(r);
            checkPlotIdentity(plot, i);
            checkPlotDistrict(plot);
        }
    }

    // Version 1 checks each of these only where the plot has it.
    void checkPlotIdentity(const json& plot, std::size_t index) const {
        const json* id = field(plot, "id");
        if (laterVersion() || id != nullptr) {
            const double i = static_cast<double>(index);
            require(integerIn(id, i, i), "plot id must match its index");
        }
        const json* plotSources = field(plot, "sources");
        if (laterVersion() || plotSources != nullptr) {
            require(sources(plotSources), "invalid plot sources");
        }
        const json* plotRole = field(plot, "role");
        if (laterVersion() || plotRole != nullptr) {
            require(role(plotRole), "invalid plot role");
        }
    }

    void checkPlotDistrict(const json& plot) const {
        const json* id = field(plot, "district");
        if (id == nullptr) {
            return;
        }
        require(integerIn(id, 0, 63) && districts_.count(indexOf(*id)) != 0,
                "invalid plot district");
        const json& district = *districts_.at(indexOf(*id));
        const json* plotRole = field(plot, "role");
        const json* plotSources = field(plot, "sources");
        require(plotRole != nullptr && *plotRole == district["role"] && plotSources != nullptr,
                "plot differs from district preferences");
        require(sourceSet(*plotSources) == sourceSet(district["sources"]),
                "plot differs from district sources");
    }

    void checkMission() {
        if (!laterVersion()) {
            return;  // version 1 plays "eliminate" without extraction
        }
        const json* mission = field(recipe_, "mission");
        require(mission != nullptr && mission->is_object(), "missing mission specification");
        const json* kind = field(*mission, "kind");
        require(isString(kind, "eliminate") || isString(kind, "strike") || isString(kind, "recon"),
                "invalid mission kind");
        kind_ = kind->get<std::string>();
        const json* extraction = field(*mission, "extraction");
        require(extraction != nullptr && extraction->is_boolean(), "invalid extraction policy");
        extraction_ = extraction->get<bool>();
        require(numberIn(field(*mission, "hold_seconds"), 1.0, 30.0),
                "invalid recon hold duration");
        require((field(recipe_, "extraction") != nullptr) == extraction_,
                "extraction zone and policy disagree");
    }

    void checkZones() {
        const json* spawn = field(recipe_, "spawn");
        const json* objectives = field(recipe_, "objectives");
        require(spawn != nullptr && spawn->is_object() && budget(objectives, 1, 8),
                "invalid mission zones");
        checkZone(*spawn, false);
        const std::string expectedKind = kind_ == "eliminate" ? "encounter" : kind_;
        std::set<std::size_t> strikePlots;
        for (const auto& objective : *objectives) {
            checkZone(objective, false);
            require(isString(field(objective, "kind"), expectedKind.c_str()),
                    "objective does not match mission kind");
            if (kind_ == "strike") {
                checkStrikePlot(objective, strikePlots);
            }
        }
        if (extraction_) {
            const json& extraction = *field(recipe_, "extraction");
            checkZone(extraction, true);
            require(extraction["node"] == (*spawn)["node"], "extraction must use the spawn node");
        }
    }

    void checkStrikePlot(const json& objective, std::set<std::size_t>& taken) const {
        const json* plot = field(objective, "plot");
        require(integerIn(plot, 0, static_cast<double>(plots_.size()) - 1.0), "invalid strike plot");
        const std::size_t index = indexOf(*plot);
        require(taken.insert(index).second, "strike objectives share a plot");
        const Point node = nodes_[indexOf(objective["node"])];
        const Rect<double>& r = plots_[index];
        const double gapX = std::max({r.minX - node.x, node.x - r.maxX, 0.0});
        const double gapZ = std::max({r.minZ - node.z, node.z - r.maxZ, 0.0});
        require(gapX > 0.0 && gapX <= 40.0 && gapZ > 0.0 && gapZ <= 40.0,
                "strike plot is not adjacent to its objective node");
    }

    // A shared zone (the extraction, on the spawn's node) is tested against
    // every zone but the spawn and is itself neither recorded nor marks its
    // node.
    void checkZone(const json& zone, bool shared) {
        const json* node = field(zone, "node");
        const json* radius = field(zone, "radius");
        require(nodeIndex(node) && isNumber(radius), "invalid zone");
        const double r = radius->get<double>();
        require(r >= 3.5 && r <= 30.0, "zone radius outside runtime limits");
        const std::size_t index = indexOf(*node);
        if (!shared) {
            require(usedNodes_.insert(index).second, "mission zones share a node");
        }
        const Point centre = nodes_[index];
        for (std::size_t i = shared ? 1 : 0; i < zones_.size(); ++i) {
            const Zone& other = zones_[i];
            require(std::hypot(centre.x - other.centre.x, centre.z - other.centre.z) >=
                        r + other.radius,
                    "mission zones overlap");
        }
        const Rect<double> square{centre.x - r, centre.z - r, centre.x + r, centre.z + r};
        require(recipe::inside(square, bounds_), "zone outside bounds");
        for (const auto& plot : plots_) {
            require(!recipe::overlaps(square, plot), "zone blocked by a plot");
        }
        require(std::any_of(corridors_.begin(), corridors_.end(),
                            [&](const Rect<double>& corridor) {
                                return recipe::inside(square, corridor);
                            }),
                "zone outside a road corridor");
        if (!shared) {
            zones_.push_back({centre, r});
        }
    }

    void checkConnected() const {
        const std::size_t start = indexOf((*field(recipe_, "spawn"))["node"]);
        std::vector<bool> reached(nodes_.size(), false);
        std::vector<std::size_t> queue{start};
        reached[start] = true;
        for (std::size_t next = 0; next < queue.size(); ++next) {
            for (const std::size_t neighbour : adjacent_[queue[next]]) {
                if (!reached[neighbour]) {
                    reached[neighbour] = true;
                    queue.push_back(neighbour);
                }
            }
        }
        require(queue.size() == nodes_.size(), "road network is disconnected");
    }

    const json& recipe_;
    int version_ = 0;
    Rect<double> bounds_{};
    std::vector<Point> nodes_;
    std::vector<std::set<std::size_t>> adjacent_;
    std::vector<Rect<double>> corridors_;
    std::map<std::size_t, const json*> districts_;
    std::vector<Rect<double>> plots_;
    std::string kind_ = "eliminate";
    bool extraction_ = false;
    std::vector<Zone> zones_;
    std::set<std::size_t> usedNodes_;
};

}  // namespace

void validateProceduralRecipe(const nlohmann::json& recipe) { RecipeCheck(recipe).run(); }

}  // namespace bastion
