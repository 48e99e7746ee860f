#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "render/cockpit_files.h"
#include "render/matrix.h"
#include "render/walker_rig_read.h"
#include "world/math.h"
#include "world/pilot.h"
#include "world/target.h"

namespace bastion {

class World;
struct Frontend;

// The game's one OpenGL 3.3 core renderer. Made once after the GL context and
// GLEW are up, given the retail folder's "cockpit" directory; `draw` renders
// one view. It only reads the World and the front end, and owns every GL
// object it creates: destroy it before the context goes away.
//
// Between drawing calls the basic program and the unit cube's vertex array are
// bound; every drawing function that binds anything else binds them again.
class Renderer {
public:
    using Matrix = vant::Matrix;

    // One uploaded GPU mesh. All zeros is an empty mesh that owns no GL names.
    struct Model {
        std::uint32_t vertexArray = 0;
        std::uint32_t buffer = 0;
        std::int32_t count = 0;
        Vec3 min;
        Vec3 max;
    };

    // One uploaded art image.
    struct Texture {
        std::uint32_t texture = 0;
        std::int32_t width = 0;
        std::int32_t height = 0;
    };

    // One mission briefing.
    struct Mission {
        std::string title;
        std::vector<std::string> lines;
    };

    explicit Renderer(const std::filesystem::path& cockpitDirectory);
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // Renders one view through the private multisample target and resolves it
    // into the framebuffer and viewport bound by the caller, which are bound
    // again on return. `camera` and `hud` are poses in world space.
    void draw(const World& world, const Matrix& projection, const Matrix& camera, const Matrix& hud,
              bool paused, const Frontend* frontend);

    // Drawing primitives. Each places its shape with frameMatrix x M.
    void box(const Matrix& M, Vec3 tint);
    void line(const Matrix& M, Vec3 a, Vec3 b, float width, Vec3 colour);
    void text(const std::string& s, const Matrix& M, float size, Vec3 colour);
    void art(const std::string& name, const Matrix& M, std::array<float, 4> uvRect, Vec3 tint);
    // `art` in three steps, so that a run of images of one texture (the
    // glyphs of a text) switches programs once: bind the art program and
    // texture `name` (throws when it is missing), draw quads, then bind the
    // basic program and the cube again.
    void beginArt(const std::string& name);
    void artQuad(const Matrix& M, std::array<float, 4> uvRect, Vec3 tint);
    void endArt();

    // Start-up loaders, called by the constructor in this order.
    void loadCockpit(const std::filesystem::path& cockpitDirectory);
    void loadArt(const std::filesystem::path& artFolder);
    void loadModels(const std::filesystem::path& modelsFolder);
    // The walker rigs, and the player walker's buffer put in part order.
    // `walkerVertices` are the vertices of the uploaded "stormbastion" model
    // (empty without one).
    void loadWalkerRigs(const std::filesystem::path& modelsFolder, const std::vector<float>& walkerVertices);

    // Composes one view into the bound scene target.
    void drawScene(const World& world, const Matrix& projection, const Matrix& camera, const Matrix& hud,
                   bool paused, const Frontend* frontend);

    // The loaded mission's meshes (ground, water, targets, wrecks, pickups)
    // under the current frame matrix. The first call for a World loads the
    // atlases it needs and uploads its meshes; later calls only draw. Throws
    // std::runtime_error when the program or an atlas cannot be made.
    void drawWorld(const World& world);
    // Releases the uploaded meshes of the current World.
    void clearWorld();
    void releaseGlObjects();

    // Scene stages: the menu panel, the horizon panorama, one depth slice of
    // the world, the player's arms, the cockpit with its lamps and the
    // instruments. `cockpitFrame` maps cockpit space to the world.
    void frontend(const Frontend& menu, const Matrix& cockpitFrame);
    void horizon(const World& world);
    void drawWorldLayer(const World& world, const Matrix& camera, bool paused, const Frontend* frontend);
    void drawArms(const World& world);
    void drawArms(const Pilot& pilot);

