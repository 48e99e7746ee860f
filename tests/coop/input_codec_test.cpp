#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "coop/internal/input_codec.h"
#include "coop/internal/value_codec.h"
#include "coop/wire_failure.h"

namespace bastion::coop {
namespace {

using nlohmann::json;
using testing::wireFailure;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

json withAxis(int axis, double value) {
    json wire = inputWire(Input{});
    wire["axes"][axis] = value;
    return wire;
}

struct AxisCase {
    int axis;
    double sent;
    float decoded;
};

TEST(InputCodec, AxesAreClampedAndAimYawWrapped) {
    const AxisCase cases[] = {
        {0, 100.0, 1.0f},          {1, -100.0, -1.0f},   {2, 0.25, 0.25f},
        {3, 4.0, 4.0f - 6.2831855f}, {3, -3.0, -3.0f},   {3, 7.0, 7.0f - 6.2831855f},
        {4, 100.0, 1.5f},          {4, -100.0, -1.5f},   {4, 1.2, 1.2f},
    };
    for (const AxisCase& c : cases) {
        const Input input = inputRead(withAxis(c.axis, c.sent));
        EXPECT_FLOAT_EQ(input.axes[c.axis], c.decoded) << "axis " << c.axis << " sent " << c.sent;
    }
}

TEST(InputCodec, AxesBeyondTheLimitOrNotFiniteAreRefused) {
    for (double bad : {100.0001, -100.0001, double(kNaN), double(kInf), -double(kInf), 1e300}) {
        for (int axis = 0; axis < 5; ++axis)
            EXPECT_EQ(wireFailure([&] { inputRead(withAxis(axis, bad)); }), "Invalid controller axis")
                << "axis " << axis << " value " << bad;
    }
}

TEST(InputCodec, AxesArrayShape) {
    json six = inputWire(Input{});
    six["axes"].push_back(1e9);
    EXPECT_EQ(wireFailure([&] { inputRead(six); }), "accepted");
    json four = inputWire(Input{});
    four["axes"].erase(4);
    EXPECT_EQ(wireFailure([&] { inputRead(four); }), "out of range");
    json text = inputWire(Input{});
    text["axes"] = "fast";
    EXPECT_EQ(wireFailure([&] { inputRead(text); }), "type error");
    json stringAxis = inputWire(Input{});
    stringAxis["axes"][0] = "1";
    EXPECT_EQ(wireFailure([&] { inputRead(stringAxis); }), "type error");
}

TEST(InputCodec, MissingOrMistypedMembersAreTheLibrarysErrors) {
    for (const char* key : {"axes", "focused", "head", "fire", "punch", "valid", "hands", "poses"}) {
        json wire = inputWire(Input{});
        wire.erase(key);
        EXPECT_EQ(wireFailure([&] { inputRead(wire); }), "out of range") << key;
    }
    json numberFlag = inputWire(Input{});
    numberFlag["fire"][5] = 1;
    EXPECT_EQ(wireFailure([&] { inputRead(numberFlag); }), "type error");
    json shortPunch = inputWire(Input{});
    shortPunch["punch"] = json::array({true});
    EXPECT_EQ(wireFailure([&] { inputRead(shortPunch); }), "out of range");
    EXPECT_EQ(wireFailure([&] { inputRead(json::array()); }), "type error");
}

TEST(InputCodec, UntrackedHandsAreNeutralisedWhateverTheyCarry) {
    Input sent;
    sent.poses[1] = {{kNaN, kInf, 3.0f}, {kNaN, 0, 0, 0}, {0, 0, 0, 9}, false};
    sent.valid[1] = true;
    sent.hands[1] = {kInf, 1.0f, 1.0f};
    const Input got = inputRead(inputWire(sent));
    EXPECT_FALSE(got.valid[1]);
    EXPECT_EQ(got.hands[1], (Vec3{}));
    EXPECT_EQ(got.poses[1].position, (Vec3{}));
    EXPECT_EQ(got.poses[1].grip, Quaternion{});
    EXPECT_EQ(got.poses[1].aim, Quaternion{});
    EXPECT_FALSE(got.poses[1].valid);
}

struct HandCase {
    const char* name;
    Vec3 hand;
    Vec3 position;
    Quaternion grip;
    Quaternion aim;
    bool accepted;
};

TEST(InputCodec, TrackedHandChecks) {
    const Quaternion one{};
    const HandCase cases[] = {
        {"reach exactly 4", {0, 0, -4.0f}, {0, 4.0f, 0}, one, one, true},
        {"hand too far", {0, 0, -4.01f}, {0, 0, 0}, one, one, false},
        {"pose too far", {0, 0, 0}, {4.01f, 0, 0}, one, one, false},
        {"hand not finite", {kInf, 0, 0}, {0, 0, 0}, one, one, false},
        {"hand far, pose fine", {100, 0, 0}, {0.4f, 0, 0}, one, one, false},
        {"grip norm 0.5", {}, {}, {0, 0, 0, std::sqrt(0.5f)}, one, false},
        {"grip norm 1.5", {}, {}, {0, 0, std::sqrt(0.5f), 1.0f}, one, false},
        {"grip norm 0.6", {}, {}, {0, 0, 0, std::sqrt(0.6f)}, one, true},
        {"aim norm 1.6", {}, {}, one, {0, 0, 0, std::sqrt(1.6f)}, false},
        {"aim not finite", {}, {}, one, {kNaN, 0, 0, 1}, false},
    };
    for (const HandCase& c : cases) {
        for (int hand = 0; hand < 2; ++hand) {
            Input sent;
            sent.hands[hand] = c.hand;
            sent.poses[hand] = {c.position, c.grip, c.aim, true};
            EXPECT_EQ(wireFailure([&] { inputRead(inputWire(sent)); }),
                      c.accepted ? "accepted" : "Invalid hand tracking")
                << c.name << ", hand " << hand;
        }
    }
}

TEST(InputCodec, RoundTripKeepsAnInRangeInput) {
    Input sent;
    const float axes[5] = {-0.5f, 1.0f, 0.125f, -3.0f, 1.25f};
    std::copy(std::begin(axes), std::end(axes), sent.axes);
    sent.focused = false;
    sent.fire[2] = sent.fire[5] = true;
    sent.ping[0] = sent.ping[1] = true;
    sent.punch[1] = true;
    sent.valid[0] = true;
    sent.hands[0] = {0.1f, -0.2f, -0.7f};
    sent.poses[0] = {{0.3f, 0.1f, -0.5f}, {0.1f, 0.2f, 0.3f, 0.9f}, {0, 0.6f, 0, 0.8f}, true};
    sent.poses[1] = HandPose{};

    const Input got = inputRead(inputWire(sent));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(got.axes[i], sent.axes[i]) << i;
    EXPECT_EQ(got.focused, sent.focused);
    EXPECT_EQ(got.head, sent.head);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(got.fire[i], sent.fire[i]) << i;
    EXPECT_FALSE(got.ping[0]);
    EXPECT_FALSE(got.ping[1]);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(got.punch[i], sent.punch[i]);
        EXPECT_EQ(got.valid[i], sent.valid[i]);
        EXPECT_EQ(got.hands[i], sent.hands[i]);
        EXPECT_EQ(got.poses[i].position, sent.poses[i].position);
        EXPECT_EQ(got.poses[i].grip, sent.poses[i].grip);
        EXPECT_EQ(got.poses[i].aim, sent.poses[i].aim);
        EXPECT_EQ(got.poses[i].valid, sent.poses[i].valid);
    }
}

TEST(InputCodec, WriterSendsRawAxesWithKeysInAscendingOrder) {
    Input sent;
    sent.axes[0] = 55.0f;
    const json wire = inputWire(sent);
    EXPECT_EQ(wire["axes"][0].get<double>(), 55.0);
    EXPECT_EQ(sent.axes[0], 55.0f);
    const std::string text = wire.dump();
    const char* keys[] = {"\"axes\"", "\"fire\"", "\"focused\"", "\"hands\"",
                          "\"head\"", "\"poses\"", "\"punch\"", "\"valid\""};
    std::size_t last = 0;
    for (const char* key : keys) {
        // Each top-level key follows the previous one.
        const std::size_t at = text.find(std::string(key) + ":", last);
        ASSERT_NE(at, std::string::npos) << key;
        last = at;
    }
    EXPECT_EQ(wire.size(), 8u);
}

TEST(ValueCodec, UnsignedAndSignedFieldsSurvive) {
    Pickup pickup;
    pickup.collectedBy = 4294967295u;
    const json pickupWire = pickup;
    EXPECT_TRUE(pickupWire["collectedBy"].is_number_unsigned());
    EXPECT_EQ(pickupWire.get<Pickup>().collectedBy, 4294967295u);

    Projectile shot;
    shot.homingTarget = -1;
    const json shotWire = shot;
    EXPECT_TRUE(shotWire["homingTarget"].is_number_integer());
    EXPECT_EQ(shotWire.get<Projectile>().homingTarget, -1);
}

TEST(ValueCodec, OutOfRangeNumbersAreRefusedNotWrapped) {
    json pickup = Pickup{};
    pickup["collectedBy"] = -1;
    EXPECT_EQ(wireFailure([&] { pickup.get<Pickup>(); }), "out of range");
    pickup["collectedBy"] = 4294967296ull;
    EXPECT_EQ(wireFailure([&] { pickup.get<Pickup>(); }), "out of range");
    json shot = Projectile{};
    shot["owner"] = 1e30;
    EXPECT_EQ(wireFailure([&] { shot.get<Projectile>(); }), "out of range");
    json effect = WeaponEffect{};
    effect["model"] = -3;
    EXPECT_EQ(wireFailure([&] { effect.get<WeaponEffect>(); }), "out of range");
    effect["model"] = 7;
    EXPECT_EQ(effect.get<WeaponEffect>().model, 7);
}

}  // namespace
}  // namespace bastion::coop
