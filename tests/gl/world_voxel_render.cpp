// Drawing voxel cells, observed through OpenGL itself: feedback mode for what was sent, the texture
// binding and the current normal for the state left behind, and read-back pixels for which texture
// each wall shows.
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "tests/support/gl_context.h"
#include "world/voxel_maps.h"
#include "world/voxel_render.h"

namespace {

const int kWindow = 64;
// The view maps -2 ... 2 on every axis to the window, so that coordinates come back unscaled.
const double kView = 2.0;

struct Vertex {
    float x, y, z;  // model coordinates, recovered from the window coordinates
    float s, t;
};
typedef std::vector<Vertex> Triangle;

// Runs `draw` in feedback mode and returns the triangles it produced (quads come back as two).
std::vector<Triangle> Feedback(const std::function<void()>& draw) {
    std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer((GLsizei)buffer.size(), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    int used = glRenderMode(GL_RENDER);
    std::vector<Triangle> triangles;
    for (int i = 0; i < used;) {
        int token = (int)buffer[i++];
        EXPECT_EQ(token, GL_POLYGON_TOKEN);
        if (token != GL_POLYGON_TOKEN) break;
        int count = (int)buffer[i++];
        Triangle triangle;
        for (int k = 0; k < count; k++, i += 11) {  // x y z, r g b a, s t r q
            const GLfloat* v = &buffer[i];
            Vertex vertex;
            vertex.x = (float)((v[0] / kWindow * 2 - 1) * kView);
            vertex.y = (float)((v[1] / kWindow * 2 - 1) * kView);
            vertex.z = (float)(-(v[2] * 2 - 1) * kView);
            vertex.s = v[7];
            vertex.t = v[8];
            triangle.push_back(vertex);
        }
        triangles.push_back(triangle);
    }
    return triangles;
}

// The face a triangle lies on: "x+", "z-", ..., from the axis on which all its corners agree.
std::string FaceOf(const Triangle& triangle) {
    const char* axes = "xyz";
    for (int axis = 0; axis < 3; axis++) {
        float first = (&triangle[0].x)[axis];
        bool flat = true;
        for (const Vertex& v : triangle) flat = flat && fabsf((&v.x)[axis] - first) < 1e-4f;
        if (flat && fabsf(first) > 1e-4f) return std::string(1, axes[axis]) + (first > 0 ? "+" : "-");
    }
    return "?";
}

// One face name per quad, in the order sent; each quad is two triangles on the same face.
std::vector<std::string> FacesOf(const std::vector<Triangle>& triangles) {
    EXPECT_EQ(triangles.size() % 2, 0u);
    std::vector<std::string> quads;
    for (size_t i = 0; i + 1 < triangles.size(); i += 2) {
        EXPECT_EQ(FaceOf(triangles[i]), FaceOf(triangles[i + 1]));
        quads.push_back(FaceOf(triangles[i]));
    }
    return quads;
}

// A face as the table gives it, before any scale: corners as texture coordinate and vertex.
struct Corner {
    float s, t, x, y, z;
};
struct FaceTable {
    const char* face;
    float normal[3];
    Corner corners[4];
};

const FaceTable kWalls[6] = {
    {"z+", {0, 0, 1}, {{0, 0, -1, -1, 1}, {1, 0, 1, -1, 1}, {1, 1, 1, 1, 1}, {0, 1, -1, 1, 1}}},
    {"z-", {0, 0, -1}, {{1, 0, -1, -1, -1}, {1, 1, -1, 1, -1}, {0, 1, 1, 1, -1}, {0, 0, 1, -1, -1}}},
    {"y+", {0, 1, 0}, {{0, 0, -1, 1, -1}, {0, 1, -1, 1, 1}, {1, 1, 1, 1, 1}, {1, 0, 1, 1, -1}}},
    {"y-", {0, -1, 0}, {{1, 0, -1, -1, -1}, {0, 0, 1, -1, -1}, {0, 1, 1, -1, 1}, {1, 1, -1, -1, 1}}},
    {"x+", {1, 0, 0}, {{0, 0, 1, -1, -1}, {1, 0, 1, 1, -1}, {1, 1, 1, 1, 1}, {0, 1, 1, -1, 1}}},
    {"x-", {-1, 0, 0}, {{0, 0, -1, -1, -1}, {0, 1, -1, -1, 1}, {1, 1, -1, 1, 1}, {1, 0, -1, 1, -1}}},
};

const FaceTable kFlagCube[6] = {
    {"z+", {0, 0, 1}, {{0, 0, -1, -1, 1}, {1, 0, 1, -1, 1}, {1, 1, 1, 1, 1}, {0, 1, -1, 1, 1}}},
    {"z-", {0, 0, -1}, {{1, 0, -1, -1, -1}, {1, 1, -1, 1, -1}, {0, 1, 1, 1, -1}, {0, 0, 1, -1, -1}}},
    {"y+", {0, 1, 0}, {{0, 1, -1, 1, -1}, {0, 0, -1, 1, 1}, {1, 0, 1, 1, 1}, {1, 1, 1, 1, -1}}},
    {"y-", {0, -1, 0}, {{1, 1, -1, -1, -1}, {0, 1, 1, -1, -1}, {0, 0, 1, -1, 1}, {1, 0, -1, -1, 1}}},
    {"x+", {1, 0, 0}, {{1, 0, 1, -1, -1}, {1, 1, 1, 1, -1}, {0, 1, 1, 1, 1}, {0, 0, 1, -1, 1}}},
    {"x-", {-1, 0, 0}, {{0, 0, -1, -1, -1}, {1, 0, -1, -1, 1}, {1, 1, -1, 1, 1}, {0, 1, -1, 1, -1}}},
};

// True when the two triangles of a quad cover exactly the table's four corners, each vertex (after
// `transform`) carrying the corner's texture coordinate.
::testing::AssertionResult QuadMatches(const Triangle& a, const Triangle& b, const FaceTable& table,
                                       const std::function<void(float*)>& transform) {
    std::set<int> seen;
    for (const Triangle* triangle : {&a, &b}) {
        for (const Vertex& v : *triangle) {
            int match = -1;
            for (int k = 0; k < 4; k++) {
                float p[3] = {table.corners[k].x, table.corners[k].y, table.corners[k].z};
                transform(p);
                if (fabsf(p[0] - v.x) < 1e-3f && fabsf(p[1] - v.y) < 1e-3f && fabsf(p[2] - v.z) < 1e-3f) match = k;
            }
            if (match < 0) {
                return ::testing::AssertionFailure()
                       << table.face << ": vertex (" << v.x << ", " << v.y << ", " << v.z << ") is no corner";
            }
            const Corner& c = table.corners[match];
            if (fabsf(v.s - c.s) > 1e-5f || fabsf(v.t - c.t) > 1e-5f) {
                return ::testing::AssertionFailure() << table.face << ": corner " << match + 1 << " has (" << v.s
                                                     << ", " << v.t << "), not (" << c.s << ", " << c.t << ")";
            }
            seen.insert(match);
        }
    }
    if (seen.size() != 4) return ::testing::AssertionFailure() << table.face << ": not all four corners sent";
    return ::testing::AssertionSuccess();
}

GLint BoundTexture() {
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    return bound;
}

// One colour per texture, so that a wall's pixels tell which texture it shows.
const unsigned char kTextureColours[5][3] = {{200, 0, 0}, {0, 200, 0}, {0, 0, 200}, {200, 200, 0}, {0, 200, 200}};

class VoxelCells : public ::testing::Test {
public:
    static void SetUpTestSuite() {
        ASSERT_TRUE(OpenTestGlWindow(kWindow, kWindow));
        glGenTextures(5, textureIds);
        for (int i = 0; i < 5; i++) {
            glBindTexture(GL_TEXTURE_2D, textureIds[i]);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, kTextureColours[i]);
        }
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    static void TearDownTestSuite() {
        glDeleteTextures(5, textureIds);
        memset(textureIds, 0, sizeof textureIds);
        CloseTestGlWindow();
    }

    void SetUp() override {
        // A small world of 5 x 5 x 5 cells, each map exactly N bytes, so that a read outside the
        // map is caught by the sanitizer.
        savedSize = mapSize, savedHeight = mapHeight, savedLayer = layerSize;
        mapSize = 5, mapHeight = 5, layerSize = 25;
        n = mapSize * mapSize * mapHeight;
        dungeonMap = new unsigned char[n];
        flagMap = new unsigned char[n];
        memset(dungeonMap, 1, n);
        memset(flagMap, 0, n);
        textureChoice = 1;
        frameCounter = 0;

        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-kView, kView, -kView, kView, -kView, kView);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        glEnable(GL_TEXTURE_2D);
        glColor3f(1, 1, 1);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    void TearDown() override {
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
        delete[] dungeonMap;
        delete[] flagMap;
        dungeonMap = flagMap = nullptr;
        mapSize = savedSize, mapHeight = savedHeight, layerSize = savedLayer;
        textureChoice = 1;
        frameCounter = 0;
    }
    unsigned char& Cell(int c, int r, int l) { return dungeonMap[CellIndex(c, r, l)]; }
    // Opens the centre cell (2, 2, 2) and its six neighbours, then makes the listed ones rock.
    void OpenCentre() {
        Cell(2, 2, 2) = 0;
        Cell(1, 2, 2) = Cell(3, 2, 2) = Cell(2, 1, 2) = Cell(2, 3, 2) = Cell(2, 2, 1) = Cell(2, 2, 3) = 0;
    }
    std::vector<std::string> WallsOf(int c, int r, int l) {
        glLoadIdentity();
        return FacesOf(Feedback([&] { DrawVoxelCell(c, r, l); }));
    }

    int savedSize = 0, savedHeight = 0, savedLayer = 0, n = 0;
};

const auto kScaleByHalf = [](float* p) {
    for (int i = 0; i < 3; i++) p[i] *= 0.5f;
};

TEST_F(VoxelCells, EnclosedCellSendsSixWallsOfTheTable) {
    Cell(2, 2, 2) = 0;
    glBindTexture(GL_TEXTURE_2D, textureIds[4]);
    glLoadIdentity();
    std::vector<Triangle> triangles = Feedback([] { DrawVoxelCell(2, 2, 2); });
    ASSERT_EQ(triangles.size(), 12u);
    for (int f = 0; f < 6; f++) {
        EXPECT_EQ(FaceOf(triangles[2 * f]), kWalls[f].face) << "face " << f << " out of order";
        EXPECT_TRUE(QuadMatches(triangles[2 * f], triangles[2 * f + 1], kWalls[f], kScaleByHalf));
    }
    EXPECT_EQ(BoundTexture(), (GLint)textureIds[textureChoice]);
}

TEST_F(VoxelCells, WhichNeighbourhoodsSendWhichWalls) {
    struct Case {
        const char* name;
        std::function<void(VoxelCells*)> build;
        std::vector<std::string> walls;
    };
    const std::vector<Case> cases = {
        {"all six neighbours open", [](VoxelCells* t) { t->OpenCentre(); }, {}},
        {"only row - 1 solid", [](VoxelCells* t) { t->OpenCentre(), t->Cell(2, 1, 2) = 1; }, {"y+"}},
        {"layer + 1 and column + 1 solid",
         [](VoxelCells* t) { t->OpenCentre(), t->Cell(2, 2, 3) = 1, t->Cell(3, 2, 2) = 1; },
         {"z-", "x-"}},
        {"a solid cell sends nothing", [](VoxelCells*) {}, {}},
        {"a cell byte of 2 sends nothing", [](VoxelCells* t) { t->Cell(2, 2, 2) = 2; }, {}},
        {"a neighbour byte of 2 is not rock",
         [](VoxelCells* t) {
             t->Cell(2, 2, 2) = 0;
             t->Cell(2, 2, 1) = 2, t->Cell(2, 2, 3) = 2, t->Cell(2, 1, 2) = 2;
         },
         {"y-", "x+", "x-"}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        memset(dungeonMap, 1, n);
        k.build(this);
        glBindTexture(GL_TEXTURE_2D, textureIds[0]);
        EXPECT_EQ(WallsOf(2, 2, 2), k.walls);
        // The bindings are made whatever is drawn; the last one is the chosen texture.
        EXPECT_EQ(BoundTexture(), (GLint)textureIds[textureChoice]);
    }
}

// Each wall on its own: the normal it sends and the texture it shows.
TEST_F(VoxelCells, EachWallsNormalAndTexture) {
    const int neighbour[6][3] = {{2, 2, 1}, {2, 2, 3}, {2, 1, 2}, {2, 3, 2}, {1, 2, 2}, {3, 2, 2}};
    // Turns that bring each wall face-on to the viewer looking down -z.
    const float turn[6][4] = {{0, 1, 0, 0}, {0, 1, 0, 0}, {90, 1, 0, 0}, {90, 1, 0, 0}, {90, 0, 1, 0}, {90, 0, 1, 0}};
    for (int choice : {1, 2, 4}) {
        textureChoice = choice;
        for (int f = 0; f < 6; f++) {
            SCOPED_TRACE(std::string(kWalls[f].face) + " with texture choice " + std::to_string(choice));
            memset(dungeonMap, 1, n);
            OpenCentre();
            Cell(neighbour[f][0], neighbour[f][1], neighbour[f][2]) = 1;
            EXPECT_EQ(WallsOf(2, 2, 2), std::vector<std::string>{kWalls[f].face});

            glNormal3f(9, 9, 9);
            glClearColor(0, 0, 0, 1);
            glClear(GL_COLOR_BUFFER_BIT);
            glLoadIdentity();
            if (turn[f][0] != 0) glRotatef(turn[f][0], turn[f][1], turn[f][2], turn[f][3]);
            DrawVoxelCell(2, 2, 2);
            GLfloat normal[4];
            glGetFloatv(GL_CURRENT_NORMAL, normal);
            for (int i = 0; i < 3; i++) EXPECT_FLOAT_EQ(normal[i], kWalls[f].normal[i]);

            std::vector<unsigned char> centre = ReadBackBufferRGBA(kWindow / 2, kWindow / 2, 1, 1);
            int expected = f == 1 ? 2 : choice;  // the wall at z = -1 always shows texture 2
            for (int i = 0; i < 3; i++) EXPECT_EQ(centre[i], kTextureColours[expected][i]) << "channel " << i;
        }
    }
}

TEST_F(VoxelCells, ScalesMultiplyWhenTheMatrixIsNotRestored) {
    Cell(2, 2, 2) = 0;
    glLoadIdentity();
    DrawVoxelCell(2, 2, 2);
    std::vector<Triangle> second = Feedback([] { DrawVoxelCell(2, 2, 2); });
    ASSERT_EQ(second.size(), 12u);
    for (int f = 0; f < 6; f++) {
        EXPECT_TRUE(QuadMatches(second[2 * f], second[2 * f + 1], kWalls[f], [](float* p) {
            for (int i = 0; i < 3; i++) p[i] *= 0.25f;
        }));
    }
}

// With every cell open, a shell cell's neighbours beyond the map count as rock; a cell beyond the
// map sends nothing. The maps are exactly N bytes: a read outside them is a sanitizer error.
TEST_F(VoxelCells, ShellAndOutsideCellsStayInsideTheMap) {
    memset(dungeonMap, 0, n);
    struct Case {
        int c, r, l;
        std::vector<std::string> walls;
    };
    const Case cases[] = {
        {0, 0, 0, {"z+", "y+", "x+"}},
        {4, 4, 4, {"z-", "y-", "x-"}},
        {0, 2, 4, {"z-", "x+"}},
        {-1, 2, 2, {}},
        {5, 2, 2, {}},
        {2, 2, 5, {}},
        {2, -100000, 2, {}},
        {2, 2, 2, {}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::to_string(k.c) + ", " + std::to_string(k.r) + ", " + std::to_string(k.l));
        glBindTexture(GL_TEXTURE_2D, 0);
        EXPECT_EQ(WallsOf(k.c, k.r, k.l), k.walls);
        EXPECT_EQ(BoundTexture(), (GLint)textureIds[textureChoice]);
    }
    flagMap[n - 1] = 1;
    glBindTexture(GL_TEXTURE_2D, textureIds[0]);
    glLoadIdentity();
    EXPECT_EQ(Feedback([] { DrawFlagCube(5, 4, 4); }).size(), 12u);
    EXPECT_EQ(BoundTexture(), (GLint)textureIds[0]) << "a cell outside the map carries no flag";
}

// The flag cube at frame 90: the table's corners scaled by 0.2 and turned 90 degrees about (1, 1, 1).
TEST_F(VoxelCells, FlagCubeTurnsWithTheFrameCount) {
    frameCounter = 90;
    const double a = 90.0 * M_PI / 180.0, c = cos(a), s = sin(a), k = 1.0 / sqrt(3.0);
    const double ux = k, uy = k, uz = k;
    const double m[3][3] = {
        {c + ux * ux * (1 - c), ux * uy * (1 - c) - uz * s, ux * uz * (1 - c) + uy * s},
        {uy * ux * (1 - c) + uz * s, c + uy * uy * (1 - c), uy * uz * (1 - c) - ux * s},
        {uz * ux * (1 - c) - uy * s, uz * uy * (1 - c) + ux * s, c + uz * uz * (1 - c)},
    };
    auto turned = [&](float* p) {
        double q[3];
        for (int i = 0; i < 3; i++) q[i] = 0.2 * (m[i][0] * p[0] + m[i][1] * p[1] + m[i][2] * p[2]);
        for (int i = 0; i < 3; i++) p[i] = (float)q[i];
    };

    glBindTexture(GL_TEXTURE_2D, textureIds[1]);
    glLoadIdentity();
    std::vector<Triangle> triangles = Feedback([] { DrawFlagCube(2, 2, 2); });
    ASSERT_EQ(triangles.size(), 12u);
    for (int f = 0; f < 6; f++) EXPECT_TRUE(QuadMatches(triangles[2 * f], triangles[2 * f + 1], kFlagCube[f], turned));
    EXPECT_EQ(BoundTexture(), (GLint)textureIds[1]) << "an unflagged cell keeps the binding it found";

    // Flagged: the fourth texture; the map of rock and space is not consulted.
    flagMap[CellIndex(2, 2, 2)] = 1;
    memset(dungeonMap, 0, n);
    glLoadIdentity();
    EXPECT_EQ(Feedback([] { DrawFlagCube(2, 2, 2); }).size(), 12u);
    EXPECT_EQ(BoundTexture(), (GLint)textureIds[3]);

    // A flag byte other than 1 is no flag.
    flagMap[CellIndex(2, 2, 2)] = 2;
    glBindTexture(GL_TEXTURE_2D, textureIds[0]);
    DrawFlagCube(2, 2, 2);
    EXPECT_EQ(BoundTexture(), (GLint)textureIds[0]);
}

}  // namespace