    // Named models. `model` draws one under M (model space to world) when it
    // passes the visibility test; `modelPreview` centres it on its bounds,
    // scales its largest extent to `size`, tips it toward the viewer and turns
    // it by `angle` about the vertical. `drawStormer` draws a pilot's walker
    // part by part, leaned by `tilt` about its own X axis. A name the models
    // lack ends with "Missing decoded model: " and the name.
    void model(const std::string& name, const Matrix& M);
    void modelPreview(const std::string& name, const Matrix& M, float size, float angle);
    void drawStormer(const Pilot& pilot, float tilt);
    const Model& namedModel(const std::string& name) const;
    void drawCockpit(const World& world, const Matrix& camera, bool paused);
    void instruments(const World& world, const Matrix& cockpitFrame, bool paused);

    // False only while slice culling is on and the model's bounding sphere
    // under M lies wholly outside the current slice's depth range.
    bool visibleWorld(const Model& model, const Matrix& M) const;

    // Basic program and unit cube.
    std::uint32_t basicProgram = 0;
    std::uint32_t cubeVertexArray = 0;
    std::uint32_t cubeBuffer = 0;
    std::int32_t transformLocation = -1;
    std::int32_t tintLocation = -1;

    // Multisample scene target, made by the first draw and resized with the view.
    std::uint32_t sceneFramebuffer = 0;
    std::uint32_t sceneColour = 0;
    std::uint32_t sceneDepth = 0;
    std::int32_t sceneWidth = 0;
    std::int32_t sceneHeight = 0;

    // Slice state of the stage being drawn.
    bool sliceCulling = false;
    float sliceNear = 0.75f;
    float sliceFar = 3000.0f;
    Matrix viewMatrix = vant::identity;
    Matrix frameMatrix = vant::identity;

    // Cockpit: program and mesh (filled by the cockpit loader).
    using VertexRange = bastion::VertexRange;
    using AmmoReadout = bastion::AmmoReadout;
    std::uint32_t cockpitProgram = 0;
    std::uint32_t cockpitVertexArray = 0;
    std::uint32_t cockpitBuffer = 0;
    std::int32_t cockpitTransformLocation = -1;
    std::int32_t cockpitEyeLocation = -1;
    std::int32_t cockpitBodyVertices = 0;
    std::int32_t cockpitLowerVertices = 0;
    std::int32_t cockpitLampColorLocation = -1;
    std::array<VertexRange, 5> healthLamps{};
    std::array<AmmoReadout, 6> ammoReadouts{};
    Vec3 overviewAnchor;
    Vec3 radarAnchor;
    Vec3 torsoAnchor;
    Vec3 headingAnchor;

    // Art images, briefings by campaign, and the art program with its quad.
    std::map<std::string, Texture> textures;
    std::array<std::vector<Mission>, 2> briefings;
    std::uint32_t artProgram = 0;
    std::uint32_t artVertexArray = 0;
    std::uint32_t artBuffer = 0;
    std::int32_t artTransformLocation = -1;
    std::int32_t artUvRectLocation = -1;
    std::int32_t artTintLocation = -1;
    std::int32_t artDepthRangeLocation = -1;

    // Named models, walker rigs by model name and the player's arm rig
    // (filled by the model loader).
    using ModelRig = bastion::ModelRig;
    std::map<std::string, Model> models;
    std::map<std::string, ModelRig> rigs;
    ArmRig armRig;

    // A resting place worked out once for the placement it was found for
    // (a wreck's or a pickup's), kept while that placement holds.
    struct CachedPlace {
        std::array<float, 6> placement{};
        Vec3 place;
        bool known = false;
    };

    // The uploaded World's meshes, the atlases and the world program.
    // `uploadedWorld` is the identity of the World they were taken from, 0
    // for none.
    std::uint64_t uploadedWorld = 0;
    std::vector<Model> targetModels;
    std::vector<Model> wreckModels;
    std::array<std::uint32_t, 32> pickupTypes{};
    Model terrainModel;
    Model waterModel;
    std::array<Model, 5> pickupModels;
    std::array<std::uint32_t, 2> pickupAtlas{};
    std::filesystem::path gameplayDirectory;
    std::uint32_t worldProgram = 0;
    std::array<std::uint32_t, 2> gameplayAtlas{};
    int gameplayAtlasKey = -1;
    std::int32_t worldTransformLocation = -1;
    std::vector<CachedPlace> wreckPlaces;
    std::vector<CachedPlace> pickupPlaces;
};

// `text` wrapped greedily into lines of at most `width` bytes; a single word
// longer than that is kept whole on its own line.
std::vector<std::string> missionLines(const std::string& text, std::uint64_t width);

}  // namespace bastion
