#pragma once

#include <cmath>
#include <cstdint>

namespace bastion {

using u32 = std::uint32_t;
using u64 = std::uint64_t;

// A full turn, float(2 pi).
inline constexpr float kTwoPi = 6.2831855f;

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

struct Quaternion {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator-(Vec3 a) { return {-a.x, -a.y, -a.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec3 operator*(float s, Vec3 a) { return {a.x * s, a.y * s, a.z * s}; }
inline bool operator==(Vec3 a, Vec3 b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
inline bool operator==(const Quaternion& a, const Quaternion& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z && a.w == b.w;
}

inline float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
// Defined here rather than out of line: the projectile and blast loops call
// these per pair, and a call per use cost more than the arithmetic.
inline float length(Vec3 v) { return std::sqrt(dot(v, v)); }
inline bool isFinite(Vec3 v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// v scaled to unit length; (0, 0, -1) when v is too short or not finite.
inline Vec3 normalize(Vec3 v) {
    const float size = length(v);
    if (!(size > 1e-5f) || !std::isfinite(size)) return {0.0f, 0.0f, -1.0f};
    return {v.x / size, v.y / size, v.z / size};
}

// The angle x brought into [-pi, pi] (IEEE remainder by 2 pi).
float wrap(float x);

// The rotation r followed by q.
Quaternion operator*(const Quaternion& q, const Quaternion& r);

// v rotated by the unit quaternion q (q is not normalised here).
Vec3 rotate(Quaternion q, Vec3 v);

// Yaw about +y, then pitch about +x, then roll about +z.
Quaternion angles(float yaw, float pitch, float roll);

// Unit direction of heading `yaw` and elevation `pitch`; yaw 0 faces -z.
Vec3 direction(float yaw, float pitch);

}  // namespace bastion
