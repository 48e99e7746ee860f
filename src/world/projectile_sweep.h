#pragma once

#include <cstddef>
#include <vector>

#include "world/math.h"
#include "world/segment_hit.h"

namespace bastion {

struct Pilot;

// Where one projectile would go this step and what it meets first.
struct Sweep {
    Vec3 end;
    float t = kMiss;
    int target = -1;
    Pilot* pilot = nullptr;
    bool intercepting = false;  // a shot spent on a rocket

    void clearHits() {
        target = -1;
        pilot = nullptr;
    }
};

// An axis-aligned box that holds everything an exact test could accept,
// grown enough that rounding in that test can never reach past it.
struct Bounds {
    Vec3 low;
    Vec3 high;
};

// Bounds that separate from nothing: for values the exact tests must judge.
Bounds everywhere();

// Everything within `reach` of the segment a to b, grown by `share` of the
// coordinates' size; a non-finite segment is everywhere.
Bounds segmentBounds(Vec3 a, Vec3 b, float reach, float share);

// The box centre ± |half| grown by `share` of its coordinates' size, or
// everywhere when not finite.
Bounds boxBounds(Vec3 centre, Vec3 half, float share);

// Candidates of the broad phase: indexes into the target or projectile list
// with their bounds for the step, a column per coordinate so that a query
// tests a block of them in a few vector instructions, and the bounds of each
// block of kBlock candidates, so that most queries pass most blocks by.
struct BoundsColumns {
    static constexpr std::size_t kBlock = 16;
    std::vector<std::size_t> index;
    std::vector<float> lowX, lowY, lowZ, highX, highY, highZ;
    std::vector<Bounds> blocks;

    std::size_t size() const { return index.size(); }
    void clear();
    void add(std::size_t i, const Bounds& bounds);
};

// The indexes of the candidates that `query` may overlap (NaN bounds may),
// in the order they were added.
void findOverlaps(const BoundsColumns& candidates, const Bounds& query, std::vector<std::size_t>& found);

struct Interception {
    float t;
    std::size_t shot;
    std::size_t rocket;
};

// Lists the projectile step fills every step; kept between steps so that a
// step under heavy fire allocates nothing.
struct ProjectileStepBuffers {
    std::vector<Sweep> sweeps;
    BoundsColumns boxes;    // every target; none moves during the step
    BoundsColumns rockets;  // swept rockets, for shots to meet
    BoundsColumns blastRockets;
    std::vector<std::size_t> found;
    std::vector<Interception> contacts;
    // Off, every projectile and blast is tested against every target and
    // rocket: the plain path the comparison tests hold the broad phase to.
    bool broadPhase = true;
};

}  // namespace bastion
